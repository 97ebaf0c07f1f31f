#include "diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace zal {

std::string Diagnostic::message() const { return "[ZAL][CLI Driver][ZAL] " + text; }

Diagnostic make_diagnostic(int32_t sqlcode, const std::string &sqlstate, const std::string &body) {
    char number[16];
    const char severity = sqlcode < 0 ? (sqlcode == -1036 || sqlcode == -1042 ? 'C' : 'N') : sqlcode > 0 ? 'W' : 'I';
    std::snprintf(number, sizeof number, "SQL%04d%c", std::abs(sqlcode) % 100000, severity);
    return {sqlcode, sqlstate, std::string(number) + "  " + body + "  SQLSTATE=" + sqlstate};
}

Diagnostic cli_diagnostic(const std::string &sqlstate, const std::string &body) {
    return {-99999, sqlstate, "CLI0100E  " + body + "  SQLSTATE=" + sqlstate};
}

Diagnostic undefined_name(const std::string &name) {
    return make_diagnostic(-204, "42704", "\"" + name + "\" is an undefined name.");
}

Diagnostic routine_not_found(const std::string &name) {
    return make_diagnostic(-440, "42884",
                           "No routine named \"" + name + "\" with compatible arguments was found.");
}

Diagnostic manager_not_started() {
    return make_diagnostic(-1032, "57019", "The database manager has not been started.");
}

Diagnostic database_not_found(const std::string &name) {
    return make_diagnostic(-1013, "42705",
                           "The database name \"" + name + "\" could not be found.");
}

Diagnostic database_unusable(const std::string &name, const std::string &reason) {
    return make_diagnostic(-1036, "58030",
                           "The database \"" + name + "\" cannot be used: " + reason + ".");
}

Diagnostic no_connection() {
    return make_diagnostic(-1024, "08003", "A database connection does not exist.");
}

Diagnostic syntax_error(const std::string &token) {
    return make_diagnostic(-104, "42601", "An unexpected token \"" + token + "\" was found.");
}

Diagnostic not_supported(const std::string &what) {
    return make_diagnostic(-270, "42997", "The function is not supported: " + what + ".");
}

Diagnostic blank_statement() {
    return make_diagnostic(-198, "42617", "The statement string of the PREPARE statement is blank or empty.");
}

namespace {

// The text after a prefix such as "no such table: ".
std::string after(const std::string &s, const char *prefix) {
    std::string rest = s.substr(std::char_traits<char>::length(prefix));
    // "main.T" names the table T of the main database
    if (rest.starts_with("main."))
        rest = rest.substr(5);
    return rest;
}

// "near "X": syntax error" -> X
std::string near_token(const std::string &s) {
    auto open = s.find('"');
    auto close = open == std::string::npos ? open : s.find("\": ", open + 1);
    if (open == std::string::npos || close == std::string::npos)
        return s;
    return s.substr(open + 1, close - open - 1);
}

// "UNIQUE constraint failed: T.C, T.D" -> T.C, T.D
std::string constraint_target(const std::string &s) {
    auto colon = s.find(": ");
    return colon == std::string::npos ? std::string() : s.substr(colon + 2);
}

std::string table_of(const std::string &column) {
    auto dot = column.find('.');
    return dot == std::string::npos ? column : column.substr(0, dot);
}

} // namespace

