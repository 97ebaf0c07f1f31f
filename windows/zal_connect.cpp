// The connection dialog: its controls and its two buttons.

#include "zal_connect.h"

#include "program.h"
#include "session.h"
#include "text_codec.h"
#include "window_support.h"
#include "zal_sql.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kestle {

ZALConnect::ZALConnect(Program &p) : Form(p.forms.windows, "Connect", true), p_(p) {
    auto row = [this](QLabel *&label, const char *caption, QLineEdit *&box, int top) {
        label = new QLabel(caption, this);
        place_twips(label, 240, top + 30, 1200, 285);
        box = new QLineEdit(this);
        place_twips(box, 1500, top, 2520, 315);
    };
    row(Label1, "Database", DBName, 240);
    row(Label2, "Userid", UIDName, 720);
    row(Label3, "Password", Pswd, 1200);
    Pswd->setEchoMode(QLineEdit::Password);
    Pswd->setStyleSheet("lineedit-password-character: 42");
    DoConnect = new QPushButton("Connect", this);
    place_twips(DoConnect, 1500, 1800, 1155, 375);
    DoConnect->setDefault(true);
    Killit = new QPushButton("Cancel", this);
    place_twips(Killit, 2865, 1800, 1155, 375);
    connect(DoConnect, &QPushButton::clicked, this,
            [this] { guarded("DoConnect_Click", [&] { DoConnect_Click(); }); });
    connect(Killit, &QPushButton::clicked, this,
            [this] { guarded("Killit_Click", [&] { Killit_Click(); }); });
    connect(DBName, &QLineEdit::returnPressed, DoConnect, &QPushButton::click);
    connect(UIDName, &QLineEdit::returnPressed, DoConnect, &QPushButton::click);
    connect(Pswd, &QLineEdit::returnPressed, DoConnect, &QPushButton::click);
    resize_twips(4500, 2900);
    frame()->setFixedSize(frame()->size());
    Form_Load();
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
