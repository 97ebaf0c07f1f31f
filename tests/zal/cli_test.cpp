// The call-level interface: codes, descriptions, values, file bindings, diagnostics, failures.
#include "test_support.h"

#include <zalapp.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace kestle_test;

namespace {

struct Stmt {
    explicit Stmt(Client &c) : c(c) { EXPECT_EQ(SQLAllocStmt(c.hdbc, &h), SQL_SUCCESS); }
    ~Stmt() {
        SQLFreeStmt(h, SQL_DROP);
        SQLEndTran(SQL_HANDLE_DBC, c.hdbc, SQL_COMMIT);
    }
    SQLRETURN prepare(const std::string &sql) { return SQLPrepare(h, (SQLCHAR *)sql.data(), (SQLINTEGER)sql.size()); }
    SQLRETURN exec(const std::string &sql) {
        SQLRETURN rc = prepare(sql);
        return rc == SQL_SUCCESS ? SQLExecute(h) : rc;
    }
    Result error(SQLRETURN rc) { return diagnostic(rc, c.henv, c.hdbc, h); }
    Client &c;
    SQLHSTMT h = 0;
};

// Executes with room for 128 MiB more than the process holds, and exits 0 when the call failed
// with a system error.
[[noreturn]] void execute_with_little_memory(Stmt &s) {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (128u << 20);
    const rlimit r{limit, limit};
    setrlimit(RLIMIT_AS, &r);
    const bool failed = SQLExecute(s.h) == SQL_ERROR && s.error(SQL_ERROR).sqlcode == -901;
    _exit(failed ? 0 : 1);
}

class Cli : public ::testing::Test {
protected:
    TempHome home;
    Client db{"SAMPLE"};
    void SetUp() override {
        ASSERT_EQ(db.last.rc, SQL_SUCCESS) << db.last.message;
        ASSERT_TRUE(db.run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), AMOUNT DECIMAL(9,2), "
                           "D DATE, X DOUBLE, S SMALLINT, B BLOB(1K), C CHAR(10), BIG BIGINT)")
                        .ok())
            << db.last.message;
        ASSERT_TRUE(db.run("INSERT INTO T VALUES (1, 'one', 12.5, '2004-06-15', 0.25, 7, X'00FF10', 'ab', 5000000000), "
                           "(2, NULL, 3, NULL, NULL, NULL, NULL, NULL, NULL)")
                        .ok())
            << db.last.message;
    }
};

} // namespace

