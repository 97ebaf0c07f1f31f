// The call-level interface on arbitrary statements: each input is a script of statements, one
// ending at each ";" that ends a line, prepared, described, executed and fetched on a database
// of a temporary instance that starts afresh for every input. Every call that fails must leave
// a diagnostic.
#include "connection.h"
#include "fuzz_support.h"
#include "instance.h"
#include "product.h"

#include <sqlite3.h>
#include <zalcli.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char *database = "FUZZ";
constexpr size_t most_statements = 16;
constexpr int most_rows = 64;
constexpr int most_pieces = 64;   // SQLGetData calls for one value
constexpr int steps_between_checks = 1000;
constexpr int most_checks = 2000; // then the statement is interrupted

const char *setup =
    "CREATE TABLE STAFF (ID SMALLINT NOT NULL PRIMARY KEY, NAME VARCHAR(9), DEPT SMALLINT, JOB CHAR(5), "
    "YEARS SMALLINT, SALARY DECIMAL(7,2), COMM DECIMAL(7,2), HIRED DATE, BIG BIGINT, RATE DOUBLE);"
    "INSERT INTO STAFF VALUES (10, 'Sanders', 20, 'Mgr', 7, 18357.50, NULL, '1996-05-01', 5000000000, 0.25), "
    "(20, 'Pernal', 20, 'Sales', 8, 18171.25, 612.45, NULL, -1, 1e300), (30, NULL, 38, 'Clerk', NULL, 0, 0, "
    "'2004-06-15', 0, -0.5);"
    "CREATE TABLE PICTURES (ID INTEGER, PIC BLOB(1M), MAP BLOB(1K), NOTE CLOB(32K), "
    "T TIMESTAMP DEFAULT CURRENT TIMESTAMP);"
    "INSERT INTO PICTURES (ID, PIC, MAP, NOTE) VALUES (1, X'424D0001FF', X'0A141E00FF000000', 'a picture');"
    "CREATE VIEW MANAGERS AS SELECT ID, NAME FROM STAFF WHERE JOB = 'Mgr';"
    "CREATE FUNCTION ADD_TAX (AMOUNT DECIMAL(9,2), RATE DOUBLE) RETURNS DOUBLE LANGUAGE SQL "
    "RETURN AMOUNT * (1 + RATE);"
    "CREATE FUNCTION DOUBLED (X INTEGER) RETURNS INTEGER LANGUAGE SQL DETERMINISTIC RETURN X + X;"
    "CREATE FUNCTION LABEL (ID INTEGER, NAME VARCHAR(9)) RETURNS VARCHAR(40) LANGUAGE SQL DETERMINISTIC "
    "RETURN CASE WHEN NAME = 'x' THEN NULL ELSE NAME || DOUBLED(ID) END";

std::string home;
std::vector<char> pristine; // the database file as the set-up left it
SQLHENV henv = 0;
int checks = 0;

// Bounds the work of one input: a statement that runs too long is interrupted.
int progress(void *) { return ++checks > most_checks; }

// The diagnostic a failed call must leave on its handle.
void check_diagnostic(SQLRETURN rc, SQLHDBC hdbc, SQLHSTMT hstmt) {
    if (rc != SQL_ERROR)
        return;
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    const SQLRETURN got = SQLError(henv, hdbc, hstmt, state, &native, message, sizeof message, &length);
    fuzz_check(got == SQL_SUCCESS || got == SQL_SUCCESS_WITH_INFO);
    fuzz_check(native != 0 && std::char_traits<char>::length(reinterpret_cast<char *>(state)) == 5 && length > 0);
}

void write_file(const fs::path &path, const char *data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    fuzz_check(out.good());
}

// Statements end at each ";" that ends a line, and at the end of the input.
std::vector<std::string> statements_of(const std::string &script) {
    std::vector<std::string> out;
    size_t from = 0;
    while (from < script.size() && out.size() < most_statements) {
        size_t end = script.find(";\n", from);
        if (end == std::string::npos)
            end = script.size();
        out.push_back(script.substr(from, end - from));
        from = end + 2;
    }
    return out;
}

// Fetches the rows: column 1 into a short bound buffer, column 2 into a file, the others
// through SQLGetData in short pieces.
void fetch(SQLHDBC hdbc, SQLHSTMT hstmt, SQLSMALLINT columns) {
    char bound[7];
    SQLINTEGER bound_len = 0, file_len = 0, file_ind = 0;
    SQLUINTEGER overwrite = SQL_FILE_OVERWRITE;
    const std::string file = home + "/column.bin";
    SQLSMALLINT name_len = static_cast<SQLSMALLINT>(file.size());
    if (columns >= 1)
        check_diagnostic(SQLBindCol(hstmt, 1, SQL_C_CHAR, bound, sizeof bound, &bound_len), hdbc, hstmt);
    if (columns >= 2)
        check_diagnostic(SQLBindFileToCol(hstmt, 2, (SQLCHAR *)file.c_str(), &name_len, &overwrite, name_len,
                                          &file_len, &file_ind),
                         hdbc, hstmt);
    for (int row = 0; row < most_rows; ++row) {
        SQLRETURN rc = SQLFetch(hstmt);
        check_diagnostic(rc, hdbc, hstmt);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            return;
        fuzz_check(bound_len == SQL_NULL_DATA || (bound_len >= 0 && std::memchr(bound, 0, sizeof bound)));
        for (SQLUSMALLINT column = 3; column <= columns; ++column)
            for (int piece = 0; piece < most_pieces; ++piece) {
                char buffer[5];
                SQLINTEGER length = 0;
                rc = SQLGetData(hstmt, column, SQL_C_CHAR, buffer, sizeof buffer, &length);
                check_diagnostic(rc, hdbc, hstmt);
                if (rc != SQL_SUCCESS_WITH_INFO)
                    break;
                fuzz_check(std::memchr(buffer, 0, sizeof buffer) != nullptr);
            }
    }
}

