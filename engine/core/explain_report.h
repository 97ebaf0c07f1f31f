// Reading the explain tool's report back: the estimated cost and the access plan.
#pragma once

#include <optional>
#include <string>

namespace kestle {

// What the text viewer shows of a report file: the cost line from "Cost =" on, an empty line,
// then the non-blank plan lines after the "Plan:" line up to a line that begins with "===".
// None when the file cannot be read, lacks either line, or ends right after one of them.
std::optional<std::string> explain_view(const std::string &report_file);

// The first database message of a report, as the tool writes one for a statement it cannot
// explain: a line that opens, after its bracketed prefixes, with a message number such as
// "SQL0204N", from that number on. Empty when the report holds none.
std::string explain_message(const std::string &report_file);

} // namespace kestle
