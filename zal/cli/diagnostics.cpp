// Every diagnostic of the product in one table, and the mapping of the engine's errors.
#include "diagnostics.h"

#include <zalapp.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace zal {

namespace {

// The CLI's own diagnostics carry this SQLCODE and a text of their own layout.
constexpr int32_t cli_sqlcode = -99999;

struct Entry {
    Condition condition;
    int32_t sqlcode;
    const char *sqlstate; // null: the first argument is the SQLSTATE; empty: a tool's message
    const char *text;
};

constexpr Entry table[] = {
    {Condition::UndefinedName, -204, "42704", "\"%1\" is an undefined name."},
    {Condition::UndefinedColumn, -206, "42703", "\"%1\" is not valid in the context where it is used."},
    {Condition::AmbiguousColumn, -203, "42702", "A reference to column \"%1\" is ambiguous."},
    {Condition::RoutineNotFound, -440, "42884", "No routine named \"%1\" with compatible arguments was found."},
    {Condition::SyntaxError, -104, "42601", "An unexpected token \"%1\" was found."},
    {Condition::UnterminatedString, -10, "42603",
     "The string constant beginning with \"%1\" does not have an ending string delimiter."},
    {Condition::EndOfStatement, -104, "42601", "An unexpected end of statement was found."},
    {Condition::BlankStatement, -198, "42617", "The statement string of the PREPARE statement is blank or empty."},
    {Condition::NulCharacter, -7, "42601", "The character \"0x00\" following \"%1\" is not valid."},
    {Condition::StatementTooLong, -101, "54001", "The statement is too long or too complex."},
    {Condition::InvalidTypeLength, -604, "42611",
     "The length, precision, or scale attribute for column, distinct type, routine, or cast target type \"%1\" "
     "is not valid."},
    {Condition::NumericOverflow, -413, "22003", "Overflow occurred during numeric data type conversion."},
    {Condition::DuplicateKey, -803, "23505",
     "One or more values in the INSERT or UPDATE statement are not valid because the primary key or unique index "
     "on \"%1\" constrains table \"%2\" from having duplicate values for the key."},
    {Condition::NotNull, -407, "23502", "An assignment of a NULL value to the NOT NULL column \"%1\" is not allowed."},
    {Condition::ForeignKey, -530, "23503",
     "The insert, update or delete is not valid because a FOREIGN KEY value does not match its parent key."},
    {Condition::CheckConstraint, -545, "23513",
     "The requested operation is not allowed because a row does not satisfy the check constraint \"%1\"."},
    {Condition::ConstraintFailed, -545, "23513", "The requested operation is not allowed: %1."},
    {Condition::ObjectExists, -601, "42710",
     "The name of the object to be created is identical to the existing name \"%1\"."},
    {Condition::DuplicateColumn, -612, "42711", "\"%1\" is a duplicate name."},
    {Condition::ValueCount, -117, "42802",
     "The number of values assigned is not the same as the number of specified or implied columns."},
    {Condition::ParameterCount, -313, "07004",
     "The number of values supplied is not equal to the number of parameter markers."},
    {Condition::Deadlock, -911, "40001",
     "The current transaction has been rolled back because of a deadlock or timeout.  Reason code \"68\"."},
    {Condition::FileSystemFull, -968, "57011", "The file system is full."},
    {Condition::OutOfMemory, -954, "57011", "Not enough storage is available to process the statement."},
    {Condition::Interrupted, -952, "57014", "Processing was cancelled due to an interrupt."},
    {Condition::IoError, -1036, "58030", "An I/O error occurred while accessing the database: %1."},
    {Condition::ReadOnly, -551, "42501", "The database is read-only for this user: %1."},
    {Condition::SystemError, -901, "58004", "SQL system error: %1."},
    {Condition::FileOptionNotRead, -452, "428A1",
     "Unable to access the file \"%1\" referenced by a file variable.  Reason code: 1 (the file option is not "
     "valid for reading)."},
    {Condition::FileNotOpened, -452, "428A1",
     "Unable to access the file \"%1\" referenced by a file variable.  Reason code: 2 (the file cannot be opened: "
     "%2)."},
    {Condition::FileNotRead, -452, "428A1",
     "Unable to access the file \"%1\" referenced by a file variable.  Reason code: 2 (the file cannot be read: "
     "%2)."},
    {Condition::FileNotRegular, -452, "428A1",
     "Unable to access the file \"%1\" referenced by a file variable.  Reason code: 2 (it is not a regular file)."},
    {Condition::FileTooLarge, -452, "428A1",
     "Unable to access the file \"%1\" referenced by a file variable.  Reason code: 5 (the file is larger than "
     "the largest value, %2 bytes)."},
    {Condition::FileExists, -452, "428A1",
     "Unable to access the file \"%1\" referenced by a file variable.  Reason code: 3 (the file exists already)."},
    {Condition::FileNotWritten, -452, "428A1",
     "Unable to access the file \"%1\" referenced by a file variable.  Reason code: 4 (the file cannot be written: "
     "%2)."},
    {Condition::ManagerNotStarted, -1032, "57019", "The database manager has not been started."},
    {Condition::DatabaseNotFound, -1013, "42705", "The database name \"%1\" could not be found."},
    {Condition::DatabaseUnusable, -1036, "58030", "The database \"%1\" cannot be used: %2."},
    {Condition::DatabaseNotOpened, -1036, "58030", "The database \"%1\" cannot be used: cannot open."},
    {Condition::DatabaseMoved, -1036, "58030",
     "The database \"%1\" cannot be used: its file has been removed or replaced."},
    {Condition::NoConnection, -1024, "08003", "A database connection does not exist."},
    {Condition::TooManyParameters, -270, "42997",
     "The function is not supported: more than 30 parameters or result columns."},
    {Condition::SqlTableFunction, -270, "42997", "The function is not supported: table functions written in SQL."},
    {Condition::ExternalNameMissing, -104, "42601", "The EXTERNAL NAME clause is missing."},
    {Condition::FunctionExists, -454, "42723", "A function with the signature of \"%1\" already exists in the schema."},
    {Condition::RoutineUnbound, -444, "42724",
     "Routine \"%1\" is implemented with code in library \"%2\", function \"%3\", which cannot be accessed (%4)."},
    {Condition::ArgumentOverflow, -413, "22003",
     "Overflow occurred during numeric data type conversion of argument %1 of routine \"%2\"."},
    {Condition::RoutineFailed, -443, nullptr,
     "Routine \"%2\" (specific name \"%3\") has returned an error SQLSTATE with diagnostic text \"%4\"."},
    {Condition::RoutineTooDeep, -724, "54038", "The routine \"%1\" calls itself too deeply."},
    {Condition::NoAccessPlan, -270, "42997", "The function is not supported: the statement has no access plan."},
    {Condition::InvalidArgument, cli_sqlcode, "HY009", "Invalid argument value."},
    {Condition::InvalidLength, cli_sqlcode, "HY090", "Invalid string or buffer length."},
    {Condition::InvalidColumn, cli_sqlcode, "07009", "Invalid column number."},
    {Condition::InvalidParameter, cli_sqlcode, "07009", "Invalid parameter number."},
    {Condition::ProgramType, cli_sqlcode, "HY003", "Program type out of range."},
    {Condition::SqlDataType, cli_sqlcode, "HY004", "Invalid SQL data type."},
    {Condition::OptionType, cli_sqlcode, "HY092", "Option type out of range."},
    {Condition::TransactionCode, cli_sqlcode, "HY012", "Invalid transaction operation code."},
    {Condition::SequenceError, cli_sqlcode, "HY010", "Function sequence error."},
    {Condition::ConnectionInUse, cli_sqlcode, "08002", "Connection in use."},
    {Condition::ConnectionClosed, cli_sqlcode, "08003", "Connection is closed."},
    {Condition::ConnectionStillOpen, cli_sqlcode, "HY010", "Function sequence error: the connection is still open."},
    {Condition::ConnectionsAllocated, cli_sqlcode, "HY010",
     "Function sequence error: connections are still allocated."},
    {Condition::CursorState, cli_sqlcode, "24000", "Invalid cursor state."},
    {Condition::DataTruncated, cli_sqlcode, "01004", "Data truncated."},
    {Condition::ManagerActive, ZAL_SQLCODE_ALREADY_ACTIVE, "00000", "The database manager is already active."},
    {Condition::ManagerStarted, ZAL_SQLCODE_OK, "00000", "The database manager was started."},
    {Condition::HomeNotCreated, ZAL_SQLCODE_SYSTEM_ERROR, "58004",
     "An unexpected system error occurred: cannot create the instance directory %1: %2."},
    {Condition::HomeNotWritable, ZAL_SQLCODE_SYSTEM_ERROR, "58004",
     "An unexpected system error occurred: the instance directory %1 is not writable."},
    {Condition::HomeNotReadable, ZAL_SQLCODE_SYSTEM_ERROR, "58004",
     "An unexpected system error occurred: the instance directory %1 cannot be read: %2."},
    {Condition::HomeExposed, 0, "",
     "ZAL0002W  The instance directory %1 can be read by other users (mode %2); \"chmod 700 %1\" keeps them "
     "out."},
    {Condition::FileNotCreated, ZAL_SQLCODE_SYSTEM_ERROR, "58004",
     "An unexpected system error occurred: cannot create %1: %2."},
    {Condition::MarkerNotWritten, ZAL_SQLCODE_SYSTEM_ERROR, "58004",
     "An unexpected system error occurred: cannot write %1."},
    {Condition::AdminSystemError, ZAL_SQLCODE_SYSTEM_ERROR, "58004", "An unexpected system error occurred: %1."},
    {Condition::NoSuchTable, ZAL_SQLCODE_NO_TABLE, "42704", "The table or index \"%1\" does not exist."},
    {Condition::BadRequest, ZAL_SQLCODE_BAD_REQUEST, "22023", "The statistics request is not valid."},
    {Condition::LibraryNotBare, 0, "",
     "a library is named by its bare name, without a path, and is looked up only in the function directory of "
     "the instance and in the product's own directory"},
    {Condition::LibraryNotFound, 0, "", "library not found"},
    {Condition::EntryNotFound, 0, "", "entry not found"},
    {Condition::CommandCompleted, 0, "", "ZAL0000I  The SQL command completed successfully."},
    {Condition::TerminateCompleted, 0, "", "ZAL0000I  The TERMINATE command completed successfully."},
    {Condition::StartCompleted, 0, "", "ZAL0000I  The START DATABASE MANAGER command completed successfully."},
    {Condition::ShellCommandFailed, 0, "", "ZAL0001N  The command \"%1\" ended with exit status %2."},
    {Condition::OptionNotValid, 0, "", "%1: the option \"%2\" is not valid"},
    {Condition::OptionNeedsFile, 0, "", "%1: the option %2 needs a file name"},
    {Condition::OptionNeedsValue, 0, "", "%1: the option %2 needs a value"},
    {Condition::ReportNotWritten, 0, "", "zal: the report file \"%1\" cannot be written"},
    {Condition::ScriptNotRead, 0, "", "zal: the script file \"%1\" cannot be read"},
    {Condition::NoDatabaseGiven, 0, "", "zalexpln: no database was given (-d)"},
    {Condition::NoInputGiven, 0, "", "zalexpln: no input file was given (-f)"},
    {Condition::NoOutputGiven, 0, "", "zalexpln: no output file was given (-o)"},
    {Condition::InputNotRead, 0, "", "zalexpln: the input file \"%1\" cannot be read"},
    {Condition::InputEmpty, 0, "", "zalexpln: the input file \"%1\" holds no statement"},
    {Condition::OutputNotWritten, 0, "", "zalexpln: the output file \"%1\" cannot be written"},
    {Condition::NoCommandGiven, 0, "", "zalcmd: no command was given"},
    {Condition::ShellNotStarted, 0, "", "zalcmd: /bin/sh cannot be started: %1"},
};

// The table is read by the condition's number.
constexpr bool in_order() {
    for (size_t i = 0; i < std::size(table); ++i)
        if (table[i].condition != static_cast<Condition>(i))
            return false;
    return true;
}
static_assert(in_order() && std::size(table) == static_cast<size_t>(Condition::ShellNotStarted) + 1);

// The text with "%1", "%2", ... replaced by the arguments.
std::string filled(const char *text, std::initializer_list<std::string_view> args) {
    std::string out;
    for (const char *p = text; *p; ++p) {
        const size_t n = p[0] == '%' && p[1] >= '1' && p[1] <= '9' ? static_cast<size_t>(p[1] - '1') : args.size();
        if (n < args.size()) {
            out += args.begin()[n];
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

} // namespace

std::string Diagnostic::message() const { return "[ZAL][CLI Driver][ZAL] " + text; }

Diagnostic diagnose(Condition c, std::initializer_list<std::string_view> args) {
    const Entry &e = table[static_cast<size_t>(c)];
    const std::string sqlstate(e.sqlstate ? std::string_view(e.sqlstate) : args.begin()[0]);
    const std::string body = filled(e.text, args);
    if (sqlstate.empty())
        return {e.sqlcode, "00000", body};
    if (e.sqlcode == cli_sqlcode)
        return {e.sqlcode, sqlstate, "CLI0100E  " + body + "  SQLSTATE=" + sqlstate};
    // "SQL<nnnn><N|W|C|I>  <body>  SQLSTATE=<state>"
    char number[16];
    const char severity = e.sqlcode < 0   ? (e.sqlcode == -1036 || e.sqlcode == -1042 ? 'C' : 'N')
                          : e.sqlcode > 0 ? 'W'
                                          : 'I';
    std::snprintf(number, sizeof number, "SQL%04d%c", std::abs(e.sqlcode) % 100000, severity);
    return {e.sqlcode, sqlstate, std::string(number) + "  " + body + "  SQLSTATE=" + sqlstate};
}

std::string text_of(Condition c, std::initializer_list<std::string_view> args) { return diagnose(c, args).text; }

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

// "unrecognized token: "'abc..."" -> 'abc, at most 20 bytes and never half a UTF-8 character
// (an unterminated string runs to the end of the statement).
std::string unrecognized_token(const std::string &s) {
    std::string token = s.substr(std::char_traits<char>::length("unrecognized token: "));
    if (token.size() >= 2 && token.front() == '"' && token.back() == '"')
        token = token.substr(1, token.size() - 2);
    size_t n = std::min<size_t>(token.size(), 20);
    while (n > 0 && n < token.size() && (static_cast<unsigned char>(token[n]) & 0xC0) == 0x80)
        --n;
    return token.substr(0, n);
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
        const std::string target = constraint_target(m);
        return diagnose(Condition::DuplicateKey, {target, table_of(target)});
    }
    case SQLITE_CONSTRAINT_NOTNULL:
        return diagnose(Condition::NotNull, {constraint_target(m)});
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        return diagnose(Condition::ForeignKey);
    case SQLITE_CONSTRAINT_CHECK:
        return diagnose(Condition::CheckConstraint, {constraint_target(m)});
    default:
        break;
    }
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return diagnose(Condition::Deadlock);
    case SQLITE_TOOBIG:
        return diagnose(Condition::StatementTooLong);
    case SQLITE_FULL:
        return diagnose(Condition::FileSystemFull);
    case SQLITE_NOMEM:
        return diagnose(Condition::OutOfMemory);
    case SQLITE_INTERRUPT:
        return diagnose(Condition::Interrupted);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return diagnose(Condition::IoError, {m});
    case SQLITE_READONLY:
        return diagnose(Condition::ReadOnly, {m});
    case SQLITE_CONSTRAINT:
        return diagnose(Condition::ConstraintFailed, {m});
    default:
        break;
    }
    for (const char *prefix : {"no such table: ", "no such view: ", "no such index: "})
        if (m.starts_with(prefix))
            return diagnose(Condition::UndefinedName, {after(m, prefix)});
    if (m.starts_with("no such column: "))
        return diagnose(Condition::UndefinedColumn, {after(m, "no such column: ")});
    if (m.starts_with("no such function: "))
        return diagnose(Condition::RoutineNotFound, {after(m, "no such function: ")});
    if (m.starts_with("wrong number of arguments to function ")) {
        std::string name = after(m, "wrong number of arguments to function ");
        if (auto paren = name.find('('); paren != std::string::npos)
            name.resize(paren);
        return diagnose(Condition::RoutineNotFound, {name});
    }
    if (m.starts_with("ambiguous column name: "))
        return diagnose(Condition::AmbiguousColumn, {after(m, "ambiguous column name: ")});
    if (m.starts_with("unrecognized token: ")) {
        const std::string token = unrecognized_token(m);
        return diagnose(token.starts_with('\'') ? Condition::UnterminatedString : Condition::SyntaxError, {token});
    }
    if (m.find("syntax error") != std::string::npos)
        return diagnose(Condition::SyntaxError, {near_token(m)});
    if (m == "incomplete input")
        return diagnose(Condition::EndOfStatement);
    if (m.find("already exists") != std::string::npos) {
        // "table T already exists"
        auto space = m.find(' ');
        auto end = m.find(" already exists");
        return diagnose(Condition::ObjectExists, {space < end ? m.substr(space + 1, end - space - 1) : m});
    }
    if (m.starts_with("duplicate column name: "))
        return diagnose(Condition::DuplicateColumn, {after(m, "duplicate column name: ")});
    if (m.find("values were supplied") != std::string::npos || m.find(" values for ") != std::string::npos)
        return diagnose(Condition::ValueCount);
    if (m.starts_with("unknown database "))
        return diagnose(Condition::UndefinedName, {after(m, "unknown database ")});
    return diagnose(Condition::SystemError, {m});
}

Diagnostic from_engine(sqlite3 *db, int rc) {
    return from_engine(rc, sqlite3_extended_errcode(db), sqlite3_errmsg(db));
}

bool engine_ok(sqlite3 *db, int rc, Diagnostic &error) {
    if (rc == SQLITE_OK)
        return true;
    error = from_engine(db, rc);
    return false;
}

} // namespace zal