void run(SQLHDBC hdbc, const std::string &sql) {
    SQLHSTMT hstmt = 0;
    SQLRETURN rc = SQLAllocStmt(hdbc, &hstmt);
    check_diagnostic(rc, hdbc, 0);
    if (rc != SQL_SUCCESS)
        return;
    checks = 0;
    rc = SQLPrepare(hstmt, (SQLCHAR *)sql.data(), static_cast<SQLINTEGER>(sql.size()));
    check_diagnostic(rc, hdbc, hstmt);
    SQLSMALLINT columns = 0;
    check_diagnostic(SQLNumResultCols(hstmt, &columns), hdbc, hstmt);
    for (SQLUSMALLINT column = 1; column <= columns; ++column) {
        SQLCHAR name[8];
        SQLSMALLINT name_len = 0, type = 0, scale = 0, nullable = 0;
        SQLUINTEGER size = 0;
        check_diagnostic(SQLDescribeCol(hstmt, column, name, sizeof name, &name_len, &type, &size, &scale, &nullable),
                         hdbc, hstmt);
    }
    // Markers take the bytes of a small file.
    const std::string param = home + "/param.bin";
    SQLUINTEGER read = SQL_FILE_READ;
    SQLINTEGER indicator = 0;
    for (SQLUSMALLINT marker = 1; marker <= 3; ++marker)
        check_diagnostic(SQLBindFileToParam(hstmt, marker, SQL_BLOB, (SQLCHAR *)param.c_str(), nullptr, &read, 0,
                                            &indicator),
                         hdbc, hstmt);
    rc = SQLExecute(hstmt);
    check_diagnostic(rc, hdbc, hstmt);
    if (rc == SQL_SUCCESS) {
        SQLINTEGER rows = 0;
        check_diagnostic(SQLRowCount(hstmt, &rows), hdbc, hstmt);
        fetch(hdbc, hstmt, columns);
    }
    fuzz_check(SQLFreeStmt(hstmt, SQL_DROP) == SQL_SUCCESS);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    home = fuzz_work_dir("fuzz_cli");
    fuzz_check(chdir(home.c_str()) == 0);
    setenv("ZAL_HOME", home.c_str(), 1);
    write_file(zal::instance_marker(), "", 0);
    write_file(home + "/param.bin", "\x0a\x14\x1e\x00\xff", 5);
    const fs::path file = zal::database_path(database);
    zal::Diagnostic error;
    {
        auto c = zal::Connection::create(file.string(), database, "FUZZER", error);
        fuzz_check(c && c->execute_script(setup, error));
    }
    std::ifstream in(file, std::ios::binary);
    pristine.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    fuzz_check(!pristine.empty() && SQLAllocEnv(&henv) == SQL_SUCCESS);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    const fs::path file = zal::database_path(database);
    for (const char *suffix : {"-wal", "-shm"})
        fs::remove(file.string() + suffix);
    write_file(file, pristine.data(), pristine.size());

    SQLHDBC hdbc = 0;
    fuzz_check(SQLAllocConnect(henv, &hdbc) == SQL_SUCCESS);
    fuzz_check(SQLConnect(hdbc, (SQLCHAR *)database, SQL_NTS, nullptr, 0, nullptr, 0) == SQL_SUCCESS);
    zal::with_current_connection([](zal::Connection &c) {
        // Values stay small, no statement reaches a file outside the database, and a database
        // thrown away after the input need not reach the disk.
        sqlite3_limit(c.db(), SQLITE_LIMIT_LENGTH, 1 << 20);
        sqlite3_limit(c.db(), SQLITE_LIMIT_ATTACHED, 0);
        sqlite3_progress_handler(c.db(), steps_between_checks, progress, nullptr);
        sqlite3_exec(c.db(), "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    });
    for (const std::string &sql : statements_of(std::string(reinterpret_cast<const char *>(data), size)))
        run(hdbc, sql);
    check_diagnostic(SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_ROLLBACK), hdbc, 0);
    fuzz_check(SQLDisconnect(hdbc) == SQL_SUCCESS && SQLFreeConnect(hdbc) == SQL_SUCCESS);
    return 0;
}
