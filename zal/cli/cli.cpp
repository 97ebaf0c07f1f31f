// The C entry points of the call-level interface over the handle table.
#include "connection.h"
#include "diagnostics.h"
#include "handle_map.h"
#include "product.h"
#include "statement.h"

#include <zalcli.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <sys/single_threaded.h>
#include <thread>
#include <vector>

namespace zal {

namespace {

constexpr int32_t max_statement_length = 2 * 1024 * 1024;

struct Object {
    enum class Kind { Env, Dbc, Stmt };
    // A statement is held through its connection, which stays in the table while it is there.
    Object(Kind kind, SQLHANDLE parent, Object *owner) : kind(kind), parent(parent), owner(owner ? *owner : *this) {}

    const Kind kind;
    const SQLHANDLE parent;
    Object &owner; // whose hold a call on the handle takes: its connection, or the object itself
    SQLHANDLE self = 0; // its handle, once it is in the table

    // The hold of a call, under the table's lock; a thread may take it again inside its call.
    std::thread::id holder;
    int depth = 0;
    int waiters = 0;
    std::atomic<uint32_t> given_back{0}; // what waiters wait on

    // Everything below belongs to the call that holds the owner.
    bool freeing = false; // the handle leaves the table as the call ends
    std::optional<Diagnostic> diagnostic;
    std::unique_ptr<Connection> connection; // Dbc, while connected
    std::optional<Statement> statement;     // Stmt, in place: one allocation less for each

    // A connection's statement objects whose handles were freed, for its next statements: a
    // program that allocates a statement for each one it runs allocates no memory for it.
    // Only their numbers are never used again.
    std::array<std::shared_ptr<Object>, 4> spare;
    size_t spares = 0;
};

using ObjectPtr = std::shared_ptr<Object>;

// The table's lock is held for a look-up and a count or two, never while a call runs: a thread
// that finds it taken tries again rather than sleeping, which costs less than a mutex on every
// call when it is free. A process of one thread takes it without an atomic exchange: nothing can
// start a second thread while the lock is held.
class SpinLock {
public:
    void lock() noexcept {
        if (__libc_single_threaded) {
            busy_.store(true, std::memory_order_relaxed);
            return;
        }
        while (busy_.exchange(true, std::memory_order_acquire))
            while (busy_.load(std::memory_order_relaxed))
                std::this_thread::yield();
    }
    void unlock() noexcept { busy_.store(false, std::memory_order_release); }

private:
    std::atomic<bool> busy_{false};
};

// The handle table, and the holds of the calls on its connections and environments. A call
// holds only the connection of its handle, so it waits for no other connection; the table's
// lock is held for a moment at its start and at its end, never while it runs. A handle is freed
// by a call that holds it: a call that waited for the hold looks its handle up again and finds
// it gone, never memory that is gone.
// Handle numbers are never reused, so a stale handle is recognised as invalid.
class Registry {
public:
    // The object of h with its owner held for the calling thread, or null when there is none.
    Object *enter(SQLHANDLE h, Object::Kind kind) {
        const std::thread::id me = std::this_thread::get_id();
        {
            std::lock_guard guard(lock_);
            Object *o = find(h, kind);
            if (!o || hold(o->owner, me))
                return o;
        }
        return enter_when_given_back(h, kind, me);
    }
    // Gives back the hold that enter took; a handle being freed leaves the table, and a
    // statement's object is kept by its connection while it has room for it.
    void leave(Object &o) {
        {
            std::lock_guard guard(lock_);
            Object &w = o.owner;
            if (!o.freeing && (w.depth > 1 || w.waiters == 0)) {
                --w.depth;
                return;
            }
        }
        // only the holder frees or gives back, so what was seen above still holds
        leave_and_wake(o);
    }

