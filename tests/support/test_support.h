// Helpers shared by the tests: a temporary instance and a small client over the CLI.
#pragma once

#include <zalcli.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestle_test {

// Paths of the build and the source tree.
std::filesystem::path bin_dir();
std::filesystem::path source_dir();

// A fresh temporary directory, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::string &name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// A temporary ZAL_HOME for one test; with `started` the manager is started, so SAMPLE exists.
// The previous ZAL_HOME comes back at the end.
class TempHome : public TempDir {
public:
    explicit TempHome(bool started = true);
    ~TempHome();

private:
    std::string saved_;
    bool had_saved_ = false;
};

// The outcome of one statement through the CLI.
struct Result {
    SQLRETURN rc = 0;                     // of the failing call, or of the last fetch
    SQLINTEGER sqlcode = 0;               // native code of the first diagnostic, 0 when none
    std::string sqlstate;                 // its SQLSTATE
    std::string message;                  // its message
    std::vector<std::string> columns;     // column names
    std::vector<std::string> types;       // each column's SQL type and size as described, "12(20)"
    std::vector<std::vector<std::string>> rows; // values as text, NULL as "<null>"
    bool ok() const { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA_FOUND; }
};

// One connection through the public CLI, for tests that need to run SQL.
class Client {
public:
    Client() = default;
    explicit Client(const std::string &database, const std::string &user = "");
    ~Client();
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    // Connects; returns the SQLConnect code and leaves its diagnostic in `last`.
    SQLRETURN connect(const std::string &database, const std::string &user = "");
    void disconnect();
    // Runs one statement (prepare, execute, fetch every row as text), then commits.
    Result run(const std::string &sql);
    // The single value of a one-row, one-column query ("" on failure).
    std::string value(const std::string &sql);

    SQLHENV henv = 0;
    SQLHDBC hdbc = 0;
    Result last;
};

// The diagnostic of a handle as a Result (rc left as given).
Result diagnostic(SQLRETURN rc, SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt);

// Runs a command line through /bin/sh; returns its exit status and its standard output.
struct Command {
    int status = -1;
    std::string output;
};
Command run_command(const std::string &command_line);

std::string read_text(const std::filesystem::path &file);
void write_text(const std::filesystem::path &file, const std::string &text);
// A /bin/sh script that its owner may run.
void write_script(const std::filesystem::path &file, const std::string &body);

// A program started without waiting writes its file a little later: waits a bounded while
// for the file to exist with some content.
bool wait_for_file(const std::filesystem::path &file, double seconds = 10);

// Sets an environment variable (none: unsets it) for a scope; the old value comes back.
class EnvVar {
public:
    EnvVar(const char *name, const std::optional<std::string> &value);
    ~EnvVar();
    EnvVar(const EnvVar &) = delete;
    EnvVar &operator=(const EnvVar &) = delete;

private:
    const char *name_;
    std::optional<std::string> saved_;
};

// Runs body in a child process and returns what it returned: "" when all went well, else what
// went wrong. A child that ends otherwise (a crash, a hang past the timeout) gives a text that
// says how. Faults that a test must not cause in its own process (a mount, another user) go
// there.
std::string in_child(const std::function<std::string()> &body, int timeout_seconds = 60);
// A child's outcome that starts with this means that the system cannot show the case.
inline constexpr std::string_view child_skipped = "skipped: ";

// In a child: a tmpfs of `bytes` mounted at dir, in a mount namespace of the child's own (and,
// for a user other than root, a user namespace); false when the system does not allow it.
bool mount_small_file_system(const std::filesystem::path &dir, size_t bytes);
// Fills the file system that holds dir to its last byte.
void fill_file_system(const std::filesystem::path &dir);
// The names of the entries of dir, sorted.
std::vector<std::string> names_in(const std::filesystem::path &dir);
// In a child: becomes a user that the files of the tests do not belong to (root's rights
// to read anything are dropped); false when that is not possible.
bool become_other_user();

} // namespace kestle_test
