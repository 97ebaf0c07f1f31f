// Opening a database of the instance with the catalog, the dialect's functions and the routines.
#include "connection.h"

#include "ascii.h"
#include "builtins.h"
#include "catalog.h"
#include "dialect.h"
#include "instance.h"
#include "udf.h"
#include "statement.h"

#include <zalcli.h>

#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <system_error>
#include <time.h>
#include <unistd.h>

namespace zal {

namespace {

// Longer statements are refused with SQLCODE -101.
constexpr int max_statement_bytes = 2 * 1024 * 1024;
constexpr int busy_timeout_ms = 10000;

std::string user_of(const std::string &user) { return upper(user.empty() ? login_name() : user); }

// Splits a script at ";" outside quotes and comments; empty pieces are dropped.
std::vector<std::string> split_script(std::string_view script) {
    std::vector<std::string> out;
    std::string current;
    bool has_text = false;
    for (const Token &t : lex(script)) {
        if (t.is_punct(";")) {
            if (has_text)
                out.push_back(std::move(current));
            current.clear();
            has_text = false;
            continue;
        }
        if (t.significant())
            has_text = true;
        current += t.text;
    }
    if (has_text)
        out.push_back(std::move(current));
    return out;
}

} // namespace

Connection::Connection(sqlite3 *db, std::string database, std::string user)
    : db_(db), database_(upper(std::move(database))), user_(user_of(user)),
      routines_(std::make_unique<Routines>(*this)) {}

Connection::~Connection() {
    // every statement of this connection is finalized by now (the CLI drops them first)
    sqlite3_close_v2(db_);
}

std::optional<Diagnostic> Connection::take_raised() {
    std::optional<Diagnostic> d = std::move(raised_);
    raised_.reset();
    return d;
}

Diagnostic Connection::engine_error(int rc) {
    if (std::optional<Diagnostic> raised = take_raised())
        return *raised;
    return from_engine(db_, rc);
}

Query Connection::prepare(const std::string &sql, Diagnostic &error) {
    clear_raised();
    Query q = Query::of_string(db_, sql);
    if (q.rc() != SQLITE_OK) {
        error = engine_error(q.rc());
        return {};
    }
    if (!q.prepared()) {
        error = diagnose(Condition::BlankStatement);
        return {};
    }
    if (q.tail().empty())
        return q;
    for (const Token &t : significant(lex(q.tail())))
        if (!t.is_punct(";")) {
            error = diagnose(Condition::SyntaxError, {t.text});
            return {};
        }
    return q;
}

bool Connection::install(Diagnostic &error) {
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busy_timeout_ms);
    sqlite3_limit(db_, SQLITE_LIMIT_SQL_LENGTH, max_statement_bytes);
    // A file that is not a database fails here, on its first read.
    const std::string setup = "PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON; SELECT count(*) FROM sqlite_schema; "
                              "PRAGMA cache_size=-" + std::to_string(page_cache_kib) + ";";
    if (sqlite3_exec(db_, setup.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = diagnose(Condition::DatabaseUnusable, {database_, sqlite3_errmsg(db_)});
        return false;
    }
    if (!ensure_system_tables(db_, error) || !install_catalog(db_, error) || !install_builtins(*this, error))
        return false;
    routines_->load();
    return true;
}

std::unique_ptr<Connection> Connection::open(const std::string &database, const std::string &user,
                                             Diagnostic &error) {
    std::error_code ec;
    if (!instance_started(ec)) {
        error = ec ? diagnose(Condition::HomeNotReadable, {home_dir().string(), ec.message()})
                   : diagnose(Condition::ManagerNotStarted);
        return nullptr;
    }
    const std::filesystem::path file = database_path(database);
    if (!valid_database_name(database) || !std::filesystem::is_regular_file(file, ec)) {
        error = diagnose(Condition::DatabaseNotFound, {database});
        return nullptr;
    }
    return open_file(file.string(), database, user, error);
}

std::unique_ptr<Connection> Connection::create(const std::string &path, const std::string &database,
                                               const std::string &user, Diagnostic &error) {
    // The engine gives the database's mode to its journal files.
    const int fd = open_private_file(path, O_RDWR | O_CREAT);
    if (fd < 0) {
        error = diagnose(Condition::FileNotCreated, {path, errno_text()});
        return nullptr;
    }
    ::close(fd);
    return open_file(path, database, user, error);
}

std::unique_ptr<Connection> Connection::open_file(const std::string &path, const std::string &database,
                                                  const std::string &user, Diagnostic &error) {
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        error = db ? diagnose(Condition::DatabaseUnusable, {upper(database), sqlite3_errmsg(db)})
                   : diagnose(Condition::DatabaseNotOpened, {upper(database)});
        sqlite3_close_v2(db);
        return nullptr;
    }
    std::unique_ptr<Connection> c(new Connection(db, database, user));
    if (const char *file = sqlite3_db_filename(db, "main"); file && *file) {
        struct stat st{};
        if (stat(file, &st) != 0) {
            error = diagnose(Condition::DatabaseNotOpened, {upper(database)});
            return nullptr;
        }
        c->path_ = file;
        c->device_ = st.st_dev;
        c->inode_ = st.st_ino;
    }
    if (!c->install(error))
        return nullptr;
    return c;
}

bool Connection::file_present(bool may_write, Diagnostic &error) {
    constexpr double read_check_interval = 0.05;
    if (!lost_ && !path_.empty()) {
        // the coarse clock costs a fraction of the exact one and is exact enough for the interval
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
        const double now = static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
        if (may_write || now - last_file_check_ >= read_check_interval) {
            last_file_check_ = now;
            struct stat st{};
            lost_ = stat(path_.c_str(), &st) == 0 ? st.st_dev != device_ || st.st_ino != inode_
                                                  : errno == ENOENT || errno == ENOTDIR;
        }
    }
    if (lost_)
        error = diagnose(Condition::DatabaseMoved, {database_});
    return !lost_;
}

const std::shared_ptr<const Translation> &Connection::translation(std::string_view text) {
    // A loader of long statements must not hold them all; a text longer than a sixteenth of
    // the cache is translated each time it runs.
    constexpr size_t most_bytes = 4 << 20;
    if (translations_generation_ != routines_->generation()) {
        translations_.clear();
        translation_bytes_ = 0;
        translations_generation_ = routines_->generation();
    }
    if (auto it = translations_.find(text); it != translations_.end())
        return it->second;
    Translation written = translate(text);
    if (written.kind == StatementKind::Other && routines_->any()) {
        Expansion e = expand_statement(lex(written.sql), *routines_);
        written.names_routine = e.names_routine;
        if (e.written_out) {
            written.called_sql = std::move(written.sql);
            written.sql = join(e.tokens);
        }
    }
    auto t = std::make_shared<const Translation>(std::move(written));
    const size_t bytes = text.size() + t->sql.size() + t->called_sql.size() + t->object.size() +
                         sizeof(std::pair<std::string, Translation>);
    if (bytes > most_bytes / 16) {
        uncached_ = std::move(t);
        return uncached_;
    }
    uncached_.reset();
    if (translation_bytes_ + bytes > most_bytes) {
        translations_.clear();
        translation_bytes_ = 0;
    }
    translation_bytes_ += bytes;
    return translations_.emplace(std::string(text), std::move(t)).first->second;
}

bool Connection::execute_script(std::string_view script, Diagnostic &error) {
    for (const std::string &sql : split_script(script)) {
        Statement s(*this);
        if (!s.prepare(sql, error) || s.execute(error) == SQL_ERROR)
            return false;
    }
    return true;
}

} // namespace zal
