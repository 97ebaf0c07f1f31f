// The administrative calls: setting up and starting the instance, and table statistics.
#include <zalapp.h>

#include "connection.h"
#include "diagnostics.h"
#include "instance.h"
#include "manager.h"
#include "product.h"
#include "query.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

extern const char zal_sample_sql[];

namespace fs = std::filesystem;
using zal::Condition;
using zal::Diagnostic;

namespace {

int32_t report(zal_sqlca *ca, const Diagnostic &d) {
    if (ca) {
        std::memset(ca, 0, sizeof *ca);
        std::memcpy(ca->sqlcaid, "SQLCA   ", 8);
        ca->sqlcabc = sizeof *ca;
        ca->sqlcode = d.sqlcode;
        const size_t n = std::min(d.text.size(), sizeof ca->sqlerrmc);
        std::memcpy(ca->sqlerrmc, d.text.data(), n);
        ca->sqlerrml = static_cast<int16_t>(n);
        std::memcpy(ca->sqlstate, d.sqlstate.data(), std::min<size_t>(d.sqlstate.size(), 5));
    }
    return d.sqlcode;
}

using zal::errno_text;
using zal::private_dir_mode;

// Holds an exclusive lock on the instance while it is set up, so two first starts at once do
// not both build SAMPLE.
class InstanceLock {
public:
    explicit InstanceLock(const fs::path &file)
        : fd_(zal::open_private_file(file, O_RDWR | O_CREAT)) {
        if (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~InstanceLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool held() const { return fd_ >= 0; }

private:
    int fd_;
};

// A directory of the instance; false (errno set) when it cannot be made.
bool make_private_dir(const fs::path &dir) {
    return ::mkdir(dir.c_str(), private_dir_mode) == 0 && ::chmod(dir.c_str(), private_dir_mode) == 0;
}

bool write_private_file(const fs::path &file, std::string_view text) {
    const int fd = zal::open_private_file(file, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    return ::close(fd) == 0 && written;
}

// The warning for an instance directory that others can look into, where its databases of
// earlier releases (or copied in by hand) may be readable too.
std::string exposure_warning(const fs::path &home) {
    struct stat st{};
    if (stat(home.c_str(), &st) != 0 || !(st.st_mode & (S_IRWXG | S_IRWXO)))
        return {};
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return zal::text_of(Condition::HomeExposed, {home.string(), mode});
}

// Builds SAMPLE beside its final place and moves it there when it is complete.
Diagnostic create_sample() {
    const fs::path target = zal::database_path("SAMPLE");
    std::error_code ec;
    if (fs::is_regular_file(target, ec))
        return {}; // a SAMPLE from an earlier set-up keeps its data
    const fs::path building = target.string() + ".new";
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        fs::remove(building.string() + suffix, ec);
    Diagnostic error;
    {
        auto c = zal::Connection::create(building.string(), "SAMPLE", "", error);
        if (!c)
            return error;
        sqlite3 *db = c->db();
        if (!zal::engine_ok(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), error))
            return error;
        if (!c->execute_script(zal_sample_sql, error)) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return error;
        }
        if (!zal::engine_ok(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), error))
            return error;
    }
    fs::rename(building, target, ec);
    if (ec)
        return zal::diagnose(Condition::FileNotCreated, {target.string(), ec.message()});
    return {};
}

// Sets the instance up unless it is already.
Diagnostic set_up(const fs::path &home) {
    std::error_code ec;
    if (zal::instance_started(ec))
        return zal::diagnose(Condition::ManagerActive);
    if (ec)
        return zal::diagnose(Condition::HomeNotReadable, {home.string(), ec.message()});
    if (!fs::is_directory(home, ec)) {
        // the directories above it are the user's own, with their usual modes
        if (home.has_parent_path())
            fs::create_directories(home.parent_path(), ec);
        if (ec)
            return zal::diagnose(Condition::HomeNotCreated, {home.string(), ec.message()});
        if (!make_private_dir(home))
            return zal::diagnose(Condition::HomeNotCreated, {home.string(), errno_text()});
    }
    InstanceLock lock(home / ".lock");
    if (!lock.held())
        return zal::diagnose(Condition::HomeNotWritable, {home.string()});
    if (zal::instance_started(ec))
        return zal::diagnose(Condition::ManagerActive);
    const fs::path functions = home / "function";
    if (!fs::is_directory(functions, ec) && !make_private_dir(functions))
        return zal::diagnose(Condition::FileNotCreated, {functions.string(), errno_text()});
    if (Diagnostic d = create_sample(); d.sqlcode != 0)
        return d;
    if (!write_private_file(zal::instance_marker(), "ZAL instance\n"))
        return zal::diagnose(Condition::MarkerNotWritten, {zal::instance_marker().string()});
    return zal::diagnose(Condition::ManagerStarted);
}

} // namespace