    SQLHANDLE add(ObjectPtr o) {
        std::lock_guard guard(lock_);
        const SQLHANDLE h = next_;
        o->self = h;
        objects_.insert(h, std::move(o));
        ++next_;
        return h;
    }
    // Whether h is the parent of any handle (a rare question: freeing an environment).
    bool has_children(SQLHANDLE h) {
        std::lock_guard guard(lock_);
        bool found = false;
        objects_.for_each([&](SQLHANDLE, const ObjectPtr &o) { found = found || o->parent == h; });
        return found;
    }
    // Frees the children of h, which the caller holds.
    void remove_children(SQLHANDLE h) {
        std::vector<ObjectPtr> gone;
        {
            std::lock_guard guard(lock_);
            std::vector<SQLHANDLE> children;
            objects_.for_each([&](SQLHANDLE child, const ObjectPtr &o) {
                if (o->parent == h)
                    children.push_back(child);
            });
            for (SQLHANDLE child : children)
                gone.push_back(objects_.take(child));
        }
        // finalized outside the table's lock
        for (const ObjectPtr &o : gone)
            o->statement.reset();
    }

    // The connection made last among those still held, for the administrative calls.
    void connected(SQLHANDLE h) {
        std::lock_guard guard(lock_);
        connected_.push_back(h);
    }
    void disconnected(SQLHANDLE h) {
        std::lock_guard guard(lock_);
        std::erase(connected_, h);
    }
    SQLHANDLE current_connection() {
        std::lock_guard guard(lock_);
        return connected_.empty() ? 0 : connected_.back();
    }

private:
    // Under the table's lock.
    Object *find(SQLHANDLE h, Object::Kind kind) {
        ObjectPtr *found = objects_.find(h);
        return found && (*found)->kind == kind ? found->get() : nullptr;
    }
    static bool hold(Object &w, std::thread::id me) {
        if (w.depth != 0 && w.holder != me)
            return false;
        w.holder = me;
        ++w.depth;
        return true;
    }

    [[gnu::noinline]] Object *enter_when_given_back(SQLHANDLE h, Object::Kind kind, std::thread::id me) {
        for (;;) {
            ObjectPtr waiting; // keeps the owner, and what it is waited on, alive
            uint32_t seen = 0;
            {
                std::lock_guard guard(lock_);
                Object *o = find(h, kind);
                if (!o || hold(o->owner, me))
                    return o;
                Object &w = o->owner;
                ++w.waiters;
                seen = w.given_back.load(std::memory_order_relaxed);
                waiting = *objects_.find(w.self);
            }
            waiting->given_back.wait(seen);
        }
    }

    [[gnu::noinline]] void leave_and_wake(Object &o) {
        Object &w = o.owner;
        ObjectPtr gone, wake; // dropped after the table's lock, gone last
        {
            std::lock_guard guard(lock_);
            if (o.freeing) {
                gone = objects_.take(o.self);
                if (&w != &o && !o.statement && w.spares < w.spare.size()) {
                    o.freeing = false;
                    o.self = 0;
                    w.spare[w.spares++] = std::move(gone);
                }
            }
            if (--w.depth > 0 || w.waiters == 0)
                return;
            w.waiters = 0;
            w.given_back.fetch_add(1, std::memory_order_relaxed);
            wake = &w == gone.get() ? gone : *objects_.find(w.self);
        }
        wake->given_back.notify_all();
    }

    SpinLock lock_;
    HandleMap<ObjectPtr> objects_;
    SQLHANDLE next_ = 1;
    std::vector<SQLHANDLE> connected_; // in the order they connected
};

// One for the process, made as the library loads: every call asks for it.
Registry the_registry;

// A call's hold on its handle for as long as the call runs.
class Call {
public:
    Call(SQLHANDLE h, Object::Kind kind) : object(the_registry.enter(h, kind)) {}
    ~Call() {
        if (object)
            the_registry.leave(*object);
    }
    Call(const Call &) = delete;
    Call &operator=(const Call &) = delete;

