// The call-level interface from several threads: a call waits only for its own connection, and a
// handle freed while another thread is in a call on it is never used after it is gone.
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <dlfcn.h>
#include <functional>
#include <string>
#include <thread>

using namespace kestle_test;

namespace {

// The test library's hold routine, seen through the same library the database loads.
class Hold {
public:
    Hold() : library_(dlopen((bin_dir() / "libzaltest.so").c_str(), RTLD_NOW)) {
        if (!library_)
            return;
        holding_ = flag("zaltest_holding");
        released_ = flag("zaltest_released");
        left_ = flag("zaltest_left");
    }
    ~Hold() {
        if (library_)
            dlclose(library_);
    }
    bool loaded() const { return holding_ && released_ && left_; }
    // Ready for the next statement that comes into it.
    void arm() {
        *holding_ = 0;
        *released_ = 0;
        *left_ = 0;
    }
    // Whether a statement came into the routine within a bounded while.
    bool wait_until_holding() const {
        for (int i = 0; i < 20000 && !*holding_; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return *holding_ != 0;
    }
    void let_go() { *released_ = 1; }
    bool left() const { return *left_ != 0; }

private:
    std::atomic<int> *flag(const char *name) { return static_cast<std::atomic<int> *>(dlsym(library_, name)); }
    void *library_;
    std::atomic<int> *holding_ = nullptr, *released_ = nullptr, *left_ = nullptr;
};

// A call run on a thread of its own; at the end of the scope the routine is let go and the
// thread joined, whatever the test found.
class Background {
public:
    Background(Hold &hold, std::function<void()> body)
        : hold_(hold), thread_([this, body = std::move(body)] {
              body();
              done = true;
          }) {}
    ~Background() {
        hold_.let_go();
        thread_.join();
    }
    std::atomic<bool> done{false};

private:
    Hold &hold_;
    std::thread thread_;
};

class CliThreads : public ::testing::Test {
protected:
    TempHome home;
    Hold hold;
    Client slow{"SAMPLE"};
    void SetUp() override {
        ASSERT_TRUE(hold.loaded()) << dlerror();
        ASSERT_TRUE(slow.run("CREATE FUNCTION HOLD (INTEGER) RETURNS INTEGER EXTERNAL NAME 'zaltest!hold' LANGUAGE C")
                        .ok())
            << slow.last.message;
        hold.arm();
    }
};

} // namespace

TEST_F(CliThreads, CallsOnOtherHandlesDoNotWaitForARunningStatement) {
    Client other("SAMPLE");
    ASSERT_EQ(other.last.rc, SQL_SUCCESS) << other.last.message;
    Result held;
    {
        Background running(hold, [&] { held = slow.run("VALUES HOLD(7)"); });
        ASSERT_TRUE(hold.wait_until_holding());

        // another connection of the same database, and one made while the statement runs
        EXPECT_EQ(other.value("VALUES 1"), "1") << other.last.message;
        Client fresh("SAMPLE");
        EXPECT_TRUE(fresh.run("CREATE TABLE MADE_DURING (X INTEGER)").ok()) << fresh.last.message;
        EXPECT_EQ(fresh.value("SELECT COUNT(*) FROM MADE_DURING"), "0") << fresh.last.message;
        // the environment of the running connection itself
        SQLHDBC dbc = 0;
        EXPECT_EQ(SQLAllocConnect(slow.henv, &dbc), SQL_SUCCESS);
        EXPECT_EQ(SQLFreeConnect(dbc), SQL_SUCCESS);
        EXPECT_EQ(SQLEndTran(SQL_HANDLE_ENV, slow.henv, SQL_COMMIT), SQL_SUCCESS);
        EXPECT_EQ(diagnostic(0, slow.henv, 0, 0).sqlcode, 0);

        EXPECT_FALSE(running.done) << "the other calls waited for the running statement";
    }
    ASSERT_TRUE(held.ok()) << held.message;
    ASSERT_EQ(held.rows.size(), 1u);
    EXPECT_EQ(held.rows[0][0], "7");
}

// Freeing the statement or disconnecting waits for the call on it to end; afterwards the handle
// is invalid.
TEST_F(CliThreads, FreeingDuringACallWaitsForItAndLeavesTheHandleInvalid) {
    for (const bool disconnect : {false, true}) {
        SCOPED_TRACE(disconnect ? "disconnect" : "drop");
        hold.arm();
        Client c("SAMPLE");
        SQLHSTMT h = 0;
        ASSERT_EQ(SQLAllocStmt(c.hdbc, &h), SQL_SUCCESS);
        ASSERT_EQ(SQLPrepare(h, (SQLCHAR *)"VALUES HOLD(1)", SQL_NTS), SQL_SUCCESS);
        SQLRETURN executed = -100, freed = -100;
        bool routine_had_left = false;
        {
            Background running(hold, [&] { executed = SQLExecute(h); });
            ASSERT_TRUE(hold.wait_until_holding());
            std::atomic<bool> freeing{false};
            std::thread freer([&] {
                freeing = true;
                freed = disconnect ? SQLDisconnect(c.hdbc) : SQLFreeStmt(h, SQL_DROP);
                routine_had_left = hold.left();
            });
            while (!freeing)
                std::this_thread::yield();
            hold.let_go();
            freer.join();
        }
        EXPECT_EQ(executed, SQL_SUCCESS);
        EXPECT_EQ(freed, SQL_SUCCESS);
        EXPECT_TRUE(routine_had_left) << "the handle was freed under the running call";
        EXPECT_EQ(SQLFetch(h), SQL_INVALID_HANDLE);
        EXPECT_EQ(SQLFreeStmt(h, SQL_DROP), SQL_INVALID_HANDLE);
    }
}

// One thread runs statements while another frees each as soon as it exists: every call either
// works or finds the handle invalid.
TEST_F(CliThreads, StatementsFreedFromAnotherThreadGiveInvalidHandleOrSuccess) {
    constexpr int statements = 2000;
    std::atomic<SQLHSTMT> published{0};
    std::atomic<bool> finished{false};
    std::atomic<int> unexpected{0};
    auto expect = [&](SQLRETURN rc, std::initializer_list<SQLRETURN> allowed) {
        for (SQLRETURN a : allowed)
            if (rc == a)
                return;
        ++unexpected;
    };
    std::thread freer([&] {
        while (!finished)
            if (SQLHSTMT h = published.exchange(0)) {
                char state[6];
                SQLINTEGER code = 0;
                expect(SQLError(0, 0, h, (SQLCHAR *)state, &code, nullptr, 0, nullptr),
                       {SQL_NO_DATA_FOUND, SQL_SUCCESS, SQL_INVALID_HANDLE});
                expect(SQLFreeStmt(h, SQL_DROP), {SQL_SUCCESS, SQL_INVALID_HANDLE});
            }
    });
    for (int i = 0; i < statements; ++i) {
        SQLHSTMT h = 0;
        ASSERT_EQ(SQLAllocStmt(slow.hdbc, &h), SQL_SUCCESS);
        published = h;
        expect(SQLExecDirect(h, (SQLCHAR *)"VALUES 1, 2, 3", SQL_NTS), {SQL_SUCCESS, SQL_INVALID_HANDLE});
        char value[8];
        SQLINTEGER length = 0;
        expect(SQLBindCol(h, 1, SQL_C_CHAR, value, sizeof value, &length), {SQL_SUCCESS, SQL_INVALID_HANDLE});
        SQLRETURN rc;
        while ((rc = SQLFetch(h)) == SQL_SUCCESS)
            ;
        expect(rc, {SQL_NO_DATA_FOUND, SQL_INVALID_HANDLE});
        expect(SQLFreeStmt(h, SQL_DROP), {SQL_SUCCESS, SQL_INVALID_HANDLE});
    }
    finished = true;
    freer.join();
    EXPECT_EQ(unexpected, 0);
    EXPECT_EQ(slow.value("VALUES 1"), "1");
}
