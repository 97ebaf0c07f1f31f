// Diagnostics: an SQLCODE, an SQLSTATE and a message; every one the product raises, and the
// mapping of engine errors onto them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

struct sqlite3;

namespace zal {

struct Diagnostic {
    int32_t sqlcode = 0;
    std::string sqlstate = "00000";
    std::string text; // "SQL0204N  ...  SQLSTATE=42704", without the bracketed prefixes

    // The message as the CLI reports it: the three bracketed prefixes, then the text.
    std::string message() const;
};

// What went wrong (or, for a few, what went right). The SQLCODE, SQLSTATE and text of each
// stand in one table in diagnostics.cpp.
enum class Condition {
    // errors of statements, most of them the engine's
    UndefinedName,
    UndefinedColumn,
    AmbiguousColumn,
    RoutineNotFound,
    SyntaxError,
    UnterminatedString,
    EndOfStatement,
    BlankStatement,
    NulCharacter,
    StatementTooLong,
    InvalidTypeLength,
    NumericOverflow,
    DuplicateKey,
    NotNull,
    ForeignKey,
    CheckConstraint,
    ConstraintFailed,
    ObjectExists,
    DuplicateColumn,
    ValueCount,
    ParameterCount,
    Deadlock,
    FileSystemFull,
    OutOfMemory,
    Interrupted,
    IoError,
    ReadOnly,
    SystemError,
    // file bindings
    FileOptionNotRead,
    FileNotOpened,
    FileNotRead,
    FileNotRegular,
    FileTooLarge,
    FileExists,
    FileNotWritten,
    // the instance and its databases
    ManagerNotStarted,
    DatabaseNotFound,
    DatabaseUnusable,
    DatabaseNotOpened,
    DatabaseMoved,
    NoConnection,
    // user-defined functions
    TooManyParameters,
    SqlTableFunction,
    ExternalNameMissing,
    FunctionExists,
    RoutineUnbound,
    ArgumentOverflow,
    RoutineFailed, // the first argument is the routine's own SQLSTATE
    RoutineTooDeep,
    NoAccessPlan,
    // the call-level interface's own
    InvalidArgument,
    InvalidLength,
    InvalidColumn,
    InvalidParameter,
    ProgramType,
    SqlDataType,
    OptionType,
    TransactionCode,
    SequenceError,
    ConnectionInUse,
    ConnectionClosed,
    ConnectionStillOpen,
    ConnectionsAllocated,
    CursorState,
    DataTruncated,
    // the administrative calls
    ManagerActive,
    ManagerStarted,
    HomeNotCreated,
    HomeNotWritable,
    HomeNotReadable,
    HomeExposed, // a warning, shown as it stands
    FileNotCreated,
    MarkerNotWritten,
    AdminSystemError,
    NoSuchTable,
    BadRequest,
    // why a routine cannot be bound, the last argument of RoutineUnbound
    LibraryNotBare,
    LibraryNotFound,
    EntryNotFound,
    // the tools' own messages, shown as they stand (no SQLCODE)
    CommandCompleted,
    TerminateCompleted,
    StartCompleted,
    ShellCommandFailed,
    OptionNotValid,
    OptionNeedsFile,
    OptionNeedsValue,
    ReportNotWritten,
    ScriptNotRead,
    NoDatabaseGiven,
    NoInputGiven,
    NoOutputGiven,
    InputNotRead,
    InputEmpty,
    OutputNotWritten,
    NoCommandGiven,
    ShellNotStarted,
};

// The diagnostic of a condition; "%1", "%2", ... in its text are the arguments.
Diagnostic diagnose(Condition c, std::initializer_list<std::string_view> args = {});
// Its text alone, as a tool shows it.
std::string text_of(Condition c, std::initializer_list<std::string_view> args = {});

// Maps an engine error (result code and message) onto its diagnostic.
Diagnostic from_engine(int rc, int extended_rc, const std::string &message);
Diagnostic from_engine(sqlite3 *db, int rc);
// True when the engine's call succeeded (rc is SQLITE_OK); otherwise error says why.
bool engine_ok(sqlite3 *db, int rc, Diagnostic &error);

} // namespace zal
