// The toolbar whose buttons are addressed by key.

#include "keyed_toolbar.h"

#include "icons.h"
#include "text_codec.h"

namespace kestle {

KeyedToolBar::KeyedToolBar(QWidget *parent) : QToolBar(parent) {
    setMovable(false);
    setIconSize(QSize(20, 20));
}

void KeyedToolBar::add_button(const std::string &key, const std::string &tip, const std::string &image) {
    QAction *a = addAction(icon(image), qt(tip.empty() ? key : tip));
    a->setToolTip(qt(tip));
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
