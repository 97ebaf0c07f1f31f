// Splitting a block of text into the statements of one run.

#include "run_text.h"

#include "marks.h"
#include "text.h"

#include <algorithm>

namespace kestle {

std::vector<std::string> split_run_text(const std::string &text, bool run_at) {
    std::string t = trim(text);
    for (char &c : t)
        if (c == '\t')
            c = '^';

    // Each comment runs to the next CR LF; quotes are not considered.
    for (std::size_t dash = t.find("--"); dash != std::string::npos; dash = t.find("--", dash + 2)) {
        std::size_t end = t.find("\r\n", dash + 2);
        if (end == std::string::npos) {
            std::fill(t.begin() + dash, t.end(), ' ');
            break;
        }
        std::fill(t.begin() + dash, t.begin() + end, ' ');
    }

    std::string marked;
    marked.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
            marked += '~';
            ++i;
        } else {
            marked += t[i];
        }
    }

    char delimiter = ';';
    std::size_t pos = 0;
    if (!marked.empty() && (marked[0] == '$' || marked[0] == '@')) {
        delimiter = marked[0];
        pos = 1;
    } else if (run_at) {
        delimiter = '@';
    }

    std::vector<std::string> statements;
    while (pos < marked.size() && statements.size() < max_run_statements) {
        std::size_t next = marked.find(delimiter, pos);
        if (next == std::string::npos)
            next = marked.size();
        statements.push_back(marked.substr(pos, next - pos));
        pos = next + 1;
    }
    return statements;
}

bool is_endif(const std::string &stmt) { return upper(expand_marks(stmt, true).substr(0, 6)) == "%ENDIF"; }

bool is_comment(const std::string &s) { return s.starts_with("--") || s.starts_with("% "); }

} // namespace kestle
