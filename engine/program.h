// The program's state: one object made of the parts the routines own, so each test can start
// from a fresh program.
#pragma once

#include "control_file.h"
#include "dialogs.h"
#include "form.h"
#include "marks.h"
#include "messages.h"
#include "notes_page.h"
#include "parser.h"
#include "pictures.h"
#include "report.h"
#include "run_text.h"
#include "session.h"
#include "settings.h"
#include "spatial_search.h"
#include "sql_exec.h"
#include "variables.h"

#include <QPointer>


namespace kestle {

class ZALMaster;
class ZALSQL;
class ZALViewText;
class ZALViewHTML;
class ZALMagnify;
class ZALConnect;
class ZALToolbar;
class ZALWMF;
class ZALMessages;
class ZALSpatial;
class ZALGraph;
class ZALPerfPlot;
class ZALFindpics;
class ZALViewPic;

// The windows: every open form, the current SQL window, and the windows that exist once.
struct Forms {
    Windows windows;
    QPointer<ZALSQL> cur_sql_form;
    int cur_sql_slot = -1;
    QPointer<ZALMaster> master;
    QPointer<ZALViewText> view_text;
    QPointer<ZALViewHTML> view_html;
    QPointer<ZALMagnify> magnify;
    QPointer<ZALConnect> connect;
    QPointer<ZALToolbar> tools;
    QPointer<ZALWMF> wmf;
    QPointer<ZALMessages> message_window;
    QPointer<ZALSpatial> spatial;
    QPointer<ZALGraph> graph;
    QPointer<ZALPerfPlot> perf_plot;
    QPointer<ZALFindpics> findpics;
    QPointer<ZALViewPic> viewpic;
};

class Program : public Reporter {
public:
    explicit Program(Dialogs &dialogs);
    ~Program() override;
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    Settings settings;
    Messages messages;
    ControlFile control;
    NotesPage notes;
    RunState run;
    ParsedCommand cmd;
    Variables vars;
    Slots sql_slots;
    Session session;
    Execution exec;
    SpatialSearch spatial;
    Forms forms;
    PictureSearch pictures;
    Dialogs &dialogs;
    BoundLibrary routines{"libkestle.so"}; // runstats
    int cur_screen = -1;
    bool perf_plotting = false;

    // The status line of the current SQL window, or a message box when there is none and
    // popup is non-zero.
    void show_msg(int kind, long popup, int msgno, const std::string &text, const std::string &routine) override;
    // show_msg for a failure: the run then ends on it, not on "Command completed".
    void show_failure(int kind, long popup, int msgno, const std::string &text, const std::string &routine);
    // A message box with the application's title, OK only, no icon.
    void message_box(const std::string &text);
    // The latest message given to show_msg or message_box, wherever it went (or was dropped).
    std::string last_msg;

    // The windows that exist once, created at their first use.
    ZALMaster &master();
    ZALViewText &view_text();
    ZALViewHTML &view_html();
    ZALMagnify &magnify();
    ZALConnect &connect_dialog();
    ZALToolbar &tools();
    ZALWMF &wmf();
    ZALMessages &message_window();
    ZALSpatial &spatial_window();
    ZALGraph &graph();
    ZALPerfPlot &perf_plot();
    ZALFindpics &findpics();
    ZALViewPic &viewpic();
};

// The index in forms.windows.open() of the newest open window whose Tag reads as kind and slot
// (slot -1: any), or -1.
int find_form(Program &p, int kind, int slot);
// The open window at an index that find_form returned.
Form *form_at(Program &p, int index);

} // namespace kestle
