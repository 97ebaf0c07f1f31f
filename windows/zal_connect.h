// The connection dialog.
#pragma once

#include "form.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestle {

class Program;

class ZALConnect : public Form {
    Q_OBJECT
public:
    explicit ZALConnect(Program &p);
    QLabel *Label1; // "Database"
    QLineEdit *DBName;
    QLabel *Label2; // "Userid"
    QLineEdit *UIDName;
    QLabel *Label3; // "Password"
    QLineEdit *Pswd;
    QPushButton *DoConnect; // "Connect"
    QPushButton *Killit;    // "Cancel"

    void Form_Load();
    void DoConnect_Click();
    void Killit_Click();

protected:
    void form_unload() override;
    void fit_to_font() override;
    void keyPressEvent(QKeyEvent *event) override; // Escape cancels

private:
    Program &p_;
};

} // namespace kestle
