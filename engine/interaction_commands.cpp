// DISPLAY, MSG, PROMPT and DUMPVARS, which ask or tell the presenter; CMD, ZAL and EXPLAIN,
// which write a work file and start a tool on it; and the explain routine with its wait.
#include "interaction_commands.h"

#include "commands.h"
#include "explain_report.h"
#include "grid.h"
#include "program.h"
#include "run_support.h"
#include "twips.h"
#include "window_support.h"
#include "zal_messages.h"
#include "zal_output.h"
#include "zal_viewers.h"

#include <QFontMetrics>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace kestle {

namespace {

namespace fs = std::filesystem;

constexpr const char *zal_tool = "zalcmd";
constexpr const char *explain_tool = "zalexpln";
constexpr const char *cannot_start = " cannot be started";
constexpr const char *no_plan = "No cost and plan in ";

std::uintmax_t file_length(const char *name) {
    std::error_code ec;
    const std::uintmax_t n = fs::file_size(name, ec);
    return ec ? 0 : n;
}

// One step of the explain wait: 50 ms asleep, then the event loop, so that the windows stay
// alive. False, without waiting, once the deadline has passed.
bool wait_step(double deadline) {
    if (clock_seconds() >= deadline)
        return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    yield_events();
    return true;
}

// Waits until the report has appeared and five polls in a row have found it the same
// non-zero length as the poll before them. False when the time limit passes first.
bool wait_for_report(const char *file) {
    const double deadline = clock_seconds() + explain_wait_seconds;
    while (file_length(file) == 0)
        if (!wait_step(deadline))
            return false;
    std::uintmax_t last = 0;
    int same = 0;
    while (last == 0 || same < 5) {
        if (!wait_step(deadline))
            return false;
        const std::uintmax_t length = file_length(file);
        if (length == last && length != 0) {
            ++same;
        } else {
            last = length;
            same = 0;
        }
    }
    return true;
}

// The quoted strings of a command from the first-th on, each followed by after.
std::string joined_quoted(const ParsedCommand &c, int first, const char *after) {
    std::string text;
    for (int i = first; i <= c.quoted_count; ++i)
        text += c.quoted[static_cast<std::size_t>(i)] + after;
    return text;
}

} // namespace

void remove_file(const char *name) {
    std::error_code ec;
    fs::remove(name, ec);
}

std::string zal_command_line(const std::string &opts, const std::string &script) {
    return std::string(zal_tool) + " /i /w /c zal " + opts + " -tvf " + script + " -o- -z " + tool_output_file;
}

std::string explain_command_line(const std::string &database) {
    return std::string(explain_tool) + " -t -d " + database + "  -z ; -o " + tool_output_file + " -g -f " +
           explain_input_file;
}

void set_tool_database(const Program &p) { setenv("ZAL_DATABASE", p.settings.db_name.c_str(), 1); }

bool start_tool(Program &p, const std::string &command_line, WindowStyle style) {
    set_tool_database(p);
    return start_program(command_line, style);
}

void cmd_display(Program &p) {
    ZALMessages &w = p.message_window();
    w.set_message(p.cmd.cmd_args);
    show_in_front(w);
    // The script goes on without yielding, so the window is painted now.
    w.frame()->repaint();
}

void hide_message_window(Program &p) {
    if (p.forms.message_window)
        p.forms.message_window->frame()->hide();
}

void Menu(Program &p) {
    if (!has_arguments(p, "Menu"))
        return;
    std::string title = "ZAL Demo", text;
    if (!read_options(p, "Menu", {{"TEXT", text}, {"TITLE", title}}))
        return;
    if (p.dialogs.message(text, title, MessageIcon::Exclamation, MessageButtons::OkCancel) != Answer::Ok)
        p.run.stop_run = true;
}

void cmd_prompt(Program &p) {
    if (!has_arguments(p, "cmd_prompt"))
        return;
    std::string title = "Prompt", text, initial, var;
    const bool known =
        read_options(p, "cmd_prompt", {{"TITLE", title}, {"TEXT", text}, {"DEFAULT", initial}, {"VAR", var}});
    if (!known || text.empty() || var.empty())
        return;
    const std::string answer = p.dialogs.input(text, title, initial).value_or("");
    p.show_msg(show_entry, popup_no, msg_command_executed, "", "cmd_prompt");
    if (answer.empty())
        p.run.stop_run = true;
    else
        var_add(p.vars, var, answer);
}

