// Diagnostics: an SQLCODE, an SQLSTATE and a message, and the mapping of engine errors onto them.
#pragma once

#include <cstdint>
#include <string>

struct sqlite3;

namespace zal {

struct Diagnostic {
    int32_t sqlcode = 0;
    std::string sqlstate = "00000";
    std::string text; // "SQL0204N  ...  SQLSTATE=42704", without the bracketed prefixes

    // The message as the CLI reports it: the three bracketed prefixes, then the text.
    std::string message() const;
};

// A diagnostic with the standard text layout: "SQL<nnnn><N|W|C>  <body>  SQLSTATE=<state>".
Diagnostic make_diagnostic(int32_t sqlcode, const std::string &sqlstate, const std::string &body);

// CLI-level diagnostics (no SQLCODE of their own: the code is -99999 as CLI errors have).
Diagnostic cli_diagnostic(const std::string &sqlstate, const std::string &body);

// Maps an engine error (result code and message) onto its SQLCODE and SQLSTATE.
Diagnostic from_engine(int rc, int extended_rc, const std::string &message);
Diagnostic from_engine(sqlite3 *db, int rc);

// The diagnostics that more than one place raises.
Diagnostic undefined_name(const std::string &name);
Diagnostic routine_not_found(const std::string &name);
Diagnostic manager_not_started();
Diagnostic database_not_found(const std::string &name);
Diagnostic database_unusable(const std::string &name, const std::string &reason);
Diagnostic no_connection();
Diagnostic syntax_error(const std::string &token);
Diagnostic not_supported(const std::string &what);
Diagnostic blank_statement();

} // namespace zal
