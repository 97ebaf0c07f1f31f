// External and SQL-bodied routines: registration, calls, failures, persistence and DROP.
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <new>

using namespace kestle_test;

namespace {

// Allocations of the product's C++ code above this size fail, as they do when memory runs out;
// the engine allocates with malloc and goes on. What this operator new takes from malloc, the
// operator deletes below give back to free.
size_t fail_new_above = SIZE_MAX;

} // namespace

void *operator new(std::size_t n) {
    if (n > fail_new_above)
        throw std::bad_alloc();
    if (void *p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

// gcc cannot see that the operator new above is malloc's, and warns of a mismatch
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void *p) noexcept {
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

namespace {

const char *definitions[] = {
    "CREATE FUNCTION TWICE (INTEGER) RETURNS INTEGER EXTERNAL NAME 'zaltest!twice' LANGUAGE C PARAMETER STYLE ZAL "
    "NO SQL DETERMINISTIC",
    "CREATE FUNCTION GREET (VARCHAR(20)) RETURNS VARCHAR(40) EXTERNAL NAME 'zaltest!greet' LANGUAGE C",
    "CREATE FUNCTION BLOB_SIZE (BLOB(1M)) RETURNS INTEGER EXTERNAL NAME 'zaltest!blob_size' LANGUAGE C",
    "CREATE FUNCTION REFUSE (INTEGER) RETURNS INTEGER EXTERNAL NAME 'zaltest!refuse' LANGUAGE C",
    "CREATE FUNCTION COUNT_TO (INTEGER) RETURNS TABLE (VALUE INTEGER, LABEL VARCHAR(10)) "
    "EXTERNAL NAME 'zaltest!count_to' LANGUAGE C PARAMETER STYLE ZAL NO SQL",
    "CREATE FUNCTION MISSING_LIB (INTEGER) RETURNS INTEGER EXTERNAL NAME 'nosuchlibrary!x' LANGUAGE C",
    "CREATE FUNCTION MISSING_ENTRY (INTEGER) RETURNS INTEGER EXTERNAL NAME 'zaltest!not_there' LANGUAGE C",
    "CREATE FUNCTION ADD_TAX (AMOUNT DECIMAL(9,2), RATE DOUBLE) RETURNS DOUBLE LANGUAGE SQL "
    "RETURN AMOUNT * (1 + RATE)",
};

class Routines : public ::testing::Test {
protected:
    TempHome home;
    Client db{"SAMPLE"};
    void SetUp() override {
        for (const char *d : definitions)
            ASSERT_TRUE(db.run(d).ok()) << d << ": " << db.last.message;
    }
};

} // namespace

TEST_F(Routines, ScalarRoutinesAreCalledWithTheirArguments) {
    EXPECT_EQ(db.value("VALUES TWICE(21)"), "42");
    EXPECT_EQ(db.value("VALUES GREET('Ann')"), "Hello, Ann");
    EXPECT_EQ(db.value("VALUES BLOB_SIZE(X'0102FF')"), "3");
    EXPECT_EQ(db.value("VALUES ADD_TAX(100, 0.25)"), "125.0");
    EXPECT_EQ(db.value("VALUES COALESCE(CHAR(TWICE(NULL)), 'not called')"), "not called");
    EXPECT_EQ(db.value("SELECT SUM(TWICE(ID)) = 2 * SUM(ID) FROM STAFF"), "1");
}

TEST_F(Routines, TableFunctionScansFromOpenToClose) {
    Result r = db.run("SELECT * FROM TABLE(COUNT_TO(3)) AS C");
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.columns, (std::vector<std::string>{"VALUE", "LABEL"}));
    EXPECT_EQ(r.rows, (std::vector<std::vector<std::string>>{{"1", "row 1"}, {"2", "<null>"}, {"3", "row 3"}}));
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM TABLE(COUNT_TO(0)) AS C"), "0");
    // the scan restarts for every outer row
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM (SELECT ID FROM STAFF FETCH FIRST 4 ROWS ONLY) S, "
                       "TABLE(COUNT_TO(2)) AS C"),
              "8");
    // an argument taken from the outer row
    const std::string id = db.value("SELECT MIN(ID) FROM STAFF WHERE YEARS > 1");
    EXPECT_EQ(db.value("SELECT SUM(C.VALUE) FROM STAFF S, TABLE(COUNT_TO(S.YEARS)) AS C WHERE S.ID = " + id),
              db.value("SELECT YEARS * (YEARS + 1) / 2 FROM STAFF WHERE ID = " + id));
}

TEST_F(Routines, TableFunctionColumnsMayHaveAnyName) {
    ASSERT_TRUE(db.run("CREATE FUNCTION NAMED (INTEGER) RETURNS TABLE (\"A\"\" INTEGER, B\" INTEGER, \"ARG\" "
                       "VARCHAR(10)) EXTERNAL NAME 'zaltest!count_to' LANGUAGE C").ok())
        << db.last.message;
    Result r = db.run("SELECT * FROM TABLE(NAMED(1)) AS N");
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.columns, (std::vector<std::string>{"A\" INTEGER, B", "ARG"}));
    EXPECT_EQ(r.rows, (std::vector<std::vector<std::string>>{{"1", "row 1"}}));
}

