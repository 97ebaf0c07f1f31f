// The runner's run-state flags and its text work: turning a block of text into the list of
// statements one run executes.
#pragma once

#include <string>
#include <vector>

namespace kestle {

struct RunState {
    bool run_on = true;       // automatic playback of presentation-tree clicks
    bool run_at = false;      // "@" instead of ";" as the default delimiter
    bool stop_run = false;    // leave the statement loop before the next statement
    bool cmd_error = false;   // some statement of the current run failed
    bool exec_enabled = true; // false while skipping after a failed IF
};

// Most statements one run executes; the rest of a longer text is dropped.
inline constexpr std::size_t max_run_statements = 1000;

// Trims blanks, marks tabs as "^", blanks "--" comments up to their CR LF, marks CR LF as
// "~", and splits at the delimiter: "$" or "@" when that character opens the text (it is
// dropped), else ";" or, with run_at, "@". Empty statements are kept (the runner skips them)
// and count towards the 1000.
std::vector<std::string> split_run_text(const std::string &text, bool run_at);

// While skipping after a failed IF: does this statement end the skipping?
bool is_endif(const std::string &stmt);

// A statement that opens with "--" or "% ", after variable substitution, does nothing.
bool is_comment(const std::string &s);

} // namespace kestle
