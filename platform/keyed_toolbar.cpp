// The toolbar whose buttons are addressed by key.

#include "keyed_toolbar.h"

#include "icons.h"
#include "text_codec.h"

#include <QEvent>
#include <QLayout>

namespace kestle {

KeyedToolBar::KeyedToolBar(QWidget *parent) : QToolBar(parent) {
    setMovable(false);
    setIconSize(QSize(16, 16));
    compact();
}

// The keys sit edge to edge, so every key of a bar of its design size is seen, none behind the
// overflow button. The style sets its own margins again whenever it changes.
void KeyedToolBar::compact() {
    layout()->setContentsMargins(0, 0, 0, 0);
    layout()->setSpacing(0);
}

void KeyedToolBar::changeEvent(QEvent *event) {
    QToolBar::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        compact();
}

void KeyedToolBar::add_button(const std::string &key, const std::string &tip, const std::string &image) {
    // The text is the tip: a key without one shows none, where Qt would fall back to the text.
    QAction *a = addAction(icon(image), qt(tip));
    a->setObjectName(qt(key));
    connect(a, &QAction::triggered, this, [this, key] { emit button_click(key); });
    buttons_[key] = {a, image};
}

QAction *KeyedToolBar::button(const std::string &key) const {
    auto it = buttons_.find(key);
    return it == buttons_.end() ? nullptr : it->second.action;
}

void KeyedToolBar::set_button_visible(const std::string &key, bool visible) {
    if (QAction *a = button(key))
        a->setVisible(visible);
}

bool KeyedToolBar::button_visible(const std::string &key) const {
    QAction *a = button(key);
    return a && a->isVisible();
}

void KeyedToolBar::set_button_image(const std::string &key, const std::string &image) {
    auto it = buttons_.find(key);
    if (it == buttons_.end())
        return;
    it->second.image = image;
    it->second.action->setIcon(icon(image));
}

std::string KeyedToolBar::button_image(const std::string &key) const {
    auto it = buttons_.find(key);
    return it == buttons_.end() ? std::string() : it->second.image;
}

void KeyedToolBar::click(const std::string &key) {
    if (QAction *a = button(key))
        a->trigger();
}

} // namespace kestle