TEST_F(Routines, ErrorStateOfARoutineFailsTheStatementAndChangesNothing) {
    const std::string before = db.value("SELECT SUM(YEARS) FROM STAFF");
    Result r = db.run("UPDATE STAFF SET YEARS = REFUSE(YEARS)");
    EXPECT_EQ(r.rc, SQL_ERROR);
    EXPECT_EQ(r.sqlcode, -443);
    EXPECT_EQ(r.sqlstate, "38601");
    EXPECT_NE(r.message.find("refused on purpose"), std::string::npos) << r.message;
    EXPECT_EQ(db.value("SELECT SUM(YEARS) FROM STAFF"), before);
}

TEST_F(Routines, RoutinesThatCannotBeBoundSayWhy) {
    for (const char *call : {"VALUES MISSING_LIB(1)", "VALUES MISSING_ENTRY(1)"}) {
        Result r = db.run(call);
        EXPECT_EQ(r.sqlcode, -444) << call << ": " << r.message;
        EXPECT_EQ(r.sqlstate, "42724");
    }
    EXPECT_NE(db.run("VALUES MISSING_ENTRY(1)").message.find("not_there"), std::string::npos);
}

TEST_F(Routines, DefinitionsLiveInTheDatabaseUntilDropped) {
    Client other("SAMPLE");
    EXPECT_EQ(other.value("VALUES TWICE(5)"), "10");
    EXPECT_EQ(other.value("SELECT MAX(VALUE) FROM TABLE(COUNT_TO(4)) AS C"), "4");

    EXPECT_FALSE(db.run(definitions[0]).ok());
    EXPECT_EQ(db.last.sqlcode, -454);

    ASSERT_TRUE(db.run("DROP FUNCTION TWICE").ok()) << db.last.message;
    ASSERT_TRUE(db.run("DROP FUNCTION COUNT_TO").ok()) << db.last.message;
    EXPECT_EQ(db.run("VALUES TWICE(1)").sqlcode, -440);
    EXPECT_EQ(db.run("SELECT * FROM TABLE(COUNT_TO(1)) AS C").sqlcode, -204);
    EXPECT_EQ(db.run("DROP FUNCTION TWICE").sqlcode, -204);

    Client later("SAMPLE");
    EXPECT_EQ(later.run("VALUES TWICE(1)").sqlcode, -440);
    EXPECT_EQ(later.value("VALUES GREET('again')"), "Hello, again");
    ASSERT_TRUE(db.run(definitions[0]).ok()) << "a dropped name can be created again";
    EXPECT_EQ(db.value("VALUES TWICE(4)"), "8");
}

TEST_F(Routines, BadDefinitionsAreRefused) {
    const char *bad[] = {
        "CREATE FUNCTION F1 (INTEGER) RETURNS INTEGER LANGUAGE C",
        "CREATE FUNCTION F2 (NOTATYPE) RETURNS INTEGER EXTERNAL NAME 'zaltest!twice'",
        "CREATE FUNCTION F3 (INTEGER RETURNS INTEGER EXTERNAL NAME 'zaltest!twice'",
        "CREATE FUNCTION F4 (X INTEGER) RETURNS INTEGER LANGUAGE SQL",
        "CREATE FUNCTION F5 () RETURNS TABLE () EXTERNAL NAME 'zaltest!count_to'",
        "CREATE FUNCTION \"\" (INTEGER) RETURNS INTEGER EXTERNAL NAME 'zaltest!twice'",
    };
    for (const char *d : bad) {
        Result r = db.run(d);
        EXPECT_EQ(r.rc, SQL_ERROR) << d;
        EXPECT_LT(r.sqlcode, 0) << d;
    }
    EXPECT_EQ(db.run("VALUES F1(1)").sqlcode, -440);
}

TEST_F(Routines, LibraryNamedByAPathIsRefusedAtCreate) {
    const std::string bin = bin_dir().string();
    const std::string names[] = {
        bin + "/libzaltest.so!twice", "../bin/zaltest!twice", "./zaltest!twice", "sub/zaltest!twice",
        "..!twice", ".zaltest!twice", "!twice", "zal test!twice",
    };
    for (const std::string &name : names) {
        Result r = db.run("CREATE FUNCTION PATHED (INTEGER) RETURNS INTEGER EXTERNAL NAME '" + name + "' LANGUAGE C");
        EXPECT_EQ(r.sqlcode, -444) << name << ": " << r.message;
        EXPECT_EQ(r.sqlstate, "42724") << name;
        EXPECT_NE(r.message.find("without a path"), std::string::npos) << r.message;
        EXPECT_EQ(db.run("VALUES PATHED(1)").sqlcode, -440) << name << " was registered";
    }
}

