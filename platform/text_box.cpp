#include "text_box.h"

#include "shown_text.h"

namespace kestle {

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent) {
    // Lines break only between words: the default, which breaks a word too long for a line
    // anywhere, takes time that grows with the square of the word's length.
    setWordWrapMode(QTextOption::WordWrap);
}

QString TextBox::text() const { return cut_ ? whole_ : toPlainText(); }

void TextBox::set_text(const QString &text) {
    const QString shown = shown_text(text, &cut_);
    whole_ = cut_ ? text : QString();
    setReadOnly(cut_);
    setPlainText(shown);
}

} // namespace kestle
