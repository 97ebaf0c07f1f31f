// The program's command syntax: "%KEYWORD" then KEY=VALUE options, bare words or quoted
// strings; the same option syntax reads the program's command line.
#pragma once

#include <array>
#include <string>

namespace kestle {

struct Reporter;

struct ParsedCommand {
    static constexpr int max_options = 50;
    static constexpr int max_quoted = 10;
    std::string cmd_keyword = "*"; // upper case; "*" when the text held no command
    std::string cmd_args;          // the trimmed text after the keyword
    // Entries 1 to opt_count and 1 to quoted_count; entries past the counts are stale.
    std::array<std::string, max_options + 1> opt_key;   // as written; a bare word has no value
    std::array<std::string, max_options + 1> opt_value; // quotes removed
    int opt_count = 0;
    std::array<std::string, max_quoted + 1> quoted;
    int quoted_count = 0;
};

// Parses a command (is_cmd true; s begins with "%") or the command line (is_cmd false).
// A quoted value without its closing quote shows message 41 and ends the parse (false); that
// option is counted with an empty value. Options past the 50th are ignored.
bool parsecmd(ParsedCommand &p, Reporter &r, bool is_cmd, const std::string &s);

// The quoted strings of s (at most 10); the whole of s as one entry when it has none.
void parsestring(ParsedCommand &p, const std::string &s);

} // namespace kestle
