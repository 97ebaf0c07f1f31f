// The statement runner, the command dispatcher and the commands it holds itself.

#include "runner.h"

#include "charts.h"
#include "commands.h"
#include "interaction_commands.h"
#include "keyed_toolbar.h"
#include "program.h"
#include "run_support.h"
#include "session.h"
#include "sql_exec.h"
#include "timing_runs.h"
#include "window_support.h"
#include "zal_master.h"
#include "zal_sql.h"

#include <QLabel>

#include <filesystem>
#include <string_view>

namespace kestle {

namespace {

constexpr const char *command_completed = "Command completed";

// Text boxes give LF line ends; the runner's marks are made from CR LF.
std::string crlf_line_ends(const std::string &text) {
    if (text.find('\n') == std::string::npos || text.find('\r') != std::string::npos)
        return text;
    return lf_to_crlf(text);
}

// "*" and "?" against a file name, as the platform's deletion by name matches.
bool wildcard_match(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// Deletes the files that name names; wildcards in the last part only. Failures are not told.
void erase_files(const std::string &name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path(name);
    const std::string pattern = path.filename().string();
    if (pattern.find_first_of("*?") == std::string::npos) {
        if (fs::is_regular_file(path, ec) || fs::is_symlink(path, ec))
            fs::remove(path, ec);
        return;
    }
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::vector<fs::path> matches;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (wildcard_match(pattern, it->path().filename().string()) && !it->is_directory(ec))
            matches.push_back(it->path());
    for (const fs::path &m : matches)
        fs::remove(m, ec);
}

void cmd_erase(Program &p) {
    if (!has_arguments(p, "do_nonsql"))
        return;
    erase_files(p.cmd.cmd_args);
    p.show_msg(show_entry, popup_no, msg_file_erased, p.cmd.cmd_args, "do_nonsql");
}

void cmd_extras(Program &p) {
    p.master().TB->set_button_visible("spatial", true);
    p.master().TB->set_button_visible("qbe", true);
}

// The end of an interactive run: "Command completed" unless a statement failed. A last message
// that went to a box, or to another window made current meanwhile, replaces "Running ..." too,
// so that it never outlasts the run. After a failure the window that shows it comes in front
// of the program's windows that cover it.
void end_run(Program &p, ZALSQL *running_on) {
    if (!p.run.cmd_error)
        p.show_msg(show_text, popup_yes, msg_none, command_completed, "runit");
    if (running_on && running_on->status_text() == p.messages.msg_text[msg_running])
        running_on->set_status_text(p.last_msg);
    if (ZALSQL *shown = p.forms.cur_sql_form; shown && p.run.cmd_error)
        bring_into_sight(*shown, *shown->ZALMSG);
}

using Handler = void (*)(Program &);

struct Keyword {
    const char *name;
    Handler run;
};

// The keyword table, in the order keywords are compared.
constexpr Keyword keywords[] = {
    {"*", [](Program &) {}},
    {"EXIT", cmd_kill},
    {"VIEW", cmd_view},
    {"EXTRAS", cmd_extras},
    {"VAR", [](Program &p) {
         if (!cmd_var(p.vars, p.cmd, p))
             p.run.cmd_error = true;
     }},
    {"CONNECT", cmd_connect},
    {"DISCONNECT", [](Program &p) { ZAL_disconnect(p); }},
    {"MSG", Menu},
    {"TABLES", cmd_tables},
    {"DESCRIBE", cmd_describe},
    {"CLEAR", cmd_clear},
    {"PROMPT", cmd_prompt},
    {"GRAPH", cmd_gph},
    {"COMPARE", cmd_compare},
    {"PLOT", cmd_plot},
    {"IF", cmd_ply},
    {"ENDIF", [](Program &p) { p.run.exec_enabled = true; }},
    {"DUMPVARS", cmd_dmp},
    {"EXPLAIN", cmd_explain},
    {"RUNSTATS", ZAL_runstats},
    {"DISPLAY", cmd_display},
    {"LOAD", [](Program &p) { p.session.sql_rc = ZAL_load(p, p.cmd.cmd_args); }},
    {"LOADSQL", cmd_sqlload},
    {"ERASE", cmd_erase},
    {"CMD", cmd_dos},
    {"ZAL", cmd_zal},
};

} // namespace

void runit(Program &p, bool interactive, const std::string &text) {
    RunState &run = p.run;
    run.cmd_error = false;
    if (trim(text).empty())
        return;
    QPointer<ZALSQL> running_on; // the status line that says "Running ..."
    if (interactive) {
        p.show_msg(show_entry, popup_no, msg_running, "", "runit");
        running_on = p.forms.cur_sql_form;
        yield_events();
    }
    Hourglass hourglass;
    const std::vector<std::string> statements = split_run_text(crlf_line_ends(text), run.run_at);

    run.exec_enabled = true;
    run.stop_run = false;
    run.cmd_error = false;
    for (const std::string &stmt : statements) {
        if (run.stop_run)
            break;
        if (!run.exec_enabled) {
            if (is_endif(stmt))
                run.exec_enabled = true;
        } else if (!stmt.empty()) {
            do_cmd(p, stmt, interactive);
        }
    }

    if (interactive)
        end_run(p, running_on);
    hide_message_window(p);
}

void do_cmd(Program &p, const std::string &stmt, bool interactive) {
    const std::string s = var_sub(p.vars, stmt);
    if (is_comment(s))
        return;
    const std::string f = expand_marks(s, true);
    if (f.starts_with('%')) {
        // A command whose quote is not closed does not run: its value is not known. Message 41
        // stays on the status line.
        if (!parsecmd(p.cmd, p, true, f)) {
            p.run.cmd_error = true;
            return;
        }
        do_nonsql(p);
        return;
    }
    p.session.sql_rc = ZAL_sql(p, s, interactive);
}

void do_nonsql(Program &p) {
    for (const Keyword &k : keywords) {
        if (p.cmd.cmd_keyword == k.name) {
            k.run(p);
            return;
        }
    }
    p.show_failure(show_entry, popup_yes, msg_invalid_keyword, p.cmd.cmd_keyword, "do_nonsql");
}

} // namespace kestle
