#include "browser.h"

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
    if (!file.open(QIODevice::ReadOnly)) {
        setHtml(QString("<p>The page %1 cannot be shown.</p>").arg(qt(address).toHtmlEscaped()));
        return;
    }
    setSearchPaths({QFileInfo(qt(path)).absolutePath()});
    // The pages are 8-bit text; UTF-8 bytes pass through.
    setHtml(QString::fromUtf8(file.readAll()));
}

} // namespace kestle
