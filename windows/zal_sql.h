// An SQL window: the statement box, its toolbar, the status line and the help frame.
#pragma once

#include "form.h"
#include "text_box.h"

#include <string>

class QFrame;
class QLabel;

namespace kestle {

class Browser;
class CloseLabel;
class KeyedToolBar;
class Program;

class ZALSQL : public Form {
    Q_OBJECT
public:
    explicit ZALSQL(Program &p);

    KeyedToolBar *TB; // "return", "run", "runat", "paste", "recall", "explain", "plotperf", "magnify", "trash", "info"
    TextBox *SQLCommand;
    QLabel *ZALMSG;   // the status line
    QFrame *HTMLFrame;
    Browser *HTML;
    CloseLabel *CloseHTML;

    int my_slot = 0;
    bool tag_parsed = false;

    // The statement box's text with CR LF line breaks, as the engine keeps text.
    std::string command_text() const;
    void set_command_text(const std::string &text);
    std::string status_text() const;
    void set_status_text(const std::string &text);

    void Form_Load();
    void TB_ButtonClick(const std::string &key);
    void Form_Activate();
    void CloseHTML_Click();

protected:
    void form_unload() override;
    void fit_to_font() override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    // The status line is as high as its whole text needs, at least its design height, and the
    // statement box takes the rest of the window (width and height in twips).
    void place_controls(int w, int h);
    int status_height(int width) const;
    // A message that would leave the statement box less than two lines makes the window taller.
    void make_room_for_status();

    Program &p_;
};

} // namespace kestle