TEST_F(Cli, DescribesDeclaredAndComputedColumns) {
    Stmt s(db);
    ASSERT_EQ(s.exec("SELECT ID, NAME, AMOUNT, D, X, S, B, C, BIG, ID * 2, 'text', 1.5, COUNT(*) OVER () FROM T"),
              SQL_SUCCESS);
    SQLSMALLINT count = 0;
    SQLNumResultCols(s.h, &count);
    ASSERT_EQ(count, 13);
    struct Expect {
        const char *name;
        SQLSMALLINT type;
        SQLUINTEGER size;
        SQLSMALLINT scale;
        SQLSMALLINT nullable;
    };
    const Expect expect[] = {
        {"ID", SQL_INTEGER, 10, 0, SQL_NO_NULLS}, {"NAME", SQL_VARCHAR, 20, 0, SQL_NULLABLE},
        {"AMOUNT", SQL_DECIMAL, 9, 2, SQL_NULLABLE}, {"D", SQL_DATE, 10, 0, SQL_NULLABLE},
        {"X", SQL_DOUBLE, 15, 0, SQL_NULLABLE},     {"S", SQL_SMALLINT, 5, 0, SQL_NULLABLE},
        {"B", SQL_BLOB, 1024, 0, SQL_NULLABLE},     {"C", SQL_CHAR, 10, 0, SQL_NULLABLE},
        {"BIG", SQL_BIGINT, 19, 0, SQL_NULLABLE},   {"ID * 2", SQL_INTEGER, 10, 0, SQL_NULLABLE},
        {"'text'", SQL_VARCHAR, 254, 0, SQL_NULLABLE}, {"1.5", SQL_DOUBLE, 15, 0, SQL_NULLABLE},
    };
    for (SQLUSMALLINT i = 1; i <= 12; ++i) {
        SQLCHAR name[32];
        SQLSMALLINT name_len = 0, type = 0, scale = 0, nullable = 0;
        SQLUINTEGER size = 0;
        ASSERT_EQ(SQLDescribeCol(s.h, i, name, sizeof name, &name_len, &type, &size, &scale, &nullable), SQL_SUCCESS);
        const Expect &e = expect[i - 1];
        EXPECT_STREQ((char *)name, e.name);
        EXPECT_EQ(name_len, (SQLSMALLINT)strlen(e.name));
        EXPECT_EQ(type, e.type) << e.name;
        EXPECT_EQ(size, e.size) << e.name;
        EXPECT_EQ(scale, e.scale) << e.name;
        EXPECT_EQ(nullable, e.nullable) << e.name;
    }
    SQLCHAR name[4];
    SQLSMALLINT name_len = 0;
    EXPECT_EQ(SQLDescribeCol(s.h, 2, name, sizeof name, &name_len, nullptr, nullptr, nullptr, nullptr),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_STREQ((char *)name, "NAM");
    EXPECT_EQ(name_len, 4);
    EXPECT_EQ(SQLDescribeCol(s.h, 14, name, sizeof name, &name_len, nullptr, nullptr, nullptr, nullptr), SQL_ERROR);
}

TEST_F(Cli, ConvertsEveryTypeToTextAndReportsNull) {
    Result r = db.run("SELECT ID, NAME, AMOUNT, D, X, S, B, C, BIG FROM T ORDER BY ID");
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[0], (std::vector<std::string>{"1", "one", "12.50", "2004-06-15", "0.25", "7", "00FF10", "ab",
                                                   "5000000000"}));
    EXPECT_EQ(r.rows[1], (std::vector<std::string>{"2", "<null>", "3.00", "<null>", "<null>", "<null>", "<null>",
                                                   "<null>", "<null>"}));
}

TEST_F(Cli, BoundColumnsTruncateWithInfoAndLeaveNullBuffersAlone) {
    Stmt s(db);
    ASSERT_EQ(s.exec("SELECT NAME, ID FROM T ORDER BY ID"), SQL_SUCCESS);
    char name[3], id[8];
    SQLINTEGER name_ind = 0, id_ind = 0;
    ASSERT_EQ(SQLBindCol(s.h, 1, SQL_C_CHAR, name, sizeof name, &name_ind), SQL_SUCCESS);
    ASSERT_EQ(SQLBindCol(s.h, 2, SQL_C_CHAR, id, sizeof id, &id_ind), SQL_SUCCESS);
    std::memset(name, 0, sizeof name);
    EXPECT_EQ(SQLFetch(s.h), SQL_SUCCESS_WITH_INFO);
    EXPECT_STREQ(name, "on");
    EXPECT_EQ(name_ind, 3);
    EXPECT_EQ(s.error(SQL_SUCCESS_WITH_INFO).sqlstate, "01004");
    std::memset(name, 0, sizeof name);
    EXPECT_EQ(SQLFetch(s.h), SQL_SUCCESS);
    EXPECT_EQ(name_ind, SQL_NULL_DATA);
    EXPECT_EQ(name[0], 0) << "unfilled bytes keep the zeros set before the fetch";
    EXPECT_STREQ(id, "2");
    EXPECT_EQ(SQLFetch(s.h), SQL_NO_DATA_FOUND);
    EXPECT_EQ(SQLFetch(s.h), SQL_NO_DATA_FOUND);
}

