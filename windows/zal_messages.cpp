// The message window of DISPLAY.

#include "zal_messages.h"

#include "program.h"
#include "shown_text.h"
#include "text_codec.h"
#include "twips.h"

#include <QLabel>
#include <QMdiArea>

#include <algorithm>

namespace kestle {

namespace {

constexpr int margin_twips = 120;
constexpr int text_width_twips = 6000;

} // namespace

ZALMessages::ZALMessages(Program &p) : Form(p.forms.windows, "Message", true) {
    ZALMSG = new QLabel(this);
    ZALMSG->setTextFormat(Qt::PlainText);
    ZALMSG->setWordWrap(true);
    ZALMSG->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    set_message("");
}

std::string ZALMessages::message() const { return bytes(ZALMSG->text()); }

void ZALMessages::set_message(const std::string &text) {
    ZALMSG->setText(shown_text(qt(text)));
    const int m = twips_to_px(margin_twips);
    const int line = ZALMSG->fontMetrics().height();
    QWidget *area = windows().mdi ? windows().mdi->viewport() : nullptr;
    // Inside the client area whatever the font: a text too long for it is cut at its height.
    int width = twips_to_px(text_width_twips);
    int most_height = twips_to_px(6000);
    if (area) {
        width = std::min(width, std::max(area->width() - 4 * m, 8 * m));
        most_height = std::max(area->height() - 6 * m, line);
    }
    ZALMSG->setGeometry(m, m, width, std::clamp(ZALMSG->heightForWidth(width), line, most_height));
    resize(sizeHint());
    frame()->adjustSize();
    if (area)
        frame()->move(std::max((area->width() - frame()->width()) / 2, 0),
                      std::max((area->height() - frame()->height()) / 3, 0));
}

QSize ZALMessages::sizeHint() const {
    const int m = twips_to_px(margin_twips);
    return ZALMSG->size() + QSize(2 * m, 2 * m);
}

} // namespace kestle
