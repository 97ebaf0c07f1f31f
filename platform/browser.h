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

protected:
    void changeEvent(QEvent *event) override;

private:
    // The notes page writes its text in the small size (size=2), four fifths of the base
    // size: the base is set so that this text is as large as the window's font, and a page in
    // the base size reads a little larger, as browsers show it.
    void fit_page_font();

    std::string address_;
};

} // namespace kestle