    Object *const object; // null: no such handle
};

ObjectPtr make_object(Object::Kind kind, SQLHANDLE parent, Object *owner = nullptr) {
    return std::make_shared<Object>(kind, parent, owner);
}

SQLRETURN fail(Object &o, Diagnostic d) {
    o.diagnostic = std::move(d);
    return SQL_ERROR;
}


// A string argument with its length (SQL_NTS: up to its NUL), seen where the caller keeps it.
bool text_argument(const SQLCHAR *text, SQLINTEGER length, std::string_view &out, Diagnostic &error) {
    if (!text) {
        error = diagnose(Condition::InvalidArgument);
        return false;
    }
    if (length == SQL_NTS) {
        out = reinterpret_cast<const char *>(text);
        return true;
    }
    if (length < 0) {
        error = diagnose(Condition::InvalidLength);
        return false;
    }
    out = std::string_view(reinterpret_cast<const char *>(text), static_cast<size_t>(length));
    return true;
}

void copy_out(const std::string &s, SQLCHAR *buffer, SQLSMALLINT buffer_max) {
    copy_text(s, reinterpret_cast<char *>(buffer), static_cast<size_t>(std::max<SQLSMALLINT>(buffer_max, 0)));
}

// Drops a statement handle; its connection stays.
void drop_statement(Object &stmt) {
    stmt.statement.reset();
    stmt.freeing = true;
}

void disconnect(Registry &r, Object &dbc, SQLHANDLE h) {
    r.remove_children(h);
    dbc.spare = {};
    dbc.spares = 0;
    dbc.connection.reset();
    r.disconnected(h);
}

// The diagnostic of an exception, on the handle while it exists and while there is memory for
// it; the call fails either way.
SQLRETURN failed(SQLHANDLE h, Object::Kind kind, const char *what) noexcept {
    try {
        Call call(h, kind);
        if (call.object)
            call.object->diagnostic = diagnose(Condition::SystemError, {what});
    } catch (const std::exception &) {
        // not even the diagnostic fits: the return code alone reports the failure
    }
    return SQL_ERROR;
}

// Every entry point runs its body here, so an exception (out of memory, most likely) fails the
// call instead of unwinding into a caller that may not be C++ at all.
template <typename F>
SQLRETURN guarded(SQLHANDLE h, Object::Kind kind, F &&body) noexcept {
    try {
        return body();
    } catch (const std::exception &e) {
        return failed(h, kind, e.what());
    }
}

// A call on a handle, holding the handle's connection, its diagnostic cleared.
template <typename F>
SQLRETURN with_object(SQLHANDLE h, Object::Kind kind, F &&f) {
    return guarded(h, kind, [&]() -> SQLRETURN {
        Call call(h, kind);
        if (!call.object)
            return SQL_INVALID_HANDLE;
        call.object->diagnostic.reset();
        return f(the_registry, *call.object);
    });
}

template <typename F>
SQLRETURN with_statement(SQLHSTMT hstmt, F &&f) {
    return with_object(hstmt, Object::Kind::Stmt, [&](Registry &, Object &o) { return f(o, *o.statement); });
}

} // namespace

bool with_current_connection(const std::function<void(Connection &)> &f) {
    Call call(the_registry.current_connection(), Object::Kind::Dbc);
    if (!call.object || !call.object->connection)
        return false;
    f(*call.object->connection);
    return true;
}

} // namespace zal

using namespace zal;

