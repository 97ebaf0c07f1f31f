// Connection settings, control-file name and start-up directory, from the built-in defaults
// and the program's command line.
#pragma once

#include <string>
#include <vector>

namespace kestle {

struct NotesPage;
struct ParsedCommand;
struct Reporter;
struct RunState;
struct Variables;

struct Settings {
    std::string db_name = "SAMPLE";
    std::string db_user;
    std::string db_password;
    std::string ctl_file = "kestle.sql";
    std::string prog_dir; // the current directory at start-up
    std::string crlf = "\r\n";
};

// Built-in settings, variables, run flags and notes-page header, with current_dir as the
// start-up directory. Returns whether extras.ini exists there (the demonstration buttons are
// then shown).
bool set_defaults(Settings &s, Variables &v, RunState &run, NotesPage &page,
                  const std::string &current_dir);

// One command-line option; keys are lower case and compared exactly.
void set_options(Settings &s, Variables &v, const std::string &key, const std::string &value);

// The arguments after the program name as the one text that readargs reads. A key=value
// argument whose value holds blanks and is not quoted already gets quotes around the value, so
// that the blanks stay in it; a value the user quoted keeps its own quotes.
std::string command_line_text(const std::vector<std::string> &args);

// Parses the command line (the arguments after the program name as one text) and applies
// each option in order.
void readargs(Settings &s, Variables &v, ParsedCommand &p, Reporter &r,
              const std::string &command_line);

} // namespace kestle
