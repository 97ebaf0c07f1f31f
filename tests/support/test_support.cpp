#include "test_support.h"

#include <zalapp.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kestle_test {

fs::path bin_dir() { return KESTLE_BIN_DIR; }
fs::path source_dir() { return KESTLE_SOURCE_DIR; }

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kestle-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make read-only folders of a test removable again.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

TempHome::TempHome(bool started) {
    if (const char *old = std::getenv("ZAL_HOME")) {
        saved_ = old;
        had_saved_ = true;
    }
    setenv("ZAL_HOME", path().c_str(), 1);
    if (started) {
        zal_sqlca ca{};
        zalStartManager(nullptr, &ca);
    }
}

TempHome::~TempHome() {
    if (had_saved_)
        setenv("ZAL_HOME", saved_.c_str(), 1);
    else
        unsetenv("ZAL_HOME");
}

Result diagnostic(SQLRETURN rc, SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt) {
    Result r;
    r.rc = rc;
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (SQLError(henv, hdbc, hstmt, state, &native, message, sizeof message, &length) == SQL_SUCCESS) {
        r.sqlcode = native;
        r.sqlstate = reinterpret_cast<char *>(state);
        r.message = reinterpret_cast<char *>(message);
    }
    return r;
}

Client::Client(const std::string &database, const std::string &user) { connect(database, user); }

Client::~Client() { disconnect(); }

SQLRETURN Client::connect(const std::string &database, const std::string &user) {
    disconnect();
    SQLAllocEnv(&henv);
    SQLAllocConnect(henv, &hdbc);
    SQLRETURN rc = SQLConnect(hdbc, (SQLCHAR *)database.c_str(), SQL_NTS, (SQLCHAR *)user.c_str(), SQL_NTS,
                              (SQLCHAR *)"", SQL_NTS);
    last = diagnostic(rc, henv, hdbc, 0);
    if (rc != SQL_SUCCESS) {
        SQLFreeConnect(hdbc);
        SQLFreeEnv(henv);
        hdbc = henv = 0;
    }
    return rc;
}

void Client::disconnect() {
    if (hdbc) {
        SQLDisconnect(hdbc);
        SQLFreeConnect(hdbc);
    }
    if (henv)
        SQLFreeEnv(henv);
    hdbc = henv = 0;
}

Result Client::run(const std::string &sql) {
    SQLHSTMT hstmt = 0;
    SQLRETURN rc = SQLAllocStmt(hdbc, &hstmt);
    if (rc != SQL_SUCCESS)
        return last = diagnostic(rc, henv, hdbc, 0);
    auto fail = [&](SQLRETURN code) {
        last = diagnostic(code, henv, hdbc, hstmt);
        SQLFreeStmt(hstmt, SQL_DROP);
        SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_COMMIT);
        return last;
    };
    rc = SQLPrepare(hstmt, (SQLCHAR *)sql.data(), (SQLINTEGER)sql.size());
    if (rc == SQL_ERROR)
        return fail(rc);
    rc = SQLExecute(hstmt);
    if (rc == SQL_ERROR)
        return fail(rc);
    Result r;
    SQLSMALLINT count = 0;
    SQLNumResultCols(hstmt, &count);
    for (SQLUSMALLINT c = 1; c <= count; ++c) {
        SQLCHAR name[129] = {};
        SQLSMALLINT name_len = 0, type = 0, scale = 0, nullable = 0;
        SQLUINTEGER size = 0;
        SQLDescribeCol(hstmt, c, name, sizeof name, &name_len, &type, &size, &scale, &nullable);
        r.columns.push_back(reinterpret_cast<char *>(name));
        r.types.push_back(std::to_string(type) + "(" + std::to_string(size) + ")");
    }
    if (count > 0) {
        std::vector<char> buffer(1 << 20);
        while ((rc = SQLFetch(hstmt)) == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
            std::vector<std::string> row;
            for (SQLUSMALLINT c = 1; c <= count; ++c) {
                SQLINTEGER ind = 0;
                SQLRETURN g = SQLGetData(hstmt, c, SQL_C_CHAR, buffer.data(), (SQLINTEGER)buffer.size(), &ind);
                if (g == SQL_ERROR)
                    return fail(g);
                row.push_back(ind == SQL_NULL_DATA ? "<null>" : std::string(buffer.data()));
            }
            r.rows.push_back(std::move(row));
        }
        if (rc == SQL_ERROR)
            return fail(rc);
    }
    r.rc = rc;
    SQLFreeStmt(hstmt, SQL_DROP);
    SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_COMMIT);
    return last = r;
}