extern "C" {

SQLRETURN SQLAllocEnv(SQLHENV *phenv) {
    return guarded(SQL_NULL_HANDLE, Object::Kind::Env, [&]() -> SQLRETURN {
        if (!phenv)
            return SQL_ERROR;
        *phenv = the_registry.add(make_object(Object::Kind::Env, 0));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLAllocConnect(SQLHENV henv, SQLHDBC *phdbc) {
    return with_object(henv, Object::Kind::Env, [&](Registry &r, Object &env) -> SQLRETURN {
        if (!phdbc)
            return fail(env, diagnose(Condition::InvalidArgument));
        *phdbc = r.add(make_object(Object::Kind::Dbc, henv));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLConnect(SQLHDBC hdbc, SQLCHAR *server, SQLSMALLINT server_len, SQLCHAR *user, SQLSMALLINT user_len,
                     SQLCHAR *password, SQLSMALLINT password_len) {
    return with_object(hdbc, Object::Kind::Dbc, [&](Registry &r, Object &dbc) -> SQLRETURN {
        if (dbc.connection)
            return fail(dbc, diagnose(Condition::ConnectionInUse));
        std::string_view database, user_id, ignored_password;
        Diagnostic error;
        static const SQLCHAR empty[] = "";
        if (!text_argument(server, server_len, database, error) ||
            !text_argument(user ? user : empty, user ? user_len : SQL_NTS, user_id, error) ||
            !text_argument(password ? password : empty, password ? password_len : SQL_NTS, ignored_password, error))
            return fail(dbc, error);
        // Embedded databases have no passwords: the instance's file permissions guard them.
        dbc.connection = Connection::open(std::string(database), std::string(user_id), error);
        if (!dbc.connection)
            return fail(dbc, error);
        r.connected(hdbc);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLDisconnect(SQLHDBC hdbc) {
    return with_object(hdbc, Object::Kind::Dbc, [&](Registry &r, Object &dbc) -> SQLRETURN {
        if (!dbc.connection)
            return fail(dbc, diagnose(Condition::ConnectionClosed));
        disconnect(r, dbc, hdbc);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLFreeConnect(SQLHDBC hdbc) {
    return with_object(hdbc, Object::Kind::Dbc, [&](Registry &r, Object &dbc) -> SQLRETURN {
        if (dbc.connection)
            return fail(dbc, diagnose(Condition::ConnectionStillOpen));
        dbc.freeing = true;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLFreeEnv(SQLHENV henv) {
    return with_object(henv, Object::Kind::Env, [&](Registry &r, Object &env) -> SQLRETURN {
        if (r.has_children(henv))
            return fail(env, diagnose(Condition::ConnectionsAllocated));
        env.freeing = true;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLAllocStmt(SQLHDBC hdbc, SQLHSTMT *phstmt) {
    return with_object(hdbc, Object::Kind::Dbc, [&](Registry &r, Object &dbc) -> SQLRETURN {
        if (!phstmt)
            return fail(dbc, diagnose(Condition::InvalidArgument));
        if (!dbc.connection)
            return fail(dbc, diagnose(Condition::ConnectionClosed));
        ObjectPtr stmt = dbc.spares ? std::move(dbc.spare[--dbc.spares]) : make_object(Object::Kind::Stmt, hdbc, &dbc);
        stmt->diagnostic.reset();
        stmt->statement.emplace(*dbc.connection);
        *phstmt = r.add(std::move(stmt));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLPrepare(SQLHSTMT hstmt, SQLCHAR *text, SQLINTEGER text_len) {
    return with_statement(hstmt, [&](Object &o, Statement &s) -> SQLRETURN {
        std::string_view sql;
        Diagnostic error;
        if (!text_argument(text, text_len, sql, error))
            return fail(o, error);
        if (sql.size() > static_cast<size_t>(max_statement_length))
            return fail(o, diagnose(Condition::StatementTooLong));
        // a text that ends at its NUL holds none
        if (auto nul = text_len == SQL_NTS ? sql.npos : sql.find('\0'); nul != std::string_view::npos)
            return fail(o, diagnose(Condition::NulCharacter,
                                    {sql.substr(nul > 20 ? nul - 20 : 0, std::min<size_t>(nul, 20))}));
        return s.prepare(sql, error) ? SQL_SUCCESS : fail(o, error);
    });
}

SQLRETURN SQLExecute(SQLHSTMT hstmt) {
    return with_statement(hstmt, [&](Object &o, Statement &s) -> SQLRETURN {
        Diagnostic error;
        return s.execute(error) == SQL_SUCCESS ? SQL_SUCCESS : fail(o, error);
    });
}

SQLRETURN SQLExecDirect(SQLHSTMT hstmt, SQLCHAR *text, SQLINTEGER text_len) {
    // both calls are guarded themselves
    SQLRETURN rc = SQLPrepare(hstmt, text, text_len);
    return rc == SQL_SUCCESS ? SQLExecute(hstmt) : rc;
}

SQLRETURN SQLNumResultCols(SQLHSTMT hstmt, SQLSMALLINT *count) {
    return with_statement(hstmt, [&](Object &o, Statement &s) -> SQLRETURN {
        if (!count)
            return fail(o, diagnose(Condition::InvalidArgument));
        *count = static_cast<SQLSMALLINT>(s.column_count());
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLRowCount(SQLHSTMT hstmt, SQLINTEGER *count) {
    return with_statement(hstmt, [&](Object &o, Statement &s) -> SQLRETURN {
        if (!count)
            return fail(o, diagnose(Condition::InvalidArgument));
        *count = static_cast<SQLINTEGER>(s.row_count());
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLDescribeCol(SQLHSTMT hstmt, SQLUSMALLINT column, SQLCHAR *name, SQLSMALLINT name_max,
                         SQLSMALLINT *name_len, SQLSMALLINT *sql_type, SQLUINTEGER *column_size, SQLSMALLINT *scale,
                         SQLSMALLINT *nullable) {
    return with_statement(hstmt, [&](Object &o, Statement &s) -> SQLRETURN {
        if (column < 1 || column > s.column_count())
            return fail(o, diagnose(Condition::InvalidColumn));
        const Description &d = s.describe(column);
        copy_out(d.name, name, name_max);
        if (name_len)
            *name_len = static_cast<SQLSMALLINT>(std::min<size_t>(d.name.size(), 32767));
        if (sql_type)
            *sql_type = d.type.sql_type;
        if (column_size)
            *column_size = d.type.size;
        if (scale)
            *scale = d.type.scale;
        if (nullable)
            *nullable = d.nullable ? SQL_NULLABLE : SQL_NO_NULLS;
        return name && name_max > 0 && d.name.size() >= static_cast<size_t>(name_max) ? SQL_SUCCESS_WITH_INFO
                                                                                      : SQL_SUCCESS;
    });
}

SQLRETURN SQLBindCol(SQLHSTMT hstmt, SQLUSMALLINT column, SQLSMALLINT c_type, SQLPOINTER buffer,
                     SQLINTEGER buffer_len, SQLINTEGER *len_or_ind) {
    return with_statement(hstmt, [&](Object &o, Statement &s) -> SQLRETURN {
        if (column < 1)
            return fail(o, diagnose(Condition::InvalidColumn));
        if (c_type != SQL_C_CHAR)
            return fail(o, diagnose(Condition::ProgramType));
        if (buffer_len < 0)
            return fail(o, diagnose(Condition::InvalidLength));
        s.bind_column(column, static_cast<char *>(buffer), buffer_len, len_or_ind);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLFetch(SQLHSTMT hstmt) {
    return with_statement(hstmt, [&](Object &o, Statement &s) -> SQLRETURN {
        Diagnostic error;
        int rc = s.fetch(error);
        if (rc == SQL_ERROR)
            return fail(o, error);
        if (rc == SQL_SUCCESS_WITH_INFO)
            o.diagnostic = error;
        return static_cast<SQLRETURN>(rc);
    });
}

SQLRETURN SQLGetData(SQLHSTMT hstmt, SQLUSMALLINT column, SQLSMALLINT c_type, SQLPOINTER buffer,
                     SQLINTEGER buffer_len, SQLINTEGER *len_or_ind) {
    return with_statement(hstmt, [&](Object &o, Statement &s) -> SQLRETURN {
        if (column < 1 || column > s.column_count())
            return fail(o, diagnose(Condition::InvalidColumn));
        if (c_type != SQL_C_CHAR)
            return fail(o, diagnose(Condition::ProgramType));
        if (buffer_len < 0)
            return fail(o, diagnose(Condition::InvalidLength));
        Diagnostic error;
        int rc = s.get_data(column, static_cast<char *>(buffer), buffer_len, len_or_ind, error);
        if (rc == SQL_ERROR)
            return fail(o, error);
        if (rc == SQL_SUCCESS_WITH_INFO)
            o.diagnostic = error;
        return static_cast<SQLRETURN>(rc);
    });
}

SQLRETURN SQLBindFileToParam(SQLHSTMT hstmt, SQLUSMALLINT marker, SQLSMALLINT sql_type, SQLCHAR *file_name,
                             SQLSMALLINT *name_len, SQLUINTEGER *options, SQLSMALLINT name_max,
                             SQLINTEGER *indicator) {
    return with_statement(hstmt, [&](Object &o, Statement &s) -> SQLRETURN {
        if (marker < 1)
            return fail(o, diagnose(Condition::InvalidParameter));
        if (sql_type != SQL_BLOB && sql_type != SQL_CLOB)
            return fail(o, diagnose(Condition::SqlDataType));
        if (!file_name || name_max < 0)
            return fail(o, diagnose(Condition::InvalidArgument));
        s.bind_file_param(marker, file_name, name_len, options, indicator);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLBindFileToCol(SQLHSTMT hstmt, SQLUSMALLINT column, SQLCHAR *file_name, SQLSMALLINT *name_len,
                           SQLUINTEGER *options, SQLSMALLINT name_max, SQLINTEGER *data_len, SQLINTEGER *indicator) {
    return with_statement(hstmt, [&](Object &o, Statement &s) -> SQLRETURN {
        if (column < 1)
            return fail(o, diagnose(Condition::InvalidColumn));
        if (!file_name || name_max < 0)
            return fail(o, diagnose(Condition::InvalidArgument));
        s.bind_file_column(column, file_name, name_len, options, data_len, indicator);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQLError(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt, SQLCHAR *sqlstate, SQLINTEGER *native,
                   SQLCHAR *message, SQLSMALLINT message_max, SQLSMALLINT *message_len) {
    return guarded(SQL_NULL_HANDLE, Object::Kind::Env, [&]() -> SQLRETURN {
        Diagnostic d;
        {
            Call call(hstmt ? hstmt : hdbc ? hdbc : henv,
                      hstmt ? Object::Kind::Stmt : hdbc ? Object::Kind::Dbc : Object::Kind::Env);
            Object *o = call.object;
            if (!o)
                return SQL_INVALID_HANDLE;
            if (!o->diagnostic)
                return SQL_NO_DATA_FOUND;
            // Each record is returned once, as the interface has it.
            d = std::move(*o->diagnostic);
            o->diagnostic.reset();
        }
        copy_out(d.sqlstate, sqlstate, SQL_SQLSTATE_SIZE + 1);
        if (native)
            *native = d.sqlcode;
        const std::string text = d.message();
        copy_out(text, message, message_max);
        if (message_len)
            *message_len = static_cast<SQLSMALLINT>(std::min<size_t>(text.size(), 32767));
        return message && message_max > 0 && text.size() >= static_cast<size_t>(message_max) ? SQL_SUCCESS_WITH_INFO
                                                                                              : SQL_SUCCESS;
    });
}

SQLRETURN SQLFreeStmt(SQLHSTMT hstmt, SQLUSMALLINT option) {
    return with_object(hstmt, Object::Kind::Stmt, [&](Registry &r, Object &o) -> SQLRETURN {
        switch (option) {
        case SQL_DROP:
            drop_statement(o);
            return SQL_SUCCESS;
        case SQL_CLOSE:
            o.statement->close();
            return SQL_SUCCESS;
        case SQL_UNBIND:
            o.statement->unbind();
            return SQL_SUCCESS;
        case SQL_RESET_PARAMS:
            o.statement->reset_params();
            return SQL_SUCCESS;
        default:
            return fail(o, diagnose(Condition::OptionType));
        }
    });
}

SQLRETURN SQLEndTran(SQLSMALLINT handle_type, SQLHANDLE handle, SQLSMALLINT completion) {
    if (handle_type == SQL_HANDLE_ENV)
        return with_object(handle, Object::Kind::Env, [](Registry &, Object &) -> SQLRETURN { return SQL_SUCCESS; });
    if (handle_type != SQL_HANDLE_DBC)
        return SQL_INVALID_HANDLE;
    return with_object(handle, Object::Kind::Dbc, [&](Registry &, Object &dbc) -> SQLRETURN {
        if (!dbc.connection)
            return fail(dbc, diagnose(Condition::ConnectionClosed));
        if (completion != SQL_COMMIT && completion != SQL_ROLLBACK)
            return fail(dbc, diagnose(Condition::TransactionCode));
        // Each statement commits as it ends; only an explicit transaction is left to end here.
        Statement s(*dbc.connection);
        Diagnostic error;
        if (!s.prepare(completion == SQL_COMMIT ? "COMMIT" : "ROLLBACK", error) || s.execute(error) != SQL_SUCCESS)
            return fail(dbc, error);
        return SQL_SUCCESS;
    });
}

} // extern "C"
