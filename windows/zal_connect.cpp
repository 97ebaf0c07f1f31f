// The connection dialog: its controls and its two buttons.

#include "zal_connect.h"

#include "program.h"
#include "session.h"
#include "text_codec.h"
#include "twips.h"
#include "window_support.h"
#include "zal_sql.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace kestle {

ZALConnect::ZALConnect(Program &p) : Form(p.forms.windows, "Connect", true), p_(p) {
    auto row = [this](QLabel *&label, const char *caption, QLineEdit *&box) {
        label = new QLabel(caption, this);
        box = new QLineEdit(this);
    };
    row(Label1, "Database", DBName);
    row(Label2, "Userid", UIDName);
    row(Label3, "Password", Pswd);
    Pswd->setEchoMode(QLineEdit::Password);
    Pswd->setStyleSheet("lineedit-password-character: 42");
    DoConnect = new QPushButton("Connect", this);
    DoConnect->setDefault(true);
    Killit = new QPushButton("Cancel", this);
    connect(DoConnect, &QPushButton::clicked, this,
            [this] { guarded("DoConnect_Click", [&] { DoConnect_Click(); }); });
    connect(Killit, &QPushButton::clicked, this,
            [this] { guarded("Killit_Click", [&] { Killit_Click(); }); });
    connect(DBName, &QLineEdit::returnPressed, DoConnect, &QPushButton::click);
    connect(UIDName, &QLineEdit::returnPressed, DoConnect, &QPushButton::click);
    connect(Pswd, &QLineEdit::returnPressed, DoConnect, &QPushButton::click);
    fit_to_font();
    Form_Load();
}

void ZALConnect::fit_to_font() {
    // The style sheet that draws the password's "*" keeps the box at the font it had then.
    Pswd->setFont(font());
    // The design, in twips: three rows of a label and a box, then the two buttons; widened and
    // spaced out where the font needs more room, and the window grows by as much.
    constexpr int margin = 240, label_design = 1200, gap = 60, box_width = 2520, box_design = 315;
    constexpr int row_gap = 165, buttons_gap = 120, button_gap = 210;
    constexpr int design_width = 4500, design_height = 2900, design_right = 4020, design_bottom = 2175;
    int label_width = label_design;
    for (const QLabel *l : {Label1, Label2, Label3})
        label_width = std::max(label_width, px_to_twips(l->sizeHint().width()));
    const int box_left = margin + label_width + gap;
    const int box_height = std::max(box_design, px_to_twips(DBName->sizeHint().height()));
    const QSize button = DoConnect->sizeHint().expandedTo(Killit->sizeHint());
    const int button_width = std::max(1155, px_to_twips(button.width()));
    const int button_height = std::max(375, px_to_twips(button.height()));
    int top = margin;
    for (const auto &[label, box] : {std::pair(Label1, DBName), std::pair(Label2, UIDName), std::pair(Label3, Pswd)}) {
        // level with the foot of its box
        const int label_height = std::max(285, px_to_twips(label->sizeHint().height()));
        place_twips(label, margin, top + box_height - label_height, label_width, label_height);
        place_twips(box, box_left, top, box_width, box_height);
        top += box_height + row_gap;
    }
    top += buttons_gap;
    place_twips(DoConnect, box_left, top, button_width, button_height);
    place_twips(Killit, box_left + button_width + button_gap, top, button_width, button_height);
    const int right = box_left + std::max(box_width, 2 * button_width + button_gap);
    frame()->setMinimumSize(0, 0);
    frame()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize_twips(design_width + right - design_right, design_height + top + button_height - design_bottom);
    frame()->setFixedSize(frame()->size());
    fit_in_client_area();
}

void ZALConnect::Form_Load() {
    DBName->setText(qt(p_.settings.db_name));
    UIDName->setText(qt(p_.settings.db_user));
    Pswd->setText(qt(p_.settings.db_password));
}

void ZALConnect::DoConnect_Click() {
    Settings &s = p_.settings;
    p_.session.sql_rc = 0;
    s.db_name = trim(bytes(DBName->text()));
    s.db_user = trim(bytes(UIDName->text()));
    s.db_password = trim(bytes(Pswd->text()));
    ZAL_disconnect(p_);
    // A failure is reported on the SQL window's status line, which this dialog covers: the
    // database's message is told in a box in front of it as well.
    ZALSQL *sql = p_.forms.cur_sql_form;
    if (sql)
        sql->set_status_text("");
    if (ZAL_connect(p_, s.db_name, s.db_user, s.db_password) == 0) {
        unload();
        return;
    }
    if (sql && p_.forms.cur_sql_form == sql && !sql->status_text().empty())
        p_.dialogs.message(sql->status_text(), bytes(windowTitle()), MessageIcon::Exclamation, MessageButtons::Ok);
}

void ZALConnect::Killit_Click() { unload(); }

void ZALConnect::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape)
        Killit->click();
    else
        Form::keyPressEvent(event);
}

void ZALConnect::form_unload() {
    // Loading it again fills the boxes from the settings of that moment.
    if (p_.forms.connect == this)
        p_.forms.connect = nullptr;
}

} // namespace kestle