TEST_F(Cli, GetDataDeliversLongValuesInPieces) {
    Stmt s(db);
    ASSERT_EQ(s.exec("VALUES 'abcdefghij', 'klmnopqrst'"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(s.h), SQL_SUCCESS);
    char part[5];
    SQLINTEGER ind = 0;
    EXPECT_EQ(SQLGetData(s.h, 1, SQL_C_CHAR, part, sizeof part, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_STREQ(part, "abcd");
    EXPECT_EQ(ind, 10);
    EXPECT_EQ(SQLGetData(s.h, 1, SQL_C_CHAR, part, sizeof part, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_STREQ(part, "efgh");
    EXPECT_EQ(SQLGetData(s.h, 1, SQL_C_CHAR, part, sizeof part, &ind), SQL_SUCCESS);
    EXPECT_STREQ(part, "ij");
    EXPECT_EQ(SQLGetData(s.h, 1, SQL_C_CHAR, part, sizeof part, &ind), SQL_NO_DATA_FOUND);
    // the next row, and the first again after a new execute, start at their beginning
    ASSERT_EQ(SQLFetch(s.h), SQL_SUCCESS);
    EXPECT_EQ(SQLGetData(s.h, 1, SQL_C_CHAR, part, sizeof part, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_STREQ(part, "klmn");
    ASSERT_EQ(SQLExecute(s.h), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(s.h), SQL_SUCCESS);
    EXPECT_EQ(SQLGetData(s.h, 1, SQL_C_CHAR, part, sizeof part, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_STREQ(part, "abcd");
}

TEST_F(Cli, StatementWithoutResultHasNoColumnsAndCountsRows) {
    Stmt s(db);
    ASSERT_EQ(s.exec("UPDATE T SET NAME = 'x'"), SQL_SUCCESS);
    SQLSMALLINT count = -1;
    SQLNumResultCols(s.h, &count);
    EXPECT_EQ(count, 0);
    SQLINTEGER rows = 0;
    SQLRowCount(s.h, &rows);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(SQLFetch(s.h), SQL_ERROR);
    EXPECT_EQ(s.error(SQL_ERROR).sqlstate, "24000");
}

TEST_F(Cli, ErrorsGiveSqlcodeStateAndMessageAndChangeNothing) {
    struct Case {
        const char *sql;
        SQLINTEGER sqlcode;
        const char *sqlstate;
        const char *text;
    };
    const Case cases[] = {
        {"SELEC * FROM T", -104, "42601", "SQL0104N  An unexpected token \"SELEC\" was found.  SQLSTATE=42601"},
        {"SELECT * FROM EMPLOYEES", -204, "42704", "SQL0204N  \"EMPLOYEES\" is an undefined name.  SQLSTATE=42704"},
        {"SELECT NOPE FROM T", -206, "42703", "\"NOPE\" is not valid"},
        {"INSERT INTO T (ID) VALUES (1)", -803, "23505", "SQL0803N"},
        {"INSERT INTO T (NAME) VALUES (NULL)", -407, "23502", "SQL0407N"},
        {"UPDATE T SET ID = 1", -803, "23505", "SQL0803N"},
        {"SELECT NOFUNC(1) FROM T", -440, "42884", "NOFUNC"},
        {"SELECT 1; SELECT 2", -104, "42601", "SELECT"},
        {"", -198, "42617", "SQL0198N"},
        {"   -- only a comment", -198, "42617", "SQL0198N"},
        {"CREATE TABLE L (V VARCHAR(17179869184G))", -604, "42611", "\"17179869184G\" is not valid"},
        {"VALUES CAST('x' AS VARCHAR(3G))", -604, "42611", "SQL0604N"},
        {"CREATE FUNCTION L (VARCHAR(17179869184G)) RETURNS INTEGER EXTERNAL NAME 'zaltest!twice'", -604, "42611",
         "SQL0604N"},
        {"VALUES INTEGER(1e300)", -413, "22003", "SQL0413N"},
    };
    for (const Case &c : cases) {
        Result r = db.run(c.sql);
        EXPECT_EQ(r.rc, SQL_ERROR) << c.sql;
        EXPECT_EQ(r.sqlcode, c.sqlcode) << c.sql << ": " << r.message;
        EXPECT_EQ(r.sqlstate, c.sqlstate) << c.sql;
        EXPECT_EQ(r.message.rfind("[ZAL][CLI Driver][ZAL] SQL", 0), 0u) << r.message;
        EXPECT_NE(r.message.find(c.text), std::string::npos) << r.message;
    }
    EXPECT_EQ(db.value("SELECT COUNT(*) || '/' || SUM(ID) FROM T"), "2/3");
}

TEST_F(Cli, MultiRowStatementThatFailsHalfwayLeavesNoRow) {
    Result r = db.run("INSERT INTO T (ID, NAME) VALUES (10, 'a'), (11, 'b'), (1, 'duplicate')");
    EXPECT_EQ(r.sqlcode, -803);
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM T"), "2");
}

TEST_F(Cli, StatementTextWithNulOrTooLongIsRefused) {
    Stmt s(db);
    const std::string with_nul("SELECT 1\0 FROM T", 16);
    EXPECT_EQ(SQLPrepare(s.h, (SQLCHAR *)with_nul.data(), (SQLINTEGER)with_nul.size()), SQL_ERROR);
    Result r = s.error(SQL_ERROR);
    EXPECT_EQ(r.sqlcode, -7);
    EXPECT_EQ(r.sqlstate, "42601");

    const std::string huge = "SELECT '" + std::string(3 * 1024 * 1024, 'x') + "' FROM T";
    EXPECT_EQ(SQLPrepare(s.h, (SQLCHAR *)huge.data(), (SQLINTEGER)huge.size()), SQL_ERROR);
    EXPECT_EQ(s.error(SQL_ERROR).sqlcode, -101);
    EXPECT_EQ(SQLPrepare(s.h, (SQLCHAR *)"VALUES 1", -5), SQL_ERROR);
    EXPECT_EQ(s.error(SQL_ERROR).sqlstate, "HY090");
}

TEST_F(Cli, HandlesAreCheckedAndNeverReused) {
    Stmt s(db);
    SQLHSTMT old = s.h;
    // what the freed statement leaves behind: a bound column and a pending diagnostic
    char bound[16] = "untouched";
    SQLINTEGER bound_len = 0;
    ASSERT_EQ(SQLBindCol(old, 1, SQL_C_CHAR, bound, sizeof bound, &bound_len), SQL_SUCCESS);
    ASSERT_EQ(s.exec("SELECT NOPE FROM T"), SQL_ERROR);
    ASSERT_EQ(SQLFreeStmt(old, SQL_DROP), SQL_SUCCESS);
    EXPECT_EQ(SQLExecute(old), SQL_INVALID_HANDLE);
    EXPECT_EQ(SQLAllocStmt(db.hdbc, &s.h), SQL_SUCCESS);
    EXPECT_NE(s.h, old);
    EXPECT_EQ(SQLExecute(old), SQL_INVALID_HANDLE) << "the old number stays invalid once a new handle is out";
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    EXPECT_EQ(SQLError(db.henv, db.hdbc, s.h, state, nullptr, nullptr, 0, nullptr), SQL_NO_DATA_FOUND)
        << "a new statement starts without the diagnostic of a freed one";
    ASSERT_EQ(s.exec("VALUES 1"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(s.h), SQL_SUCCESS);
    EXPECT_STREQ(bound, "untouched") << "a new statement starts without the bindings of a freed one";
    EXPECT_EQ(SQLFetch(123456789), SQL_INVALID_HANDLE);
    EXPECT_EQ(SQLConnect(db.hdbc, (SQLCHAR *)"SAMPLE", SQL_NTS, nullptr, 0, nullptr, 0), SQL_ERROR);
    EXPECT_EQ(diagnostic(SQL_ERROR, db.henv, db.hdbc, 0).sqlstate, "08002");
    EXPECT_EQ(SQLFreeConnect(db.hdbc), SQL_ERROR) << "a connection is freed only after it is disconnected";
}

TEST_F(Cli, DiagnosticIsReadOnceAndTruncatedToTheBuffer) {
    Stmt s(db);
    ASSERT_EQ(s.exec("SELECT * FROM NOWHERE"), SQL_ERROR);
    SQLCHAR state[6], message[24];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    EXPECT_EQ(SQLError(db.henv, db.hdbc, s.h, state, &native, message, sizeof message, &length),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(native, -204);
    EXPECT_STREQ((char *)state, "42704");
    EXPECT_EQ(strlen((char *)message), sizeof message - 1);
    EXPECT_GT(length, (SQLSMALLINT)sizeof message);
    EXPECT_EQ(SQLError(db.henv, db.hdbc, s.h, state, &native, message, sizeof message, &length), SQL_NO_DATA_FOUND);
}

TEST_F(Cli, FileBoundParameterAndColumnCarryBlobs) {
    const std::string picture("\x00\x01\xff\x42 picture bytes", 18);
    write_text(home / "in.bin", picture);
    Stmt ins(db);
    std::string in_name = (home / "in.bin").string();
    SQLUINTEGER read = SQL_FILE_READ;
    SQLINTEGER ind = 0;
    ASSERT_EQ(ins.prepare("INSERT INTO T (ID, B) VALUES (3, ?)"), SQL_SUCCESS);
    SQLSMALLINT in_len = (SQLSMALLINT)in_name.size();
    ASSERT_EQ(SQLBindFileToParam(ins.h, 1, SQL_BLOB, (SQLCHAR *)in_name.data(), &in_len, &read, 255, &ind),
              SQL_SUCCESS);
    ASSERT_EQ(SQLExecute(ins.h), SQL_SUCCESS) << ins.error(SQL_ERROR).message;

    Stmt sel(db);
    ASSERT_EQ(sel.exec("SELECT B FROM T WHERE ID = 3"), SQL_SUCCESS);
    std::string out_name = (home / "out.bin").string();
    SQLSMALLINT out_len = (SQLSMALLINT)out_name.size();
    SQLUINTEGER overwrite = SQL_FILE_OVERWRITE;
    SQLINTEGER data_len = 0, out_ind = 0;
    write_text(home / "out.bin", "older and longer content that must go");
    ASSERT_EQ(SQLBindFileToCol(sel.h, 1, (SQLCHAR *)out_name.data(), &out_len, &overwrite, 255, &data_len, &out_ind),
              SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(sel.h), SQL_SUCCESS);
    EXPECT_EQ(read_text(home / "out.bin"), picture);
    EXPECT_EQ(data_len, (SQLINTEGER)picture.size());
}

TEST_F(Cli, MissingOrUnwritableFilesAreReported) {
    Stmt ins(db);
    std::string missing = (home / "missing.bin").string();
    SQLUINTEGER read = SQL_FILE_READ;
    SQLINTEGER ind = 0;
    ASSERT_EQ(ins.prepare("INSERT INTO T (ID, B) VALUES (4, ?)"), SQL_SUCCESS);
    ASSERT_EQ(SQLBindFileToParam(ins.h, 1, SQL_BLOB, (SQLCHAR *)missing.c_str(), nullptr, &read, 255, &ind),
              SQL_SUCCESS);
    EXPECT_EQ(SQLExecute(ins.h), SQL_ERROR);
    Result r = ins.error(SQL_ERROR);
    EXPECT_EQ(r.sqlcode, -452);
    EXPECT_NE(r.message.find("missing.bin"), std::string::npos);
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM T"), "2");

    Stmt unbound(db);
    EXPECT_EQ(unbound.exec("INSERT INTO T (ID, B) VALUES (5, ?)"), SQL_ERROR);
    EXPECT_EQ(unbound.error(SQL_ERROR).sqlcode, -313);

    Stmt sel(db);
    ASSERT_EQ(sel.exec("SELECT B FROM T WHERE ID = 1"), SQL_SUCCESS);
    std::string nowhere = (home / "no-such-dir" / "out.bin").string();
    SQLUINTEGER overwrite = SQL_FILE_OVERWRITE;
    SQLINTEGER data_len = 0, out_ind = 0;
    ASSERT_EQ(SQLBindFileToCol(sel.h, 1, (SQLCHAR *)nowhere.c_str(), nullptr, &overwrite, 255, &data_len, &out_ind),
              SQL_SUCCESS);
    EXPECT_EQ(SQLFetch(sel.h), SQL_ERROR);
    EXPECT_EQ(sel.error(SQL_ERROR).sqlcode, -452);
}

// Tests that limit or measure the process's memory; the sanitizer pass leaves their suite out,
// as its allocator reserves and holds back memory of its own.
class CliMemoryBounds : public Cli {};

// A call that runs out of memory fails with a diagnostic; nothing is thrown at the caller.
TEST_F(CliMemoryBounds, OutOfMemoryFailsTheCallAndThrowsNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto big = home / "big.bin";
    std::ofstream(big).close();
    std::filesystem::resize_file(big, 512u * 1024 * 1024); // sparse: costs no disk; below the value limit
    Stmt ins(db);
    std::string name = big.string();
    SQLUINTEGER read = SQL_FILE_READ;
    SQLINTEGER ind = 0;
    ASSERT_EQ(ins.prepare("INSERT INTO T (ID, B) VALUES (6, ?)"), SQL_SUCCESS);
    ASSERT_EQ(SQLBindFileToParam(ins.h, 1, SQL_BLOB, (SQLCHAR *)name.c_str(), nullptr, &read, 255, &ind), SQL_SUCCESS);
    EXPECT_EXIT(execute_with_little_memory(ins), ::testing::ExitedWithCode(0), "");
}

TEST_F(Cli, TwoConnectionsWriteOneDatabase) {
    Client other("SAMPLE");
    ASSERT_TRUE(db.run("INSERT INTO T (ID) VALUES (20)").ok());
    ASSERT_TRUE(other.run("INSERT INTO T (ID) VALUES (21)").ok()) << other.last.message;
    ASSERT_TRUE(db.run("INSERT INTO T (ID) VALUES (22)").ok());
    EXPECT_EQ(other.value("SELECT COUNT(*) FROM T"), "5");
}

TEST_F(Cli, DisconnectDropsStatementsAndAllowsAFreshConnect) {
    SQLHSTMT h = 0;
    ASSERT_EQ(SQLAllocStmt(db.hdbc, &h), SQL_SUCCESS);
    ASSERT_EQ(SQLDisconnect(db.hdbc), SQL_SUCCESS);
    EXPECT_EQ(SQLExecute(h), SQL_INVALID_HANDLE);
    EXPECT_EQ(SQLDisconnect(db.hdbc), SQL_ERROR);
    EXPECT_EQ(SQLConnect(db.hdbc, (SQLCHAR *)"SAMPLE", SQL_NTS, (SQLCHAR *)"", SQL_NTS, (SQLCHAR *)"", SQL_NTS),
              SQL_SUCCESS);
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM T"), "2");
}

// The very next statement, a query as much as a change, finds that the file is gone or is
// another one, and nothing more is written into the file that was open.
TEST_F(Cli, DatabaseFileRemovedOrReplacedWhileConnectedIsReported) {
    const auto file = home / "SAMPLE.db";
    const std::function<void()> faults[] = {
        [&] {
            std::filesystem::copy_file(file, home / "copy.db");
            std::filesystem::rename(home / "copy.db", file);
        },
        [&] { std::filesystem::remove(file); },
    };
    for (const auto &fault : faults) {
        Client c("SAMPLE");
        ASSERT_EQ(c.last.rc, SQL_SUCCESS) << c.last.message;
        fault();
        for (const char *sql : {"INSERT INTO T (ID) VALUES (30)", "SELECT COUNT(*) FROM T"}) {
            Result r = c.run(sql);
            EXPECT_EQ(r.rc, SQL_ERROR) << sql;
            EXPECT_EQ(r.sqlcode, -1036) << r.message;
            EXPECT_NE(r.message.find("removed or replaced"), std::string::npos) << r.message;
        }
        db.disconnect();
        c.disconnect();
        // a replaced file is still the database; it never saw the row
        if (std::filesystem::exists(file)) {
            Client again("SAMPLE");
            EXPECT_EQ(again.value("SELECT COUNT(*) FROM T WHERE ID = 30"), "0");
        }
    }
}

// A value written into a file that cannot take it is an error with the system's reason, not
// a fetch with a length and an empty file; a FIFO that no one reads fails at once.
TEST_F(Cli, FileColumnThatCannotBeWrittenFailsTheFetch) {
    const auto fifo = home / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string file;
        int error;
    } cases[] = {{"/dev/full", ENOSPC}, {fifo.string(), ENXIO}};
    for (const auto &k : cases) {
        Stmt sel(db);
        ASSERT_EQ(sel.exec("SELECT B FROM T WHERE ID = 1"), SQL_SUCCESS);
        SQLUINTEGER overwrite = SQL_FILE_OVERWRITE;
        SQLINTEGER data_len = 0, ind = 0;
        ASSERT_EQ(SQLBindFileToCol(sel.h, 1, (SQLCHAR *)k.file.c_str(), nullptr, &overwrite, 255, &data_len, &ind),
                  SQL_SUCCESS);
        EXPECT_EQ(SQLFetch(sel.h), SQL_ERROR) << k.file;
        const Result r = sel.error(SQL_ERROR);
        EXPECT_EQ(r.sqlcode, -452);
        EXPECT_NE(r.message.find(k.file), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(std::strerror(k.error)), std::string::npos) << r.message;
        EXPECT_EQ(data_len, 0);
    }
}

// A parameter's file is a regular file no larger than the largest value: a device or a FIFO
// would never end or block the call, a larger file would go in as NULL.
TEST_F(Cli, FileParameterReadsOnlyRegularFilesOfAValuesSize) {
    const auto fifo = home / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto huge = home / "huge.bin";
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, 1000000001); // sparse, one byte past the largest value
    const struct {
        std::string file;
        const char *reason;
    } cases[] = {
        {"/dev/zero", "not a regular file"},
        {fifo.string(), "not a regular file"},
        {home.path().string(), "not a regular file"},
        {huge.string(), "larger than the largest value, 1000000000 bytes"},
    };
    for (const auto &k : cases) {
        Stmt ins(db);
        SQLUINTEGER read = SQL_FILE_READ;
        SQLINTEGER ind = 0;
        ASSERT_EQ(ins.prepare("INSERT INTO T (ID, B) VALUES (7, ?)"), SQL_SUCCESS);
        ASSERT_EQ(SQLBindFileToParam(ins.h, 1, SQL_BLOB, (SQLCHAR *)k.file.c_str(), nullptr, &read, 255, &ind),
                  SQL_SUCCESS);
        EXPECT_EQ(SQLExecute(ins.h), SQL_ERROR) << k.file;
        const Result r = ins.error(SQL_ERROR);
        EXPECT_EQ(r.sqlcode, -452) << k.file;
        EXPECT_NE(r.message.find(k.reason), std::string::npos) << r.message;
    }
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM T WHERE ID = 7"), "0");
}

TEST_F(Cli, ResetParamsDropsTheFileBindings) {
    write_text(home / "in.bin", "bytes");
    std::string name = (home / "in.bin").string();
    Stmt ins(db);
    SQLUINTEGER read = SQL_FILE_READ;
    SQLINTEGER ind = 0;
    ASSERT_EQ(ins.prepare("INSERT INTO T (ID, B) VALUES (8, ?)"), SQL_SUCCESS);
    ASSERT_EQ(SQLBindFileToParam(ins.h, 1, SQL_BLOB, (SQLCHAR *)name.c_str(), nullptr, &read, 255, &ind), SQL_SUCCESS);
    ASSERT_EQ(SQLFreeStmt(ins.h, SQL_RESET_PARAMS), SQL_SUCCESS);
    EXPECT_EQ(SQLExecute(ins.h), SQL_ERROR);
    EXPECT_EQ(ins.error(SQL_ERROR).sqlcode, -313);
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM T WHERE ID = 8"), "0");
}

// A statement that ends inside a string, or holds a character that starts no token, is the
// user's syntax error, not a system error.
TEST_F(Cli, UnterminatedStringAndStrayCharactersAreSyntaxErrors) {
    const struct {
        std::string sql;
        SQLINTEGER sqlcode;
        const char *sqlstate;
        const char *shows;
    } cases[] = {
        {"VALUES 'abc", -10, "42603", "SQL0010N  The string constant beginning with \"'abc\""},
        {"SELECT 'it''s" + std::string(5000, 'x'), -10, "42603", "beginning with \"'it''sxxxxxxxxxxxxxx\" does"},
        {"VALUES 1 @ 2", -104, "42601", "SQL0104N  An unexpected token \"@\" was found."},
        {"SELECT \"NAME FROM T", -104, "42601", "\"\"NAME FROM T\""},
    };
    for (const auto &k : cases) {
        const Result r = db.run(k.sql);
        EXPECT_EQ(r.rc, SQL_ERROR) << k.sql;
        EXPECT_EQ(r.sqlcode, k.sqlcode) << r.message;
        EXPECT_EQ(r.sqlstate, k.sqlstate) << r.message;
        EXPECT_NE(r.message.find(k.shows), std::string::npos) << r.message;
    }
}

// Repeated texts are translated once, but the cache holds a bounded number of bytes: long
// statements that differ (a loader's) do not pile up in memory.
TEST_F(CliMemoryBounds, LongStatementsDoNotPileUpInTheTranslationCache) {
    auto resident = [] {
        long pages = 0, rss = 0;
        std::ifstream("/proc/self/statm") >> pages >> rss;
        return static_cast<size_t>(rss) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
    };
    const std::string filler(1 << 20, 'x');
    const size_t before = resident();
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(db.run("VALUES LENGTH('" + std::to_string(i) + filler + "')").ok()) << db.last.message;
    // 200 statements of 1 MiB, each with its translation, held 400 MiB
    EXPECT_LT(resident() - before, size_t{64} << 20);
}

// A full file system fails the statement that needs room, and a file binding that cannot be
// written, with their reasons; a table whose creation could not be committed is not there.
TEST(CliFullDisk, FailuresOnAFullFileSystemAreReportedAndKeepNothingHalfDone) {
    TempDir mount_point;
    const std::string outcome = in_child([&]() -> std::string {
        if (!mount_small_file_system(mount_point.path(), 4u << 20))
            return std::string(child_skipped) + "no tmpfs can be mounted here";
        EnvVar zal_home("ZAL_HOME", mount_point.path().string());
        zal_sqlca ca{};
        if (zalStartManager(nullptr, &ca) != 0)
            return "the manager did not start on the small file system";
        Client c("SAMPLE");
        if (!c.run("CREATE TABLE P (ID INTEGER, B BLOB(1K))").ok() || !c.run("INSERT INTO P VALUES (1, X'0102')").ok())
            return "no table before the file system was full: " + c.last.message;
        fill_file_system(mount_point.path());
        std::string failures;
        for (const char *sql : {"CREATE TABLE Q (ID INTEGER)", "INSERT INTO P VALUES (2, X'03')"}) {
            const Result r = c.run(sql);
            if (r.rc != SQL_ERROR || r.sqlcode != -968)
                failures += std::string(sql) + ": " + std::to_string(r.sqlcode) + " " + r.message + "\n";
        }
        if (c.run("SELECT COUNT(*) FROM Q").sqlcode != -204)
            failures += "the table whose creation failed is there\n";
        SQLHSTMT h = 0;
        SQLAllocStmt(c.hdbc, &h);
        const std::string file = (mount_point.path() / "picture.bin").string();
        SQLUINTEGER overwrite = SQL_FILE_OVERWRITE;
        SQLINTEGER data_len = 0, ind = 0;
        SQLExecDirect(h, (SQLCHAR *)"SELECT B FROM P", SQL_NTS);
        SQLBindFileToCol(h, 1, (SQLCHAR *)file.c_str(), nullptr, &overwrite, 255, &data_len, &ind);
        const SQLRETURN rc = SQLFetch(h);
        const Result r = diagnostic(rc, c.henv, c.hdbc, h);
        if (rc != SQL_ERROR || r.sqlcode != -452 || r.message.find(std::strerror(ENOSPC)) == std::string::npos)
            failures += "picture file: " + std::to_string(rc) + " " + r.message + "\n";
        SQLFreeStmt(h, SQL_DROP);
        return failures;
    });
    if (outcome.starts_with(child_skipped))
        GTEST_SKIP() << outcome;
    EXPECT_EQ(outcome, "");
}
