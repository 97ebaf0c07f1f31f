// The text viewer, the HTML viewer and the enlarged-statement window.
#pragma once

#include "form.h"
#include "text_box.h"

#include <string>

namespace kestle {

class Browser;
class CloseLabel;
class Program;

// A window that shows a text in a monospaced box, with CR LF line breaks in and out, and a
// boxed cross at its top left that hides it.
class TextWindow : public Form {
    Q_OBJECT
public:
    std::string text() const;
    void set_text(const std::string &text);

protected:
    TextWindow(Program &p, const char *caption, double points, int close_top);
    // The box's size is its design size at the built-in FONTSIZE, and grows with the windows' font.
    void fit_to_font() override;
    TextBox *const box;
    const double points;

public:
    CloseLabel *const CloseSQL;
};

class ZALViewText : public TextWindow {
    Q_OBJECT
public:
    explicit ZALViewText(Program &p);
    TextBox *const Textin = box;
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

class ZALMagnify : public TextWindow {
    Q_OBJECT
public:
    explicit ZALMagnify(Program &p);
    TextBox *const SQLText = box;
};

// The HTML viewer on a help page of the current directory, shown in front with the focus.
void show_help_page(Program &p, const std::string &page);

} // namespace kestle
