// The program's start, step by step, from the splash to the tools window.

#include "startup.h"

#include "browser.h"
#include "icons.h"
#include "keyed_toolbar.h"
#include "presentation.h"
#include "program.h"
#include "run_support.h"
#include "session.h"
#include "twips.h"
#include "window_support.h"
#include "zal_master.h"
#include "zal_intro.h"
#include "zal_toolbar.h"
#include "zal_sql.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <filesystem>

namespace kestle {

void Main(Program &p, const std::string &command_line) {
    Hourglass hourglass;
    QApplication::setWindowIcon(program_icon());

    auto *intro = new ZALIntro;
    intro->show();
    intro->setFocus();
    intro->repaint();

    std::error_code ec;
    const bool extras = set_defaults(p.settings, p.vars, p.run, p.notes, std::filesystem::current_path(ec).string());
    p.cur_screen = -1;
    if (extras) {
        p.master().TB->set_button_visible("spatial", true);
        p.master().TB->set_button_visible("qbe", true);
    }
    // The table is filled before the command line is read, so a missing quote there is
    // reported with its text.
    set_messages(p.messages);
    readargs(p.settings, p.vars, p.cmd, p, command_line);
    apply_window_font(p);
    readops(p, p.settings.ctl_file);
    intro->repaint();

    ZAL_connect(p, p.settings.db_name, p.settings.db_user, p.settings.db_password);
    intro->repaint();

    p.run.run_on = true;
    p.exec.run_count = 0;
    intro->close();

    ZALMaster &master = p.master();
    master.show();
    master.fit_notes_pane();

    ZALSQL *sql = master.open_sql_window(true, false);
    master.show();

    showhelp(p, app_title, p.control.record(1).info, kind_section);
    master.TB->repaint();
    master.Queries->repaint();

    ZALToolbar &tools = p.tools();
    tools.show_form();
    tools.move_twips(px_to_twips(master.width()) - px_to_twips(master.CoolBar1->width()) - tools.width_twips() - 160,
                     0);
    tools.frame()->setVisible(true);

    if (sql) {
        sql->show_form();
        master.activateWindow();
        if (auto *sub = qobject_cast<QMdiSubWindow *>(sql->frame()))
            master.mdi->setActiveSubWindow(sub);
        sql->SQLCommand->setFocus();
    }
    // The SQL window, active now, may reach under the tools window: the tools stay in front.
    tools.frame()->raise();
}

} // namespace kestle
