/*
 * ZAL call-level interface.
 *
 * Handles are 32-bit numbers that the library hands out and checks on every call, so a stale or
 * made-up handle gives SQL_INVALID_HANDLE instead of touching freed memory.
 * Strings are 8-bit and NUL-terminated unless a length is given; SQL_NTS (-3) means
 * "NUL-terminated".
 */
#ifndef ZALCLI_H
#define ZALCLI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int16_t SQLRETURN;
typedef int16_t SQLSMALLINT;
typedef uint16_t SQLUSMALLINT;
typedef int32_t SQLINTEGER;
typedef uint32_t SQLUINTEGER;
typedef unsigned char SQLCHAR;
typedef void *SQLPOINTER;

typedef int32_t SQLHANDLE;
typedef SQLHANDLE SQLHENV;
typedef SQLHANDLE SQLHDBC;
typedef SQLHANDLE SQLHSTMT;

#define SQL_NULL_HANDLE 0

/* return codes */
#define SQL_SUCCESS 0
#define SQL_SUCCESS_WITH_INFO 1
#define SQL_NO_DATA_FOUND 100
#define SQL_ERROR (-1)
#define SQL_INVALID_HANDLE (-2)

/* lengths and indicators */
#define SQL_NTS (-3)
#define SQL_NULL_DATA (-1)

/* C data types */
#define SQL_C_CHAR 1

/* SQL data types, as SQLDescribeCol reports them */
#define SQL_CHAR 1
#define SQL_NUMERIC 2
#define SQL_DECIMAL 3
#define SQL_INTEGER 4
#define SQL_SMALLINT 5
#define SQL_FLOAT 6
#define SQL_REAL 7
#define SQL_DOUBLE 8
#define SQL_DATE 9
#define SQL_TIME 10
#define SQL_TIMESTAMP 11
#define SQL_VARCHAR 12
#define SQL_BIGINT (-5)
#define SQL_BLOB (-98)
#define SQL_CLOB (-99)

/* nullable */
#define SQL_NO_NULLS 0
#define SQL_NULLABLE 1

/* file options of the file bindings */
#define SQL_FILE_READ 2
#define SQL_FILE_CREATE 8
#define SQL_FILE_OVERWRITE 16
#define SQL_FILE_APPEND 32

/* SQLFreeStmt options */
#define SQL_CLOSE 0
#define SQL_DROP 1
#define SQL_UNBIND 2
#define SQL_RESET_PARAMS 3

/* SQLEndTran */
#define SQL_HANDLE_ENV 1
#define SQL_HANDLE_DBC 2
#define SQL_COMMIT 0
#define SQL_ROLLBACK 1

/* buffer sizes of SQLError */
#define SQL_SQLSTATE_SIZE 5
#define SQL_MAX_MESSAGE_LENGTH 1024

SQLRETURN SQLAllocEnv(SQLHENV *phenv);
SQLRETURN SQLAllocConnect(SQLHENV henv, SQLHDBC *phdbc);
SQLRETURN SQLConnect(SQLHDBC hdbc, SQLCHAR *server, SQLSMALLINT server_len, SQLCHAR *user,
                     SQLSMALLINT user_len, SQLCHAR *password, SQLSMALLINT password_len);
SQLRETURN SQLDisconnect(SQLHDBC hdbc);
SQLRETURN SQLFreeConnect(SQLHDBC hdbc);
SQLRETURN SQLFreeEnv(SQLHENV henv);

SQLRETURN SQLAllocStmt(SQLHDBC hdbc, SQLHSTMT *phstmt);
SQLRETURN SQLPrepare(SQLHSTMT hstmt, SQLCHAR *text, SQLINTEGER text_len);
SQLRETURN SQLExecute(SQLHSTMT hstmt);
SQLRETURN SQLExecDirect(SQLHSTMT hstmt, SQLCHAR *text, SQLINTEGER text_len);
SQLRETURN SQLNumResultCols(SQLHSTMT hstmt, SQLSMALLINT *count);
SQLRETURN SQLRowCount(SQLHSTMT hstmt, SQLINTEGER *count);
SQLRETURN SQLDescribeCol(SQLHSTMT hstmt, SQLUSMALLINT column, SQLCHAR *name, SQLSMALLINT name_max,
                         SQLSMALLINT *name_len, SQLSMALLINT *sql_type, SQLUINTEGER *column_size,
                         SQLSMALLINT *scale, SQLSMALLINT *nullable);
SQLRETURN SQLBindCol(SQLHSTMT hstmt, SQLUSMALLINT column, SQLSMALLINT c_type, SQLPOINTER buffer,
                     SQLINTEGER buffer_len, SQLINTEGER *len_or_ind);
SQLRETURN SQLFetch(SQLHSTMT hstmt);
SQLRETURN SQLGetData(SQLHSTMT hstmt, SQLUSMALLINT column, SQLSMALLINT c_type, SQLPOINTER buffer,
                     SQLINTEGER buffer_len, SQLINTEGER *len_or_ind);

/* The file bindings are read when the statement executes (parameters) or at each fetch
 * (columns), so the name, its length and the options must stay valid until then. A null
 * name_len means the name is NUL-terminated. */
SQLRETURN SQLBindFileToParam(SQLHSTMT hstmt, SQLUSMALLINT marker, SQLSMALLINT sql_type,
                             SQLCHAR *file_name, SQLSMALLINT *name_len, SQLUINTEGER *options,
                             SQLSMALLINT name_max, SQLINTEGER *indicator);
SQLRETURN SQLBindFileToCol(SQLHSTMT hstmt, SQLUSMALLINT column, SQLCHAR *file_name,
                           SQLSMALLINT *name_len, SQLUINTEGER *options, SQLSMALLINT name_max,
                           SQLINTEGER *data_len, SQLINTEGER *indicator);

/* The first diagnostic of the most specific handle given (statement, then connection, then
 * environment). The message opens with "[ZAL][CLI Driver][ZAL] " and the SQLCODE is the
 * native code. */
SQLRETURN SQLError(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt, SQLCHAR *sqlstate,
                   SQLINTEGER *native, SQLCHAR *message, SQLSMALLINT message_max,
                   SQLSMALLINT *message_len);

SQLRETURN SQLFreeStmt(SQLHSTMT hstmt, SQLUSMALLINT option);
SQLRETURN SQLEndTran(SQLSMALLINT handle_type, SQLHANDLE handle, SQLSMALLINT completion);

#ifdef __cplusplus
}
#endif

#endif
