// The instance: the manager's start, SAMPLE, and what connecting reports before and after.
#include "test_support.h"

#include "instance.h"
#include "manager.h"

#include <zalapp.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <sys/stat.h>

using namespace kestle_test;
namespace fs = std::filesystem;

namespace {

mode_t mode_of(const fs::path &p) {
    struct stat st{};
    return stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The process's umask for a scope.
class Umask {
public:
    explicit Umask(mode_t mask) : saved_(umask(mask)) {}
    ~Umask() { umask(saved_); }

private:
    mode_t saved_;
};

} // namespace

TEST(Instance, ConnectBeforeStartReportsManagerNotStarted) {
    TempHome home(false);
    Client c;
    EXPECT_EQ(c.connect("SAMPLE"), SQL_ERROR);
    EXPECT_EQ(c.last.sqlcode, -1032);
    EXPECT_EQ(c.last.message.rfind("[ZAL][CLI Driver][ZAL] SQL1032N", 0), 0u) << c.last.message;
}

TEST(Instance, FirstStartCreatesSampleLaterStartsAreAlreadyActive) {
    TempHome home(false);
    zal_sqlca ca{};
    EXPECT_EQ(zalStartManager(nullptr, &ca), 0);
    EXPECT_EQ(ca.sqlcode, 0);
    EXPECT_EQ(zalStartManager(nullptr, &ca), ZAL_SQLCODE_ALREADY_ACTIVE);
    EXPECT_EQ(ca.sqlcode, ZAL_SQLCODE_ALREADY_ACTIVE);

    Client c("sample"); // names are case-insensitive
    ASSERT_EQ(c.last.rc, SQL_SUCCESS) << c.last.message;
    int rows = 0;
    for (const char *table : {"DEPARTMENT", "EMPLOYEE", "STAFF", "PROJECT", "SALES"}) {
        const int n = std::stoi(c.value(std::string("SELECT COUNT(*) FROM ") + table));
        EXPECT_GT(n, 10) << table;
        rows += n;
    }
    EXPECT_GE(rows, 200);
}

TEST(Instance, OtherDatabaseNamesAreNotFound) {
    TempHome home;
    for (const char *name : {"NOSUCHDB", "", "../SAMPLE", "SAMPLE.db", "a/b"}) {
        Client c;
        EXPECT_EQ(c.connect(name), SQL_ERROR) << name;
        EXPECT_EQ(c.last.sqlcode, -1013) << name << ": " << c.last.message;
    }
}

TEST(Instance, UnwritableHomeFailsToStartAndConnectStillReportsNotStarted) {
    TempHome home(false);
    // nobody, root included, creates directories under /proc
    setenv("ZAL_HOME", "/proc/kestle-no-such-home/zal", 1);
    zal_sqlca ca{};
    EXPECT_EQ(zalStartManager(nullptr, &ca), ZAL_SQLCODE_SYSTEM_ERROR);
    Client c;
    EXPECT_EQ(c.connect("SAMPLE"), SQL_ERROR);
    EXPECT_EQ(c.last.sqlcode, -1032);
}

TEST(Instance, HomeThatIsAFileFailsToStart) {
    TempHome home(false);
    const auto file = home / "not-a-directory";
    write_text(file, "x");
    setenv("ZAL_HOME", file.c_str(), 1);
    zal_sqlca ca{};
    EXPECT_EQ(zalStartManager(nullptr, &ca), ZAL_SQLCODE_SYSTEM_ERROR);
    EXPECT_EQ(ca.sqlcode, ZAL_SQLCODE_SYSTEM_ERROR);
    Client c;
    EXPECT_EQ(c.connect("SAMPLE"), SQL_ERROR);
}

TEST(Instance, FileThatIsNotADatabaseIsReportedAndLeftAlone) {
    TempHome home;
    const std::string garbage(8192, 'x');
    write_text(home / "BROKEN.db", garbage);
    Client c;
    EXPECT_EQ(c.connect("BROKEN"), SQL_ERROR);
    EXPECT_EQ(c.last.sqlcode, -1036) << c.last.message;
    EXPECT_EQ(read_text(home / "BROKEN.db"), garbage);
}

// The instance is its owner's alone whatever the umask: the directories 0700, the databases
// (with their journal files) and the instance's own files 0600.
TEST(Instance, InstanceAndDatabasesAreTheOwnersAlone) {
    TempDir top;
    const fs::path home = top / "zal";
    EnvVar zal_home("ZAL_HOME", home.string());
    Umask mask(022);
    zal_sqlca ca{};
    ASSERT_EQ(zalStartManager(nullptr, &ca), 0) << ca.sqlerrmc;
    Client c("SAMPLE"); // keeps the journal files open
    ASSERT_EQ(c.value("SELECT COUNT(*) FROM STAFF").empty(), false);
    const struct {
        const char *name;
        mode_t mode;
    } expect[] = {
        {"", 0700}, {"function", 0700}, {"SAMPLE.db", 0600}, {"SAMPLE.db-wal", 0600}, {"SAMPLE.db-shm", 0600},
        {"zal.instance", 0600}, {".lock", 0600},
    };
    for (const auto &e : expect)
        EXPECT_EQ(mode_of(home / e.name), e.mode) << e.name;
    EXPECT_TRUE(zal::start_manager().warning.empty());
}

// A directory that existed before the instance keeps its mode; the manager's start says when
// others can look into it, where and how to close it.
TEST(Instance, StartWarnsOfAnInstanceDirectoryOthersCanRead) {
    TempDir top;
    const fs::path home = top / "shared";
    fs::create_directory(home);
    fs::permissions(home, fs::perms(0755));
    EnvVar zal_home("ZAL_HOME", home.string());
    for (int32_t code : {ZAL_SQLCODE_OK, ZAL_SQLCODE_ALREADY_ACTIVE}) {
        const zal::ManagerStart start = zal::start_manager();
        EXPECT_EQ(start.result.sqlcode, code);
        EXPECT_NE(start.warning.find(home.string() + " can be read by other users (mode 0755)"), std::string::npos)
            << start.warning;
        EXPECT_NE(start.warning.find("chmod 700"), std::string::npos);
    }
    EXPECT_EQ(mode_of(home), 0755u);
    EXPECT_EQ(mode_of(home / "SAMPLE.db"), 0600u);
}

// An instance that the user cannot look into gives the permission error, at connect and at
// the manager's start, not "not started" or "not writable".
TEST(Instance, UnreadableInstanceDirectoryReportsItsPermissionError) {
    TempHome home;
    const std::string outcome = in_child([&]() -> std::string {
        fs::permissions(home.path(), fs::perms::none);
        if (!become_other_user())
            return std::string(child_skipped) + "no other user to become";
        std::string failures;
        Client c;
        if (c.connect("SAMPLE") != SQL_ERROR || c.last.sqlcode != ZAL_SQLCODE_SYSTEM_ERROR ||
            c.last.message.find(home.path().string() + " cannot be read: Permission denied") == std::string::npos)
            failures += "connect: " + c.last.message + "\n";
        const zal::ManagerStart start = zal::start_manager();
        if (start.result.sqlcode != ZAL_SQLCODE_SYSTEM_ERROR ||
            start.result.text.find("cannot be read: Permission denied") == std::string::npos)
            failures += "start: " + start.result.text + "\n";
        return failures;
    });
    if (outcome.starts_with(child_skipped))
        GTEST_SKIP() << outcome;
    EXPECT_EQ(outcome, "");
}

// Database names are ASCII in every locale: in Latin-1 "É" is a letter to isalnum, but a
// database file named with it is not a database of the instance.
TEST(Instance, DatabaseNamesAreAsciiWhateverTheLocale) {
    TempHome home;
    TempDir locales;
    const std::string build = "localedef -i en_US -f ISO-8859-1 '" + (locales / "latin1").string() + "' 2>/dev/null";
    EnvVar locpath("LOCPATH", locales.path().string());
    if (std::system(build.c_str()) != 0 || !std::setlocale(LC_ALL, "latin1"))
        GTEST_SKIP() << "no Latin-1 locale can be made here";
    const std::string name = "CAF\xC9";
    fs::copy_file(home / "SAMPLE.db", zal::database_path(name));
    EXPECT_FALSE(zal::valid_database_name(name));
    Client c;
    EXPECT_EQ(c.connect(name), SQL_ERROR);
    EXPECT_EQ(c.last.sqlcode, -1013) << c.last.message;
    std::setlocale(LC_ALL, "C");
}
