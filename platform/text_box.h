// A plain-text box for texts of any length.
#pragma once

#include <QPlainTextEdit>

namespace kestle {

// It keeps every character it is given. A text that shown_text has to cut is shown cut and
// read-only, so that no edit can make a text out of the part shown; the next text given to the
// box makes it editable again.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);
    // The whole text: the one given while it is shown cut, else what the box holds.
    QString text() const;
    void set_text(const QString &text);
    bool cut() const { return cut_; }

private:
    QString whole_; // while cut
    bool cut_ = false;
};

} // namespace kestle
