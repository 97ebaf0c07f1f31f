// An SQL window: its controls, toolbar keys, status line and help frame.

#include "zal_sql.h"

#include "browser.h"
#include "close_label.h"
#include "interaction_commands.h"
#include "keyed_toolbar.h"
#include "program.h"
#include "runner.h"
#include "shown_text.h"
#include "text_box.h"
#include "text_codec.h"
#include "timing_runs.h"
#include "twips.h"
#include "window_support.h"
#include "zal_viewers.h"

#include <QClipboard>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>

#include <algorithm>

namespace kestle {

namespace {

constexpr const char *caption = "SQL Commands";

} // namespace

ZALSQL::ZALSQL(Program &p) : Form(p.forms.windows, caption, true), p_(p) {
    TB = new KeyedToolBar(this);
    TB->add_button("return", "Close window", "return");
    TB->add_button("run", "Execute SQL", "run");
    TB->add_button("runat", "Run SQL with @ delimiter", "runat");
    TB->add_button("paste", "", "paste");
    TB->add_button("recall", "Get previous command (5)", "recall");
    TB->add_button("explain", "Show textual explain of SQL", "explain");
    TB->add_button("plotperf", "", "plot");
    TB->add_button("magnify", "Magnify the SQL Code", "magnify");
    TB->add_button("trash", "", "trash");
    TB->add_button("info", "", "info");
    place_twips(TB, 0, 0, 7470, 360);

    SQLCommand = new TextBox(this);
    SQLCommand->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place_twips(SQLCommand, 60, 400, 7470, 2535);

    ZALMSG = new QLabel(this);
    ZALMSG->setWordWrap(true);
    ZALMSG->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ZALMSG->setTextFormat(Qt::PlainText);
    place_twips(ZALMSG, 60, 3000, 7470, 735);

    HTMLFrame = new QFrame(this);
    HTMLFrame->setFrameShape(QFrame::Box);
    // Below the toolbar, level with the statement box, so the keys stay in reach while it is open.
    place_twips(HTMLFrame, 1800, 400, 4815, 3135);
    HTML = new Browser(HTMLFrame);
    place_twips(HTML, 240, 120, 4455, 2895);
    CloseHTML = new CloseLabel(HTMLFrame);
    CloseHTML->set_caption(" ");
    place_twips(CloseHTML, 0, 120, 255, 255);
    HTMLFrame->hide();

    connect(TB, &KeyedToolBar::button_click, this, [this](const std::string &key) {
        guarded("TB_ButtonClick", [&] { TB_ButtonClick(key); });
    });
    connect(CloseHTML, &CloseLabel::clicked, this,
            [this] { guarded("CloseHTML_Click", [&] { CloseHTML_Click(); }); });

    set_minimum_twips(3000, 3000);
    Form_Load();
}

void ZALSQL::Form_Load() {
    resize_twips(7470, 4170);
    set_widget_font(SQLCommand, program_font(p_));
}

std::string ZALSQL::command_text() const { return crlf_text(SQLCommand->text()); }

void ZALSQL::set_command_text(const std::string &text) { SQLCommand->set_text(box_text(text)); }

std::string ZALSQL::status_text() const { return crlf_text(ZALMSG->text()); }

void ZALSQL::set_status_text(const std::string &text) {
    ZALMSG->setText(shown_text(box_text(text)));
    // Most messages are one line: the layout stays as it is.
    if (status_height(ZALMSG->width()) != ZALMSG->height())
        make_room_for_status();
}

int ZALSQL::status_height(int width) const { return std::max(twips_to_px(735), ZALMSG->heightForWidth(width)); }

void ZALSQL::make_room_for_status() {
    if (frame()->isMinimized())
        return;
    const int room = twips_to_px(height_twips() - 960) - status_height(twips_to_px(width_twips() - 240));
    const int least = 2 * SQLCommand->fontMetrics().lineSpacing() + 2 * SQLCommand->frameWidth();
    if (room < least) {
        frame()->resize(frame()->width(), frame()->height() + least - room);
        fit_in_client_area();
    }
    lay_out(*this, 3000, [this](int w, int h) { place_controls(w, h); });
}

void ZALSQL::fit_to_font() { make_room_for_status(); }

void ZALSQL::Form_Activate() {
    if (tag_parsed)
        return;
    std::string kind;
    split_fields(tag, kind, my_slot);
    tag_parsed = true;
}

void ZALSQL::CloseHTML_Click() { HTMLFrame->hide(); }

void ZALSQL::TB_ButtonClick(const std::string &key) {
    setFocus();
    Form_Activate(); // the focus activates the window
    const std::string t = command_text();
    if (key == "return") {
        unload();
    } else if (key == "recall") {
        set_command_text(sql_history_back(p_.sql_slots, my_slot));
    } else if (key == "trash") {
        SQLCommand->set_text({});
    } else if (key == "paste") {
        const QClipboard *clipboard = QGuiApplication::clipboard();
        SQLCommand->set_text(clipboard ? clipboard->text() : QString());
    } else if (key == "run" || key == "runat") {
        p_.run.run_at = key == "runat";
        sql_history_push(p_.sql_slots, my_slot, t);
        p_.forms.cur_sql_form = this;
        p_.forms.cur_sql_slot = my_slot;
        // The run yields to the event loop: this window may be closed before it returns, so
        // nothing of the window is used after it.
        runit(p_, true, t);
    } else if (key == "plotperf") {
        if (!t.empty())
            runlots(p_, pen_red, 20, "Plotting SQL Performance", t);
    } else if (key == "explain") {
        ZAL_explain(p_, t);
    } else if (key == "info") {
        CloseHTML->set_caption("x");
        HTML->navigate("file://" + p_.settings.prog_dir + "/zalhelp.htm");
        HTMLFrame->show();
        HTMLFrame->raise();
    } else if (key == "magnify") {
        ZALMagnify &m = p_.magnify();
        m.set_text(t);
        m.show_form();
    }
}

void ZALSQL::form_unload() {
    Program &p = p_;
    // A window closed before its first activation has still its slot in the Tag.
    Form_Activate();
    p.forms.cur_sql_form = nullptr;
    if (Form *out = form_at(p, find_form(p, window_output, my_slot)))
        out->unload();
    if (auto *next = dynamic_cast<ZALSQL *>(form_at(p, find_form(p, window_sql, -1)))) {
        next->Form_Activate();
        p.forms.cur_sql_form = next;
        p.forms.cur_sql_slot = next->my_slot;
    } else {
        p.forms.cur_sql_slot = -1;
    }
    sql_slot_free(p.sql_slots, my_slot);
}

void ZALSQL::resizeEvent(QResizeEvent *event) {
    Form::resizeEvent(event);
    lay_out(*this, 3000, [this](int w, int h) { place_controls(w, h); });
}

void ZALSQL::place_controls(int w, int h) {
    const QRect cmd = SQLCommand->geometry();
    const int width = twips_to_px(w - 240);
    const int msg_h = status_height(width);
    const int cmd_h = std::max(twips_to_px(h - 960) - msg_h, 0);
    SQLCommand->setGeometry(cmd.x(), cmd.y(), width, cmd_h);
    ZALMSG->setGeometry(ZALMSG->x(), cmd.y() + cmd_h + twips_to_px(100), width, msg_h);
    TB->resize(this->width(), TB->height()); // along the top of the window's inside
}

bool ZALSQL::event(QEvent *event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)
        Form_Activate();
    return Form::event(event);
}

} // namespace kestle
