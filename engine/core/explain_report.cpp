#include "explain_report.h"

#include "line_reader.h"
#include "text.h"

namespace kestle {

namespace {

constexpr const char *cost_marker = "Cost =";
constexpr const char *plan_marker = "Plan:";
constexpr const char *plan_end = "===";

// "SQL0204N", "CLI0100E": three capitals, four digits and a capital.
bool opens_with_message_number(std::string_view text) {
    if (text.size() < 8)
        return false;
    auto capital = [](char c) { return c >= 'A' && c <= 'Z'; };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return capital(text[0]) && capital(text[1]) && capital(text[2]) && digit(text[3]) && digit(text[4]) &&
           digit(text[5]) && digit(text[6]) && capital(text[7]);
}

} // namespace

std::optional<std::string> explain_view(const std::string &report_file) {
    LineReader in(report_file);
    std::string line;
    bool more = in.next(line);
    // Moves to the first line from here on that holds marker, keeps it in found and steps to
    // the line after it; false when the file ends before or right after it.
    auto pass = [&](const char *marker, std::string &found) {
        while (more && line.find(marker) == std::string::npos)
            more = in.next(line);
        if (!more)
            return false;
        found = line;
        return more = in.next(line);
    };
    std::string cost, plan;
    if (!pass(cost_marker, cost) || !pass(plan_marker, plan))
        return std::nullopt;
    std::string result = cost.substr(cost.find(cost_marker)) + "\r\n";
    for (; more && line.rfind(plan_end, 0) != 0; more = in.next(line))
        if (!trim(line).empty())
            result += "\r\n" + line;
    return result;
}

std::string explain_message(const std::string &report_file) {
    LineReader in(report_file);
    for (std::string line; in.next(line);) {
        const std::string text = error_text_of(line);
        if (opens_with_message_number(text))
            return text;
    }
    return {};
}

} // namespace kestle