void cmd_dmp(Program &p) {
    auto *out = new ZALOutput(p);
    out->set_caption("ZALDEMO variables");
    Grid &grid = *out->DataValues;
    grid.set_grid_visible(false);
    grid.set_cols(2);
    grid.set_rows(1);
    grid.set_text_matrix(0, 0, "Variable");
    grid.set_text_matrix(0, 1, "Value");
    const QFontMetrics metrics(out->font());
    const int widths[] = {14, 50};
    for (int col = 0; col < 2; ++col) {
        grid.set_col_alignment(col, align_left_centre);
        grid.set_col_width(col, px_to_twips(metrics.horizontalAdvance(QString(widths[col], '%'))));
    }
    const Variables &v = p.vars;
    for (int i = 1; i <= v.var_count; ++i) {
        grid.set_rows(i + 1);
        grid.set_text_matrix(i, 0, v.vars[static_cast<std::size_t>(i)].name);
        grid.set_text_matrix(i, 1, trim(v.vars[static_cast<std::size_t>(i)].value));
    }
    grid.set_grid_visible(true);
    out->show_form();
    p.show_msg(show_entry, popup_no, msg_command_executed, "", "cmd_dmp");
}

void cmd_dos(Program &p) {
    ParsedCommand &c = p.cmd;
    parsestring(c, c.cmd_args);
    if (c.quoted[1].empty()) {
        if (start_tool(p, "cmd", WindowStyle::Normal))
            p.show_msg(show_entry, popup_yes, msg_command_executed, "", "cmd_dos");
        else
            p.show_failure(show_entry, popup_yes, msg_cmd_failed, "", "cmd_dos");
        return;
    }
    const std::string lines = joined_quoted(c, 1, "\n");
    if (write_work_file(batch_file, lines) && start_tool(p, batch_file, WindowStyle::Minimized))
        p.show_msg(show_entry, popup_no, msg_command_executed, "", "cmd_dos");
    else
        p.show_failure(show_entry, popup_yes, msg_cmd_failed, "", "cmd_dos");
}

void cmd_zal(Program &p) {
    if (!has_arguments(p, "cmd_zal"))
        return;
    remove_file(zal_script_file);
    remove_file(tool_output_file);
    ParsedCommand &c = p.cmd;
    std::string script = zal_script_file, opts;
    int first = 1;
    bool named = false;
    read_options(p, "cmd_zal", [&](const std::string &key, const std::string &value) {
        if (key == "FILE") {
            script = value;
            named = true;
        } else if (key == "OPTS") {
            opts = value;
            first = 2; // the OPTS value is the first quoted string
        }
        return true;
    });
    if (!named) {
        parsestring(c, c.cmd_args);
        std::string text = joined_quoted(c, first, ";\n");
        text += std::string("!notepad ") + tool_output_file + ";\n";
        if (!write_work_file(script, text)) {
            p.show_failure(show_text, popup_yes, msg_none, cannot_write + script, "cmd_zal");
            return;
        }
    }
    if (!start_tool(p, zal_command_line(opts, script), WindowStyle::Hidden)) {
        p.show_failure(show_text, popup_yes, msg_none, zal_tool + std::string(cannot_start), "cmd_zal");
        return;
    }
    p.show_msg(show_entry, popup_no, msg_command_executed, "", "cmd_zal");
}

void cmd_explain(Program &p) {
    ParsedCommand &c = p.cmd;
    parsestring(c, c.cmd_args);
    if (c.quoted[1].empty()) {
        no_arguments(p, "cmd_explain");
        return;
    }
    // Past the tenth quoted string nothing is read: only the first plan is shown in any case.
    const std::string joined = joined_quoted(c, 1, ";");
    if (ZAL_explain(p, joined))
        p.show_msg(show_entry, popup_no, msg_command_executed, "", "cmd_explain");
}

bool ZAL_explain(Program &p, const std::string &stmt) {
    const std::string s = expand_marks(stmt, true);
    if (s.empty())
        return true;
    remove_file(explain_input_file);
    remove_file(tool_output_file);
    std::string failure;
    if (!write_work_file(explain_input_file, s + "\n")) {
        failure = cannot_write + std::string(explain_input_file);
    } else {
        Hourglass hourglass;
        if (!start_tool(p, explain_command_line(p.settings.db_name), WindowStyle::Minimized))
            failure = explain_tool + std::string(cannot_start);
        else if (!wait_for_report(tool_output_file))
            failure = "No report from " + std::string(explain_tool) + " within " +
                      std::to_string(explain_wait_seconds) + " seconds";
    }
    const std::optional<std::string> view = failure.empty() ? explain_view(tool_output_file) : std::nullopt;
    if (failure.empty() && !view) {
        // A statement that cannot be explained has the database's message in its place.
        failure = explain_message(tool_output_file);
        if (failure.empty())
            failure = no_plan + std::string(tool_output_file);
    }
    if (!failure.empty()) {
        p.show_failure(show_text, popup_yes, msg_none, failure, "ZAL_explain");
        return false;
    }
    ZALViewText &viewer = p.view_text();
    viewer.set_text(*view);
    viewer.show_form();
    viewer.activateWindow();
    viewer.setFocus();
    return true;
}

} // namespace kestle
