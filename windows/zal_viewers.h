// The text viewer, the HTML viewer and the enlarged-statement window.
#pragma once

#include "form.h"

#include <string>

class QPlainTextEdit;

namespace kestle {

class Browser;
class CloseLabel;
class Program;

class ZALViewText : public Form {
    Q_OBJECT
public:
    explicit ZALViewText(Program &p);
    QPlainTextEdit *Textin;
    CloseLabel *CloseSQL; // hides the viewer
    std::string text() const; // CR LF line breaks
    void set_text(const std::string &text);
};

class ZALViewHTML : public Form {
    Q_OBJECT
public:
    explicit ZALViewHTML(Program &p);
    Browser *Web;
    CloseLabel *CloseSQL; // unloads the viewer

protected:
    void form_unload() override;

private:
    Program &p_;
};

class ZALMagnify : public Form {
    Q_OBJECT
public:
    explicit ZALMagnify(Program &p);
    QPlainTextEdit *SQLText;
    CloseLabel *CloseSQL; // hides the window
    std::string text() const;
    void set_text(const std::string &text);
};

// The HTML viewer on a help page of the current directory, shown in front with the focus.
void show_help_page(Program &p, const std::string &page);

} // namespace kestle
