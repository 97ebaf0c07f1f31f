#include "window_support.h"

#include "close_label.h"
#include "form.h"
#include "marks.h"
#include "palette.h"
#include "picture_box.h"
#include "program.h"
#include "text_codec.h"
#include "twips.h"
#include "zal_master.h"

#include <QFrame>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QtGlobal>

#include <algorithm>

namespace kestle {

void log_escaped(const char *handler, const char *what) noexcept {
    qWarning("%s: %s", handler, what);
}

void disconnect_children(QObject &window) {
    for (QObject *child : window.findChildren<QObject *>())
        QObject::disconnect(child, nullptr, &window, nullptr);
}

void show_in_front(Form &f) {
    f.show_form();
    f.frame()->raise();
}

void bring_into_sight(Form &f, const QWidget &control) {
    QMdiArea *area = f.windows().mdi;
    auto *frame = qobject_cast<QMdiSubWindow *>(f.frame());
    if (!area || !frame) {
        f.frame()->raise();
        return;
    }
    // It rises only as far as just above the highest window over the control.
    const QList<QMdiSubWindow *> order = area->subWindowList(QMdiArea::StackingOrder); // topmost last
    const QRect shown(control.mapTo(area->viewport(), QPoint(0, 0)), control.size());
    const qsizetype at = order.indexOf(frame);
    qsizetype highest = at;
    for (qsizetype i = at + 1; at >= 0 && i < order.size(); ++i)
        if (order[i]->isVisible() && order[i]->geometry().intersects(shown))
            highest = i;
    if (highest == at)
        return; // nothing covers it
    if (highest + 1 < order.size())
        frame->stackUnder(order[highest + 1]);
    else
        frame->raise();
}

void place_twips(QWidget *w, int left, int top, int width, int height) {
    w->setGeometry(twips_to_px(left), twips_to_px(top), twips_to_px(width), twips_to_px(height));
}

void lay_out(Form &f, int least, const std::function<void(int width, int height)> &place) {
    if (f.frame()->isMinimized())
        return;
    int w = f.width_twips();
    int h = f.height_twips();
    if (w < least || h < least) {
        w = std::max(w, least);
        h = std::max(h, least);
        f.resize_twips(w, h);
    }
    place(w, h);
}

SqlPanel make_sql_panel(QWidget *parent, const char *font_family, int left, int top, int width, int height) {
    SqlPanel panel;
    panel.frame = new QFrame(parent);
    panel.frame->setFrameShape(QFrame::Box);
    panel.frame->setAutoFillBackground(true);
    place_twips(panel.frame, left, top, width, height);
    panel.text = new QPlainTextEdit(panel.frame);
    QFont fixed(font_family);
    fixed.setStyleHint(QFont::Monospace);
    panel.text->setFont(fixed);
    panel.text->setLineWrapMode(QPlainTextEdit::NoWrap);
    place_twips(panel.text, 300, 60, width - 360, height - 120);
    panel.close = new CloseLabel(panel.frame);
    place_twips(panel.close, 30, 30, 255, 255);
    panel.frame->hide();
    return panel;
}

void show_sql_panel(QFrame *frame, QPlainTextEdit *text, const std::string &statement) {
    if (statement.empty())
        return;
    text->setPlainText(box_text(expand_marks(statement, false)));
    frame->show();
    frame->raise();
}

Rgb set_palette_cell(PictureBox &cell, int index) {
    cell.tag = palette_tag(index);
    const Rgb colour = tag_colour(cell.tag);
    cell.set_back_colour(QColor(colour.red, colour.green, colour.blue));
    return colour;
}

FontChoice program_font(const Program &p) {
    return {var_sub(p.vars, "[font]"), lenient_number(var_sub(p.vars, "[fontsize]"))};
}

QFont window_font(const Program &p) {
    const FontChoice f = program_font(p);
    QFont font(qt(f.name));
    font.setPointSizeF(f.size > 0 ? std::clamp(f.size, least_text_points, most_text_points) : built_in_text_points);
    return font;
}

void apply_window_font(Program &p) { p.master().setFont(window_font(p)); }

void set_widget_font(QWidget *w, const FontChoice &f) {
    QFont font = w->font();
    font.setFamily(qt(f.name));
    // A size of 0 or less, or an absurd one, leaves the size as it was.
    if (f.size > 0 && f.size <= 4096)
        font.setPointSizeF(f.size);
    w->setFont(font);
}

} // namespace kestle
