// Program variables and their substitution into statements.

#include "variables.h"

#include "messages.h"
#include "parser.h"
#include "report.h"
#include "text.h"

namespace kestle {

namespace {

int find_upper(const Variables &v, std::string_view u) {
    for (int k = 1; k <= v.var_count; ++k)
        if (v.vars[k].name == u)
            return k;
    return 0;
}

} // namespace

int var_find(const Variables &v, const std::string &name) { return find_upper(v, upper(name)); }

int var_add(Variables &v, const std::string &name, const std::string &value) {
    std::string u = upper(name);
    int k = find_upper(v, u);
    if (k == 0) {
        if (v.var_count >= Variables::size)
            return 0;
        k = ++v.var_count;
    }
    var_entry &e = v.vars[k];
    e.name = std::move(u);
    e.value = value;
    return k;
}

std::string var_sub(const Variables &v, const std::string &s) {
    std::string out;
    out.reserve(s.size());
    std::size_t pos = 0;
    for (;;) {
        std::size_t open = s.find('[', pos);
        std::size_t close = open == std::string::npos ? open : s.find(']', open + 1);
        if (close == std::string::npos) {
            out.append(s, pos, std::string::npos);
            return out;
        }
        out.append(s, pos, open - pos);
        std::string_view name(s.data() + open + 1, close - open - 1);
        if (int k = find_upper(v, upper(name)))
            out += v.vars[k].value;
        else
            out.append(s, open, close - open + 1);
        pos = close + 1;
    }
}

bool cmd_var(Variables &v, const ParsedCommand &cmd, Reporter &r) {
    if (cmd.opt_count == 0) {
        r.show_msg(show_entry, popup_yes, msg_no_arguments, "", "cmd_var");
        return false;
    }
    for (int i = 1; i <= cmd.opt_count; ++i)
        var_add(v, cmd.opt_key[i], cmd.opt_value[i]);
    r.show_msg(show_entry, popup_no, msg_command_executed, "", "cmd_var");
    return true;
}

} // namespace kestle
