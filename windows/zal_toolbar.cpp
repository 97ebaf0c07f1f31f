// The tools window: its nine keys and the outside tools they start.

#include "zal_toolbar.h"

#include "keyed_toolbar.h"
#include "interaction_commands.h"
#include "launcher.h"
#include "program.h"
#include "text_codec.h"
#include "twips.h"
#include "window_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdlib>
#include <filesystem>
#include <utility>

namespace kestle {

namespace {

struct Tool {
    const char *key;
    const char *tip;
    const char *image;
    WindowStyle style; // Normal: a terminal program, run in a terminal of its own
    // A helper that hands its work on and returns at once: its end is watched, so a failure
    // after it started is told too.
    bool helper;
};

// The tools, in their order on the bar.
constexpr Tool tools[] = {
    {"clp", "ZAL Command Line Processor", "clp", WindowStyle::Normal, false},
    {"explain", "Explain a sample statement", "explain", WindowStyle::Hidden, true},
    {"terminal", "Command window with the ZAL environment", "terminal", WindowStyle::Normal, false},
    {"editor", "Edit the presentation file", "editor", WindowStyle::Hidden, true},
    {"files", "Browse the start-up directory", "files", WindowStyle::Hidden, true},
    {"monitor", "System monitor", "monitor", WindowStyle::Normal, false},
    {"home", "Open the ZAL instance directory", "home", WindowStyle::Hidden, true},
    {"browser", "Help in the web browser", "browser", WindowStyle::Hidden, true},
    {"calc", "Calculator", "calc", WindowStyle::Hidden, false},
};

constexpr const char *cannot_start = " cannot be started: ";
constexpr const char *failed = " failed: ";

// The statement the explain tool reports on. It uses the work files of the program's own
// explains; its report is then shown in the editor.
constexpr const char *explain_sample =
    "SELECT E.LAST_NAME, D.DEPT_NAME FROM EMPLOYEE E JOIN DEPARTMENT D ON D.DEPT_NO = E.DEPT_NO "
    "WHERE E.SALARY > 50000";

const Tool *find_tool(const std::string &key) {
    for (const Tool &t : tools)
        if (key == t.key)
            return &t;
    return nullptr;
}

// The product's tools lie beside the program; other programs are looked for on PATH.
std::string product_tool(const std::string &name) {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(qt(name));
    return QFileInfo(beside).isExecutable() ? bytes(beside) : name;
}

bool program_found(const std::string &program) {
    if (program.find('/') != std::string::npos)
        return QFileInfo(qt(program)).isExecutable();
    return !QStandardPaths::findExecutable(qt(program)).isEmpty();
}

// The instance directory, as the product finds it.
std::string zal_home() {
    namespace fs = std::filesystem;
    if (const char *home = std::getenv("ZAL_HOME"); home && *home)
        return home;
    if (const char *data = std::getenv("XDG_DATA_HOME"); data && *data)
        return (fs::path(data) / "zal").string();
    const char *user = std::getenv("HOME");
    return (fs::path(user && *user ? user : ".") / ".local" / "share" / "zal").string();
}

std::string current_dir() {
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

} // namespace

ZALToolbar::ZALToolbar(Program &p) : Form(p.forms.windows, "ZAL Tools", true), p_(p) {
    TB = new KeyedToolBar(this);
    TB->setIconSize(QSize(20, 20));
    for (const Tool &t : tools)
        TB->add_button(t.key, t.tip, t.image);
    TB->move(0, 0);
    TB->adjustSize();
    // The window is never smaller than its bar, whatever the frame around it takes.
    setMinimumSize(TB->size());
    connect(TB, &KeyedToolBar::button_click, this, [this](const std::string &key) {
        guarded("TB_ButtonClick", [&] { TB_ButtonClick(key); });
    });
    Form_Load();
}

// A helper still running is ended with its process, which is deleted after this part.
ZALToolbar::~ZALToolbar() { disconnect_children(*this); }

void ZALToolbar::Form_Load() {
    const int tb_height = px_to_twips(TB->sizeHint().height());
    const int tb_width = px_to_twips(TB->sizeHint().width());
    resize_twips(tb_width + 240, tb_height + 360);
}

std::string ZALToolbar::tool_program(const std::string &key) {
    if (key == "clp" || key == "terminal")
        return product_tool("zalcmd");
    if (key == "explain")
        return product_tool("zalexpln");
    if (key == "editor")
        return product_tool("notepad");
    if (key == "files" || key == "home" || key == "browser")
        return "xdg-open";
    if (key == "monitor")
        return "top";
    if (key == "calc") {
        for (const char *c : {"gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk"})
            if (program_found(c))
                return c;
        return "xcalc";
    }
    return {};
}

std::string ZALToolbar::tool_command(const std::string &key) const { return tool_command(key, tool_program(key)); }

std::string ZALToolbar::tool_command(const std::string &key, const std::string &tool) const {
    // The launcher splits at blanks and groups by double quotes.
    auto word = [](const std::string &w) { return "\"" + w + "\""; };
    const std::string program = word(tool);
    if (key == "clp")
        return program + " /i " + word(product_tool("zal"));
    if (key == "terminal") {
        const char *shell = std::getenv("SHELL");
        return program + " /i " + word(shell && *shell ? shell : "/bin/sh");
    }
    if (key == "explain")
        return program + " -d " + word(p_.settings.db_name) + " -f " + explain_input_file + " -o " + tool_output_file;
    if (key == "editor") {
        std::error_code ec;
        return program + " " + word(std::filesystem::absolute(p_.settings.ctl_file, ec).string());
    }
    if (key == "files")
        return program + " " + word(p_.settings.prog_dir);
    if (key == "home")
        return program + " " + word(zal_home());
    if (key == "browser")
        return program + " " + word("file://" + current_dir() + "/kestle.htm");
    if (key == "monitor" || key == "calc")
        return program;
    return {};
}

void ZALToolbar::TB_ButtonClick(const std::string &key) {
    const Tool *tool = find_tool(key);
    if (!tool)
        return;
    const std::string program = tool_program(key);
    std::string failure;
    if (!program_found(program)) {
        failure = program + " was not found";
    } else {
        if (key == "explain") {
            remove_file(explain_input_file);
            remove_file(tool_output_file);
            if (!write_work_file(explain_input_file, std::string(explain_sample) + ";\n")) {
                p_.message_box(cannot_write + std::string(explain_input_file));
                return;
            }
        }
        set_tool_database(p_);
        const std::string tip = tool->tip;
        const std::string command = tool_command(key, program);
        std::function<void()> succeeded;
        if (key == "explain")
            succeeded = [this, tip] { show_report(tip); };
        const bool started = tool->helper ? start_watched(command, tool->style, current_dir(), this,
                                                          on_tool_end(tip, std::move(succeeded)))
                                          : start_program(command, tool->style, current_dir());
        if (!started)
            failure = tool->style == WindowStyle::Normal && terminal_program().empty()
                          ? "no terminal emulator was found"
                          : program + " did not start";
    }
    if (!failure.empty())
        p_.message_box(std::string(tool->tip) + cannot_start + failure);
}

std::function<void(bool, const std::string &)> ZALToolbar::on_tool_end(const std::string &tip,
                                                                       std::function<void()> succeeded) {
    return [this, tip, succeeded = std::move(succeeded)](bool ok, const std::string &why) {
        guarded("tool_finished", [&] {
            if (!ok)
                p_.message_box(tip + failed + why);
            else if (succeeded)
                succeeded();
        });
    };
}

void ZALToolbar::show_report(const std::string &tip) {
    const std::string editor = tool_program("editor");
    const bool started = start_watched("\"" + editor + "\" " + tool_output_file, WindowStyle::Hidden, current_dir(),
                                       this, on_tool_end(tip));
    if (!started)
        p_.message_box(tip + cannot_start + editor + " did not start");
}

} // namespace kestle
