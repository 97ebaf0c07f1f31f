// The program object: its single windows, the message display and the window lookup by Tag.

#include "program.h"

#include "zal_findpics.h"
#include "zal_graph.h"
#include "zal_master.h"
#include "zal_messages.h"
#include "zal_perf_plot.h"
#include "zal_connect.h"
#include "zal_toolbar.h"
#include "zal_spatial.h"
#include "zal_sql.h"
#include "zal_viewers.h"
#include "zal_viewpic.h"
#include "zal_wmf.h"

namespace kestle {

Program::Program(Dialogs &d) : dialogs(d) {}

namespace {

template <class... W>
void delete_in_order(QPointer<W> &...windows) {
    (delete windows.data(), ...);
}

} // namespace

Program::~Program() {
    // The forms refer to this program: they go first. The main window takes the SQL and
    // output windows with it.
    delete_in_order(forms.wmf, forms.message_window, forms.spatial, forms.perf_plot, forms.graph, forms.viewpic,
                    forms.findpics, forms.tools, forms.connect, forms.magnify, forms.view_html, forms.view_text,
                    forms.master);
}

void Program::show_msg(int kind, long popup, int msgno, const std::string &text, const std::string &) {
    const std::string m = compose_msg(messages, kind, msgno, text);
    last_msg = m;
    if (forms.cur_sql_form)
        forms.cur_sql_form->set_status_text(m);
    else if (popup != 0)
        message_box(m);
}

void Program::show_failure(int kind, long popup, int msgno, const std::string &text, const std::string &routine) {
    run.cmd_error = true;
    show_msg(kind, popup, msgno, text, routine);
}

void Program::message_box(const std::string &text) {
    last_msg = text;
    dialogs.message(text, app_title, MessageIcon::None, MessageButtons::Ok);
}

namespace {

template <class W>
W &single(QPointer<W> &slot, Program &p) {
    if (!slot)
        slot = new W(p);
    return *slot;
}

} // namespace

ZALMaster &Program::master() { return single(forms.master, *this); }
ZALViewText &Program::view_text() { return single(forms.view_text, *this); }
ZALViewHTML &Program::view_html() { return single(forms.view_html, *this); }
ZALMagnify &Program::magnify() { return single(forms.magnify, *this); }
ZALConnect &Program::connect_dialog() { return single(forms.connect, *this); }
ZALToolbar &Program::tools() { return single(forms.tools, *this); }
ZALWMF &Program::wmf() { return single(forms.wmf, *this); }
ZALMessages &Program::message_window() { return single(forms.message_window, *this); }
ZALSpatial &Program::spatial_window() { return single(forms.spatial, *this); }
ZALGraph &Program::graph() { return single(forms.graph, *this); }
ZALPerfPlot &Program::perf_plot() { return single(forms.perf_plot, *this); }
ZALFindpics &Program::findpics() { return single(forms.findpics, *this); }
ZALViewPic &Program::viewpic() { return single(forms.viewpic, *this); }

int find_form(Program &p, int kind, int slot) {
    const std::vector<std::string> tags = p.forms.windows.tags();
    return find_form(std::span<const std::string>(tags), kind, slot);
}

Form *form_at(Program &p, int index) {
    const auto &open = p.forms.windows.open();
    return index >= 0 && static_cast<size_t>(index) < open.size() ? open[static_cast<size_t>(index)] : nullptr;
}

} // namespace kestle
