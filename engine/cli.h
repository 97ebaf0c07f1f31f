// The database's call-level interface as the program reaches it: libzalcli.so bound by name,
// each function at its first call. A call that cannot be made (library or function missing)
// returns SQL_ERROR and leaves unavailable() true.
#pragma once

#include "bound_library.h"

#include <zalcli.h>

#include <string>

namespace kestle {

class Cli {
public:
    explicit Cli(std::string file = "libzalcli.so") : lib_(std::move(file)) {}

    SQLRETURN AllocEnv(SQLHENV *henv) { return call<decltype(::SQLAllocEnv)>("SQLAllocEnv", henv); }
    SQLRETURN AllocConnect(SQLHENV henv, SQLHDBC *hdbc) {
        return call<decltype(::SQLAllocConnect)>("SQLAllocConnect", henv, hdbc);
    }
    SQLRETURN Connect(SQLHDBC hdbc, SQLCHAR *db, SQLSMALLINT db_len, SQLCHAR *user, SQLSMALLINT user_len,
                      SQLCHAR *pwd, SQLSMALLINT pwd_len) {
        return call<decltype(::SQLConnect)>("SQLConnect", hdbc, db, db_len, user, user_len, pwd, pwd_len);
    }
    SQLRETURN Disconnect(SQLHDBC hdbc) { return call<decltype(::SQLDisconnect)>("SQLDisconnect", hdbc); }
    SQLRETURN FreeConnect(SQLHDBC hdbc) { return call<decltype(::SQLFreeConnect)>("SQLFreeConnect", hdbc); }
    SQLRETURN FreeEnv(SQLHENV henv) { return call<decltype(::SQLFreeEnv)>("SQLFreeEnv", henv); }
    SQLRETURN AllocStmt(SQLHDBC hdbc, SQLHSTMT *hstmt) {
        return call<decltype(::SQLAllocStmt)>("SQLAllocStmt", hdbc, hstmt);
    }
    SQLRETURN Prepare(SQLHSTMT h, SQLCHAR *text, SQLINTEGER len) {
        return call<decltype(::SQLPrepare)>("SQLPrepare", h, text, len);
    }
    SQLRETURN Execute(SQLHSTMT h) { return call<decltype(::SQLExecute)>("SQLExecute", h); }
    SQLRETURN Fetch(SQLHSTMT h) { return call<decltype(::SQLFetch)>("SQLFetch", h); }
    SQLRETURN NumResultCols(SQLHSTMT h, SQLSMALLINT *count) {
        return call<decltype(::SQLNumResultCols)>("SQLNumResultCols", h, count);
    }
    SQLRETURN DescribeCol(SQLHSTMT h, SQLUSMALLINT col, SQLCHAR *name, SQLSMALLINT name_max, SQLSMALLINT *name_len,
                          SQLSMALLINT *type, SQLUINTEGER *size, SQLSMALLINT *scale, SQLSMALLINT *nullable) {
        return call<decltype(::SQLDescribeCol)>("SQLDescribeCol", h, col, name, name_max, name_len, type, size, scale,
                                                nullable);
    }
    SQLRETURN BindCol(SQLHSTMT h, SQLUSMALLINT col, SQLSMALLINT c_type, SQLPOINTER buffer, SQLINTEGER buffer_len,
                      SQLINTEGER *ind) {
        return call<decltype(::SQLBindCol)>("SQLBindCol", h, col, c_type, buffer, buffer_len, ind);
    }
    SQLRETURN GetData(SQLHSTMT h, SQLUSMALLINT col, SQLSMALLINT c_type, SQLPOINTER buffer, SQLINTEGER buffer_len,
                      SQLINTEGER *ind) {
        return call<decltype(::SQLGetData)>("SQLGetData", h, col, c_type, buffer, buffer_len, ind);
    }
    SQLRETURN BindFileToParam(SQLHSTMT h, SQLUSMALLINT marker, SQLSMALLINT type, SQLCHAR *name, SQLSMALLINT *name_len,
                              SQLUINTEGER *options, SQLSMALLINT name_max, SQLINTEGER *ind) {
        return call<decltype(::SQLBindFileToParam)>("SQLBindFileToParam", h, marker, type, name, name_len, options,
                                                    name_max, ind);
    }
    SQLRETURN BindFileToCol(SQLHSTMT h, SQLUSMALLINT col, SQLCHAR *name, SQLSMALLINT *name_len, SQLUINTEGER *options,
                            SQLSMALLINT name_max, SQLINTEGER *data_len, SQLINTEGER *ind) {
        return call<decltype(::SQLBindFileToCol)>("SQLBindFileToCol", h, col, name, name_len, options, name_max,
                                                  data_len, ind);
    }
    SQLRETURN Error(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt, SQLCHAR *state, SQLINTEGER *native, SQLCHAR *message,
                    SQLSMALLINT message_max, SQLSMALLINT *message_len) {
        return call<decltype(::SQLError)>("SQLError", henv, hdbc, hstmt, state, native, message, message_max,
                                          message_len);
    }
    SQLRETURN FreeStmt(SQLHSTMT h, SQLUSMALLINT option) { return call<decltype(::SQLFreeStmt)>("SQLFreeStmt", h, option); }
    SQLRETURN EndTran(SQLSMALLINT kind, SQLHANDLE h, SQLSMALLINT completion) {
        return call<decltype(::SQLEndTran)>("SQLEndTran", kind, h, completion);
    }

    // The last call could not be made; unbound_reason() tells why.
    bool unavailable() const { return unavailable_; }
    std::string unbound_reason() const { return lib_.unbound_reason(); }
    // Binds another library file from the next call on (a test names one that does not exist).
    void set_library(std::string file) {
        lib_.set_file(std::move(file));
        unavailable_ = false;
    }

private:
    template <class F, class... A>
    SQLRETURN call(const char *name, A... args) {
        F *f = lib_.routine<F>(name);
        unavailable_ = !f;
        return f ? f(args...) : SQL_ERROR;
    }

    BoundLibrary lib_;
    bool unavailable_ = false;
};

} // namespace kestle