TEST_F(Routines, LibrariesAreLookedUpOnlyInTheInstanceAndTheProductDirectory) {
    // a library of the system's search path is never bound, so its entry never runs
    const auto ran = home / "ran";
    ASSERT_TRUE(db.run("CREATE FUNCTION SHELL (VARCHAR(200)) RETURNS INTEGER EXTERNAL NAME 'libc.so.6!system' "
                       "LANGUAGE C").ok())
        << db.last.message;
    Result r = db.run("VALUES SHELL('touch " + ran.string() + "')");
    EXPECT_EQ(r.sqlcode, -444) << r.message;
    EXPECT_NE(r.message.find("library not found"), std::string::npos) << r.message;
    EXPECT_FALSE(std::filesystem::exists(ran));

    // the instance's function directory holds libraries of the user's own
    std::filesystem::create_directories(home / "function");
    std::filesystem::copy_file(bin_dir() / "libzaltest.so", home / "function" / "libmine.so");
    ASSERT_TRUE(db.run("CREATE FUNCTION MINE (INTEGER) RETURNS INTEGER EXTERNAL NAME 'mine!twice' LANGUAGE C").ok())
        << db.last.message;
    EXPECT_EQ(db.value("VALUES MINE(8)"), "16");
}

TEST_F(Routines, LibraryIsLoadedAtTheFirstCallNotAtConnect) {
    const std::string probe = (bin_dir() / "libzalprobe.so").string();
    auto loaded = [&] {
        void *h = dlopen(probe.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (h)
            dlclose(h);
        return h != nullptr;
    };
    ASSERT_FALSE(loaded());
    ASSERT_TRUE(db.run("CREATE FUNCTION PROBE (INTEGER) RETURNS INTEGER EXTERNAL NAME 'zalprobe!twice' LANGUAGE C")
                    .ok())
        << db.last.message;
    // a definition stored with a path, as a database file from elsewhere may hold one
    ASSERT_TRUE(db.run("INSERT INTO SYSZAL_FUNCTIONS (NAME, CREATOR, DEFINITION) VALUES ('PATHED', 'X', "
                       "'CREATE FUNCTION PATHED (INTEGER) RETURNS INTEGER EXTERNAL NAME ''" +
                       probe + "!twice'' LANGUAGE C')")
                    .ok())
        << db.last.message;
    Client other("SAMPLE");
    ASSERT_EQ(other.last.rc, SQL_SUCCESS) << other.last.message;
    EXPECT_FALSE(loaded()) << "creating or connecting loaded the library";
    Result r = other.run("VALUES PATHED(2)");
    EXPECT_EQ(r.sqlcode, -444) << r.message;
    EXPECT_NE(r.message.find("without a path"), std::string::npos) << r.message;
    EXPECT_FALSE(loaded());
    EXPECT_EQ(other.value("VALUES PROBE(2)"), "4");
    EXPECT_TRUE(loaded());
}

TEST_F(Routines, ArgumentThatDoesNotFitItsTypeIsAnOverflow) {
    const std::pair<const char *, const char *> fits[] = {
        {"VALUES TWICE(1073741823)", "2147483646"},
        {"VALUES TWICE(-1073741824)", "-2147483648"},
        {"VALUES TWICE(2.9)", "4"},
        {"VALUES TWICE('21')", "42"},
    };
    for (auto [sql, expected] : fits)
        EXPECT_EQ(db.value(sql), expected) << sql << ": " << db.last.message;
    const char *overflows[] = {
        "VALUES TWICE(4294967306)",   "VALUES TWICE(2147483648)", "VALUES TWICE(-2147483649)",
        "VALUES TWICE(1e10)",         "VALUES TWICE('4294967306')", "VALUES TWICE(9223372036854775807)",
        "SELECT * FROM TABLE(COUNT_TO(4294967306)) AS C",
    };
    for (const char *sql : overflows) {
        Result r = db.run(sql);
        EXPECT_EQ(r.sqlcode, -413) << sql << ": " << r.message;
        EXPECT_EQ(r.sqlstate, "22003") << sql;
    }
}

// A function, routine or table the engine calls back that runs out of memory fails its statement
// as the engine's own shortage; nothing unwinds through the engine.
TEST_F(Routines, OutOfMemoryInACallbackFailsTheStatement) {
    ASSERT_TRUE(db.run("CREATE FUNCTION GREET_LONG (VARCHAR(20)) RETURNS VARCHAR(2000000) "
                       "EXTERNAL NAME 'zaltest!greet' LANGUAGE C").ok())
        << db.last.message;
    ASSERT_TRUE(db.run("CREATE FUNCTION COUNT_LONG (INTEGER) RETURNS TABLE (VALUE INTEGER, LABEL VARCHAR(2000000)) "
                       "EXTERNAL NAME 'zaltest!count_to' LANGUAGE C").ok())
        << db.last.message;
    for (const char *sql : {"VALUES LENGTH(UCASE(printf('%*s', 2000000, '')))", "VALUES GREET_LONG('x')",
                            "SELECT COUNT(*) FROM TABLE(COUNT_LONG(2)) AS C"}) {
        fail_new_above = 1000000;
        Result r = db.run(sql);
        fail_new_above = SIZE_MAX;
        EXPECT_EQ(r.sqlcode, -954) << sql << ": " << r.message;
    }
    EXPECT_EQ(db.value("VALUES GREET_LONG('again')"), "Hello, again");
}
