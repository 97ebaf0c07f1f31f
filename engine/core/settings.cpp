// Connection settings from the defaults and the command line.

#include "settings.h"

#include "notes_page.h"
#include "parser.h"
#include "run_text.h"
#include "text.h"
#include "variables.h"

#include <filesystem>

namespace kestle {

bool set_defaults(Settings &s, Variables &v, RunState &run, NotesPage &page,
                  const std::string &current_dir) {
    v.var_count = 0;
    var_add(v, "version", "8.2");
    var_add(v, "date", "2004-06-15");
    var_add(v, "font", "Microsoft Sans Serif");
    var_add(v, "fontsize", "10");
    var_add(v, "database", "SAMPLE");
    var_add(v, "userid", "");
    var_add(v, "password", "");

    run = RunState{};
    s = Settings{};
    s.prog_dir = current_dir;
    var_add(v, "curdir", s.prog_dir);

    std::error_code ec;
    bool extras = std::filesystem::exists(std::filesystem::path(s.prog_dir) / "extras.ini", ec);

    set_html_head(page);
    return extras;
}

void set_options(Settings &s, Variables &v, const std::string &key, const std::string &value) {
    static const struct {
        const char *key;
        std::string Settings::*setting; // null: the option sets only the variable
        const char *variable;
    } options[] = {
        {"database", &Settings::db_name, "DATABASE"}, {"userid", &Settings::db_user, "USERID"},
        {"password", &Settings::db_password, "PASSWORD"}, {"file", &Settings::ctl_file, "FILE"},
        {"fontsize", nullptr, "FONTSIZE"}, {"font", nullptr, "FONT"},
    };
    for (const auto &o : options) {
        if (key != o.key)
            continue;
        if (o.setting)
            s.*o.setting = value;
        var_add(v, o.variable, value);
        return;
    }
    if (value.empty()) {
        // A bare word names the control file.
        s.ctl_file = key;
        var_add(v, "FILE", key);
    }
}

std::string command_line_text(const std::vector<std::string> &args) {
    std::string line;
    for (std::string arg : args) {
        const std::size_t eq = arg.find('=');
        if (arg.find(' ') != std::string::npos && eq != std::string::npos && eq + 1 < arg.size() &&
            arg[eq + 1] != '"' && arg[eq + 1] != '\'') {
            // The parser has no escape: the value takes a quote it does not hold.
            const std::string value = arg.substr(eq + 1);
            const char quote = value.find('"') == std::string::npos ? '"' : '\'';
            if (value.find(quote) == std::string::npos)
                arg = arg.substr(0, eq + 1) + quote + value + quote;
        }
        if (!line.empty())
            line += ' ';
        line += arg;
    }
    return line;
}

void readargs(Settings &s, Variables &v, ParsedCommand &p, Reporter &r,
              const std::string &command_line) {
    parsecmd(p, r, false, trim(command_line));
    for (int i = 1; i <= p.opt_count; ++i)
        set_options(s, v, p.opt_key[i], p.opt_value[i]);
}

} // namespace kestle
