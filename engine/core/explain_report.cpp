#include "explain_report.h"

#include "line_reader.h"
#include "text.h"

namespace kestle {

namespace {

constexpr const char *cost_marker = "Cost =";
constexpr const char *plan_marker = "Plan:";
constexpr const char *plan_end = "===";

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

} // namespace kestle
