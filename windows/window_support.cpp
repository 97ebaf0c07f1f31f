#include "window_support.h"

#include "form.h"
#include "program.h"
#include "text_codec.h"
#include "twips.h"

#include <QtGlobal>

#include <algorithm>

namespace kestle {

void log_escaped(const char *handler, const char *what) noexcept {
    qWarning("%s: %s", handler, what);
}

void show_in_front(Form &f) {
    f.show_form();
    f.frame()->raise();
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

FontChoice program_font(const Program &p) {
    return {var_sub(p.vars, "[font]"), lenient_number(var_sub(p.vars, "[fontsize]"))};
}

void set_widget_font(QWidget *w, const FontChoice &f) {
    QFont font = w->font();
    font.setFamily(qt(f.name));
    // A size of 0 or less, or an absurd one, leaves the size as it was.
    if (f.size > 0 && f.size <= 4096)
        font.setPointSizeF(f.size);
    w->setFont(font);
}

} // namespace kestle