zal::ManagerStart zal::start_manager() {
    try {
        const fs::path home = home_dir();
        ManagerStart start{set_up(home), {}};
        if (start.result.sqlcode == ZAL_SQLCODE_OK || start.result.sqlcode == ZAL_SQLCODE_ALREADY_ACTIVE)
            start.warning = exposure_warning(home);
        return start;
    } catch (const std::exception &e) {
        return {diagnose(Condition::AdminSystemError, {e.what()}), {}};
    }
}

extern "C" int32_t zalStartManager(void *, zal_sqlca *ca) {
    try {
        return report(ca, zal::start_manager().result);
    } catch (const std::exception &e) {
        return report(ca, zal::diagnose(Condition::AdminSystemError, {e.what()}));
    }
}

namespace {

// The table's name as the engine stores it; empty for no user table.
std::string stored_name(sqlite3 *db, const std::string &table) {
    zal::Query found(db,
                     "SELECT name FROM sqlite_schema WHERE type = 'table' AND upper(name) = upper(?1)"
                     " AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND upper(name) NOT LIKE 'SYSZAL\\_%' ESCAPE '\\'",
                     {table});
    return found.next() ? found.text(0) : std::string();
}

Diagnostic collect_statistics(zal::Connection &c, const std::string &table) {
    sqlite3 *db = c.db();
    const std::string name = stored_name(db, table);
    if (name.empty())
        return zal::diagnose(Condition::NoSuchTable, {table});
    char *quoted = sqlite3_mprintf(
        "SAVEPOINT ZAL_RUNSTATS; ANALYZE \"%w\";"
        " INSERT OR REPLACE INTO SYSZAL_STATS (NAME, CARD, STATS_TIME)"
        " SELECT upper(%Q), count(*), datetime('now', 'localtime') FROM \"%w\"; RELEASE ZAL_RUNSTATS;",
        name.c_str(), name.c_str(), name.c_str());
    int rc = sqlite3_exec(db, quoted, nullptr, nullptr, nullptr);
    sqlite3_free(quoted);
    if (rc != SQLITE_OK) {
        Diagnostic d = zal::from_engine(db, rc);
        sqlite3_exec(db, "ROLLBACK TO ZAL_RUNSTATS; RELEASE ZAL_RUNSTATS;", nullptr, nullptr, nullptr);
        return d;
    }
    return {};
}

} // namespace

extern "C" int32_t zalRunstats(uint32_t version, void *request, zal_sqlca *ca) {
    auto *r = static_cast<zal_runstats_request *>(request);
    if (version != ZAL_RUNSTATS_VERSION || !r || !r->table)
        return report(ca, zal::diagnose(Condition::BadRequest));
    try {
        // "SCHEMA.TABLE": statistics belong to the table; the schema only qualifies its name
        std::string name(r->table, strnlen(r->table, 1024));
        const auto dot = name.find('.');
        const std::string table = dot == std::string::npos ? name : name.substr(dot + 1);
        if (table.empty())
            return report(ca, zal::diagnose(Condition::NoSuchTable, {name}));
        Diagnostic d = zal::diagnose(Condition::NoConnection);
        zal::with_current_connection([&](zal::Connection &c) { d = collect_statistics(c, table); });
        return report(ca, d);
    } catch (const std::exception &e) {
        return report(ca, zal::diagnose(Condition::AdminSystemError, {e.what()}));
    }
}
