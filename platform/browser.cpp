#include "browser.h"

#include "shown_text.h"
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
    // Only a file: a pipe could keep the window waiting for ever.
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        setHtml(QString("<p>The page %1 cannot be shown.</p>").arg(qt(address).toHtmlEscaped()));
        return;
    }
    setSearchPaths({QFileInfo(qt(path)).absolutePath()});
    // No more is read than can be shown, and one byte to tell that the page goes on.
    const QByteArray page = file.read(static_cast<qint64>(shown_page_bytes) + 1);
    const std::string_view html(page.constData(), static_cast<std::size_t>(page.size()));
    // The pages are 8-bit text; UTF-8 bytes pass through.
    setHtml(QString::fromStdString(shown_page(html)));
}

} // namespace kestle
