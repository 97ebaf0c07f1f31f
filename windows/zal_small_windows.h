// The splash window, the connection dialog and the tools window.
#pragma once

#include "form.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestle {

class KeyedToolBar;
class Program;

// Shown while the program starts; it has no behaviour of its own.
class ZALIntro : public QWidget {
    Q_OBJECT
public:
    ZALIntro();

protected:
    void paintEvent(QPaintEvent *) override;
};

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

private:
    Program &p_;
};

// Nine buttons, each starting one outside tool without waiting for it.
class ZALToolbar : public Form {
    Q_OBJECT
public:
    explicit ZALToolbar(Program &p);
    KeyedToolBar *TB;
    void Form_Load();
    void TB_ButtonClick(const std::string &key);
    // The command line a key starts ("" for a key that names no tool).
    std::string tool_command(const std::string &key) const;
    // The program a key's tool needs: a path beside the program, or a name looked for on PATH.
    static std::string tool_program(const std::string &key);

private:
    Program &p_;
};

} // namespace kestle