std::string Client::value(const std::string &sql) {
    Result r = run(sql);
    if (!r.ok() || r.rows.empty() || r.rows[0].empty())
        return "";
    return r.rows[0][0];
}

Command run_command(const std::string &command_line) {
    Command c;
    FILE *pipe = popen(command_line.c_str(), "r");
    if (!pipe)
        return c;
    std::array<char, 4096> chunk;
    size_t n;
    while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        c.output.append(chunk.data(), n);
    int status = pclose(pipe);
    c.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return c;
}

std::string read_text(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_text(const fs::path &file, const std::string &text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
}

void write_script(const fs::path &file, const std::string &body) {
    write_text(file, "#!/bin/sh\n" + body);
    fs::permissions(file, fs::perms::owner_all);
}

bool wait_for_file(const fs::path &file, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(file, ec);
        if (!ec && size > 0)
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

EnvVar::EnvVar(const char *name, const std::optional<std::string> &value) : name_(name) {
    if (const char *old = std::getenv(name))
        saved_ = old;
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

EnvVar::~EnvVar() { saved_ ? setenv(name_, saved_->c_str(), 1) : unsetenv(name_); }

std::string in_child(const std::function<std::string()> &body, int timeout_seconds) {
    int out[2];
    if (pipe(out) != 0)
        return "no pipe to a child";
    const pid_t pid = fork();
    if (pid < 0)
        return "no child process";
    if (pid == 0) {
        close(out[0]);
        alarm(static_cast<unsigned>(timeout_seconds));
        std::string outcome;
        try {
            outcome = body();
        } catch (const std::exception &e) {
            outcome = std::string("exception: ") + e.what();
        }
        const bool sent = write(out[1], outcome.data(), outcome.size()) == static_cast<ssize_t>(outcome.size());
        _exit(sent ? 0 : 1);
    }
    close(out[1]);
    std::string outcome;
    char chunk[4096];
    for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) != 0;)
        if (n > 0)
            outcome.append(chunk, static_cast<size_t>(n));
        else if (errno != EINTR)
            break;
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
        return outcome + "[the child ended by signal " + std::to_string(WTERMSIG(status)) + "]";
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return outcome + "[the child failed]";
    return outcome;
}

namespace {

bool write_proc(const char *file, const std::string &text) {
    const int fd = open(file, O_WRONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0)
        close(fd);
    return ok;
}

// Another user than root may mount in a user namespace of its own, where it is root and its
// files stay its own; the child's one thread is allowed to make one.
bool own_user_namespace() {
    const std::string uid = std::to_string(geteuid()), gid = std::to_string(getegid());
    return unshare(CLONE_NEWUSER) == 0 && write_proc("/proc/self/setgroups", "deny") &&
           write_proc("/proc/self/uid_map", "0 " + uid + " 1") && write_proc("/proc/self/gid_map", "0 " + gid + " 1");
}

} // namespace

bool mount_small_file_system(const fs::path &dir, size_t bytes) {
    const std::string options = "size=" + std::to_string(bytes);
    return (geteuid() == 0 || own_user_namespace()) && unshare(CLONE_NEWNS) == 0 &&
           mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

void fill_file_system(const fs::path &dir) {
    const int fd = open((dir / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    static const char zeros[65536] = {};
    for (size_t chunk : {sizeof zeros, size_t{4096}, size_t{1}})
        while (write(fd, zeros, chunk) == static_cast<ssize_t>(chunk)) {
        }
    close(fd);
}

std::vector<std::string> names_in(const fs::path &dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry &e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool become_other_user() {
    if (geteuid() != 0)
        return true; // the files of the tests are guarded from this user by their modes
    constexpr uid_t nobody = 65534;
    return setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0;
}

} // namespace kestle_test
