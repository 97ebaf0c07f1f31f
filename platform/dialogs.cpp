// The Qt modal boxes behind the dialogs interface.

#include "dialogs.h"

#include "shown_text.h"
#include "text_codec.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace kestle {

QWidget *QtDialogs::parent() const {
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return main_window;
}

Answer QtDialogs::message(const std::string &text, const std::string &title, MessageIcon icon,
                          MessageButtons buttons) {
    QMessageBox box(parent());
    box.setWindowTitle(shown_text(qt(title)));
    box.setText(shown_text(qt(text)));
    switch (icon) {
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    box.setStandardButtons(buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                               : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

std::optional<std::string> QtDialogs::input(const std::string &prompt, const std::string &title,
                                            const std::string &initial) {
    bool ok = false;
    QString answer = QInputDialog::getText(parent(), shown_text(qt(title)), shown_text(qt(prompt)),
                                           QLineEdit::Normal, qt(initial), &ok);
    if (!ok)
        return std::nullopt;
    return bytes(answer);
}

std::optional<std::string> QtDialogs::open_file(const std::string &title, const std::string &filter,
                                                const std::string &initial) {
    QString file = QFileDialog::getOpenFileName(parent(), qt(title), qt(initial), qt(filter));
    if (file.isEmpty())
        return std::nullopt;
    return bytes(file);
}

std::optional<FontChoice> QtDialogs::font(const FontChoice &initial, const std::string &title) {
    bool ok = false;
    QFont preset(qt(initial.name));
    if (initial.size > 0)
        preset.setPointSizeF(initial.size);
    QFont chosen = QFontDialog::getFont(&ok, preset, parent(), qt(title));
    if (!ok)
        return std::nullopt;
    return FontChoice{bytes(chosen.family()), chosen.pointSizeF()};
}

} // namespace kestle
