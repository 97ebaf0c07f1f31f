#include "browser.h"

#include "text_codec.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace kestle {

namespace {

constexpr double small_text_scale = 0.8; // of the HTML font size 2 against the base size 3

} // namespace

Browser::Browser(QWidget *parent) : QTextBrowser(parent) {
    setOpenExternalLinks(false);
    fit_page_font();
}

void Browser::fit_page_font() {
    QFont base = font();
    if (base.pointSizeF() > 0)
        base.setPointSizeF(base.pointSizeF() / small_text_scale);
    else
        base.setPixelSize(qRound(base.pixelSize() / small_text_scale));
    document()->setDefaultFont(base);
}

void Browser::changeEvent(QEvent *event) {
    QTextBrowser::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fit_page_font();
}

void Browser::navigate(const std::string &address) {
    address_ = address;
    // The address keeps the directory as written (blanks unencoded): the file is what follows
    // "file://".
    std::string path = address.starts_with("file://") ? address.substr(7) : address;
    QFile file(qt(path));
    if (!file.open(QIODevice::ReadOnly)) {
        setHtml(QString("<p>The page %1 cannot be shown.</p>").arg(qt(address).toHtmlEscaped()));
        return;
    }
    setSearchPaths({QFileInfo(qt(path)).absolutePath()});
    // The pages are 8-bit text; UTF-8 bytes pass through.
    setHtml(QString::fromUtf8(file.readAll()));
}

} // namespace kestle
