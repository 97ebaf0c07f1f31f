// Parsing "%" commands and the command line into a keyword and options.

#include "parser.h"

#include "messages.h"
#include "report.h"
#include "text.h"

namespace kestle {

bool parsecmd(ParsedCommand &p, Reporter &r, bool is_cmd, const std::string &s) {
    p.cmd_keyword = "*";
    p.opt_count = 0;
    std::string_view text;
    if (is_cmd) {
        if (s.size() <= 1 || s.starts_with("% "))
            return true; // a lone "%" or a "% " comment
        std::size_t b = s.find(' ', 1);
        if (b == std::string::npos) {
            p.cmd_keyword = upper(std::string_view(s).substr(1));
            p.cmd_args.clear();
        } else {
            p.cmd_keyword = upper(std::string_view(s).substr(1, b - 1));
            text = trim_view(std::string_view(s).substr(b));
            p.cmd_args = text;
        }
    } else {
        text = s;
    }

    while (!text.empty() && p.opt_count < ParsedCommand::max_options) {
        std::size_t b = text.find(' ');
        // Only an "=" before the first blank makes a KEY=VALUE option.
        std::size_t e = text.substr(0, b).find('=');
        int n = ++p.opt_count;
        std::string &key = p.opt_key[n];
        std::string &value = p.opt_value[n];
        if (e == std::string_view::npos) {
            value.clear();
            if (b == std::string_view::npos) {
                key = text;
                return true;
            }
            key = text.substr(0, b);
            text = trim_view(text.substr(b));
            continue;
        }
        key = text.substr(0, e);
        char q = e + 1 < text.size() ? text[e + 1] : '\0';
        if (q == '\'' || q == '"') {
            std::size_t close = text.find(q, e + 2);
            if (close == std::string_view::npos) {
                // An empty value rather than whatever an earlier parse left in this entry.
                value.clear();
                r.show_msg(show_entry, popup_yes, msg_no_ending_quote, "", "parsecmd");
                return false;
            }
            value = text.substr(e + 2, close - e - 2);
            text = trim_view(text.substr(close + 1));
        } else if (b == std::string_view::npos) {
            value = text.substr(e + 1);
            return true;
        } else {
            value = text.substr(e + 1, b - e - 1);
            text = trim_view(text.substr(b));
        }
    }
    return true;
}

void parsestring(ParsedCommand &p, const std::string &s) {
    p.quoted_count = 0;
    std::size_t i = 0;
    while (i < s.size() && p.quoted_count < ParsedCommand::max_quoted) {
        char c = s[i];
        if (c != '\'' && c != '"') {
            ++i;
            continue;
        }
        std::size_t close = s.find(c, i + 1);
        if (close == std::string::npos)
            close = s.size();
        p.quoted[++p.quoted_count] = s.substr(i + 1, close - i - 1);
        i = close + 1;
    }
    if (p.quoted_count == 0) {
        p.quoted_count = 1;
        p.quoted[1] = s;
    }
}

} // namespace kestle
