// The database session: connect with one automatic start of the manager, disconnect, the rule
// that ends a statement, and the two error displays.
#pragma once

#include "bound_library.h"
#include "cli.h"

#include <zalcli.h>

#include <cstdint>
#include <string>

class QTreeWidgetItem;

namespace kestle {

class Program;

// The database session: the CLI handles, the last return code, the connection flag.
struct Session {
    Cli cli;
    BoundLibrary zalapp{"libzalapp.so"}; // zalStartManager
    SQLHENV henv = 0;
    SQLHDBC hdbc = 0;
    SQLHSTMT hstmt = 0;
    int32_t sql_rc = 0;
    bool db_connected = false;
};

int ZAL_connect(Program &p, const std::string &database, const std::string &userid, const std::string &password);
int ZAL_start(Program &p);
int ZAL_disconnect(Program &p);
// Drops the statement handle and commits.
int ZAL_close(Program &p);
// Shows the database's message on the status line (a box when no SQL window is open and the
// native code is not 0), sets cmd_error, drops the statement handle.
int ZAL_error(Program &p);
// Marks the run node (when given), shows the message, sets cmd_error, drops and commits.
void ZAL_sqlerror(Program &p, QTreeWidgetItem *node = nullptr);

// Allocates the statement handle of the next statement into hstmt; the code goes to sql_rc.
SQLRETURN alloc_statement(Program &p);
// Drops the statement handle without a commit (the code goes to sql_rc).
void drop_statement(Program &p);

// How the program reads a CLI code: an error, or a handle the CLI does not know.
inline bool cli_failed(SQLRETURN rc) { return rc < 0; }
// Whether a fetch delivered a row.
inline bool row_fetched(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The message of the first diagnostic, whole, or why there is none; the code of the fetch goes
// to sql_rc.
std::string diagnostic_message(Program &p, int *native = nullptr);
// The message of the first diagnostic with its three bracketed prefixes removed.
std::string error_text(Program &p, int *native = nullptr);

} // namespace kestle