Diagnostic from_engine(int rc, int extended_rc, const std::string &m) {
    switch (extended_rc) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY: {
        std::string target = constraint_target(m);
        return make_diagnostic(-803, "23505",
                               "One or more values in the INSERT or UPDATE statement are not valid "
                               "because the primary key or unique index on \"" +
                                   target + "\" constrains table \"" + table_of(target) +
                                   "\" from having duplicate values for the key.");
    }
    case SQLITE_CONSTRAINT_NOTNULL:
        return make_diagnostic(-407, "23502",
                               "An assignment of a NULL value to the NOT NULL column \"" +
                                   constraint_target(m) + "\" is not allowed.");
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        return make_diagnostic(-530, "23503",
                               "The insert, update or delete is not valid because a FOREIGN KEY "
                               "value does not match its parent key.");
    case SQLITE_CONSTRAINT_CHECK:
        return make_diagnostic(-545, "23513",
                               "The requested operation is not allowed because a row does not "
                               "satisfy the check constraint \"" + constraint_target(m) + "\".");
    default:
        break;
    }
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return make_diagnostic(-911, "40001",
                               "The current transaction has been rolled back because of a deadlock "
                               "or timeout.  Reason code \"68\".");
    case SQLITE_TOOBIG:
        return make_diagnostic(-101, "54001", "The statement is too long or too complex.");
    case SQLITE_FULL:
        return make_diagnostic(-968, "57011", "The file system is full.");
    case SQLITE_NOMEM:
        return make_diagnostic(-954, "57011", "Not enough storage is available to process the statement.");
    case SQLITE_INTERRUPT:
        return make_diagnostic(-952, "57014", "Processing was cancelled due to an interrupt.");
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return make_diagnostic(-1036, "58030",
                               "An I/O error occurred while accessing the database: " + m + ".");
    case SQLITE_READONLY:
        return make_diagnostic(-551, "42501", "The database is read-only for this user: " + m + ".");
    case SQLITE_CONSTRAINT:
        return make_diagnostic(-545, "23513", "The requested operation is not allowed: " + m + ".");
    default:
        break;
    }
    if (m.starts_with("no such table: "))
        return undefined_name(after(m, "no such table: "));
    if (m.starts_with("no such view: "))
        return undefined_name(after(m, "no such view: "));
    if (m.starts_with("no such index: "))
        return undefined_name(after(m, "no such index: "));
    if (m.starts_with("no such column: "))
        return make_diagnostic(-206, "42703",
                               "\"" + after(m, "no such column: ") +
                                   "\" is not valid in the context where it is used.");
    if (m.starts_with("no such function: "))
        return routine_not_found(after(m, "no such function: "));
    if (m.starts_with("wrong number of arguments to function ")) {
        std::string name = after(m, "wrong number of arguments to function ");
        if (auto paren = name.find('('); paren != std::string::npos)
            name.resize(paren);
        return routine_not_found(name);
    }
    if (m.starts_with("ambiguous column name: "))
        return make_diagnostic(-203, "42702",
                               "A reference to column \"" + after(m, "ambiguous column name: ") +
                                   "\" is ambiguous.");
    if (m.find("syntax error") != std::string::npos)
        return syntax_error(near_token(m));
    if (m == "incomplete input")
        return make_diagnostic(-104, "42601", "An unexpected end of statement was found.");
    if (m.find("already exists") != std::string::npos) {
        // "table T already exists"
        auto space = m.find(' ');
        auto end = m.find(" already exists");
        std::string name = space < end ? m.substr(space + 1, end - space - 1) : m;
        return make_diagnostic(-601, "42710",
                               "The name of the object to be created is identical to the "
                               "existing name \"" + name + "\".");
    }
    if (m.starts_with("duplicate column name: "))
        return make_diagnostic(-612, "42711",
                               "\"" + after(m, "duplicate column name: ") + "\" is a duplicate name.");
    if (m.find("values were supplied") != std::string::npos ||
        m.find(" values for ") != std::string::npos)
        return make_diagnostic(-117, "42802",
                               "The number of values assigned is not the same as the number of "
                               "specified or implied columns.");
    if (m.starts_with("unknown database "))
        return undefined_name(after(m, "unknown database "));
    return make_diagnostic(-901, "58004", "SQL system error: " + m + ".");
}

Diagnostic from_engine(sqlite3 *db, int rc) {
    return from_engine(rc, sqlite3_extended_errcode(db), sqlite3_errmsg(db));
}

} // namespace zal
