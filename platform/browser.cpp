#include "browser.h"

#include "shown_text.h"
#include "text_codec.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace kestle {

Browser::Browser(QWidget *parent) : QTextBrowser(parent) { setOpenExternalLinks(false); }

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
