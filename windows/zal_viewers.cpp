// The text viewer, the HTML viewer, the enlarged-statement window and the help page.

#include "zal_viewers.h"

#include "browser.h"
#include "close_label.h"
#include "program.h"
#include "text_box.h"
#include "text_codec.h"
#include "twips.h"
#include "window_support.h"

#include <filesystem>

namespace kestle {

namespace {

TextBox *text_box(QWidget *parent) {
    auto *box = new TextBox(parent);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return box;
}

// The boxed cross of a viewer: it hides the viewer, or with `unload` closes it for good.
CloseLabel *close_label(Form *form, int left, int top, bool unload) {
    auto *label = new CloseLabel(form);
    place_twips(label, left, top, 255, 255);
    QObject::connect(label, &CloseLabel::clicked, form, [form, unload] {
        guarded("CloseLabel_Click", [&] {
            if (unload)
                form->unload();
            else
                form->hide_form();
        });
    });
    return label;
}

} // namespace

TextWindow::TextWindow(Program &p, const char *caption, double points, int close_top)
    : Form(p.forms.windows, caption, true), box(text_box(this)), points(points),
      CloseSQL(close_label(this, 30, close_top, false)) {
    open_as_viewer();
    fit_to_font();
}

void TextWindow::fit_to_font() {
    QFont f("Lucida Console");
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(points * font().pointSizeF() / built_in_text_points);
    box->setFont(f);
}

std::string TextWindow::text() const { return crlf_text(box->text()); }

void TextWindow::set_text(const std::string &text) { box->set_text(box_text(text)); }

ZALViewText::ZALViewText(Program &p) : TextWindow(p, "Text Viewer", 9.75, 30) {
    place_twips(Textin, 300, 60, 8055, 5175);
    keep_inside(Textin);
    resize_twips(8700, 5800);
}

ZALViewHTML::ZALViewHTML(Program &p) : Form(p.forms.windows, "ZALDemo Help", true), p_(p) {
    Web = new Browser(this);
    place_twips(Web, 240, 60, 10875, 7095);
    keep_inside(Web);
    CloseSQL = close_label(this, 30, 30, true);
    open_as_viewer();
    resize_twips(11400, 7700);
    // Form_Load
    move_twips(100, 1000);
}

void ZALViewHTML::form_unload() {
    // The next help request creates the viewer afresh.
    if (p_.forms.view_html == this)
        p_.forms.view_html = nullptr;
}

ZALMagnify::ZALMagnify(Program &p) : TextWindow(p, "SQL Info", 14.25, 120) {
    place_twips(SQLText, 240, 120, 11895, 7575);
    keep_inside(SQLText);
    resize_twips(12400, 8200);
}

void show_help_page(Program &p, const std::string &page) {
    ZALViewHTML &help = p.view_html();
    std::error_code ec;
    help.Web->navigate("file://" + std::filesystem::current_path(ec).string() + "/" + page);
    show_in_front(help);
    help.activateWindow();
    help.setFocus();
}

} // namespace kestle
