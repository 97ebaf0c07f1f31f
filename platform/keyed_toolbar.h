// A toolbar whose buttons are addressed by lower-case keys.
#pragma once

#include <QToolBar>

#include <map>
#include <string>

namespace kestle {

// Its keys are 16-pixel icons unless a window sets another size.
class KeyedToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit KeyedToolBar(QWidget *parent = nullptr);

    void add_button(const std::string &key, const std::string &tip, const std::string &image);
    QAction *button(const std::string &key) const;
    void set_button_visible(const std::string &key, bool visible);
    bool button_visible(const std::string &key) const;
    void set_button_image(const std::string &key, const std::string &image);
    std::string button_image(const std::string &key) const;
    // As if the presenter clicked the button.
    void click(const std::string &key);

signals:
    void button_click(const std::string &key);

protected:
    void changeEvent(QEvent *event) override;

private:
    void compact();
    struct Button {
        QAction *action;
        std::string image;
    };
    std::map<std::string, Button> buttons_;
};

} // namespace kestle
