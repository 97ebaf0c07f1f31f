// The page panes: a browser for the program's own HTML pages (notes, help) from file addresses.
#pragma once

#include <QTextBrowser>

#include <string>

namespace kestle {

class Browser : public QTextBrowser {
    Q_OBJECT
public:
    explicit Browser(QWidget *parent = nullptr);
    // Shows the page at a "file://" address as shown_page gives it; the file is read afresh
    // every time.
    void navigate(const std::string &address);
    const std::string &address() const { return address_; }

private:
    std::string address_;
};

} // namespace kestle
