#include "program_fixture.h"

#include "keyed_toolbar.h"
#include "text_codec.h"

#include <QAction>
#include <QToolButton>

namespace kestle_test {

kestle::Answer ScriptedDialogs::message(const std::string &text, const std::string &title, kestle::MessageIcon icon,
                                        kestle::MessageButtons buttons) {
    shown.push_back({"message", text, title, icon, buttons, ""});
    if (message_answers.empty())
        return kestle::Answer::Ok;
    kestle::Answer a = message_answers.front();
    message_answers.pop_front();
    return a;
}

namespace {

template <class T>
std::optional<T> next(std::deque<std::optional<T>> &q) {
    if (q.empty())
        return std::nullopt;
    std::optional<T> a = q.front();
    q.pop_front();
    return a;
}

} // namespace

std::optional<std::string> ScriptedDialogs::input(const std::string &prompt, const std::string &title,
                                                  const std::string &initial) {
    shown.push_back({"input", prompt, title, {}, {}, initial});
    return next(input_answers);
}

std::optional<std::string> ScriptedDialogs::open_file(const std::string &title, const std::string &filter,
                                                      const std::string &initial) {
    shown.push_back({"open", filter, title, {}, {}, initial});
    return next(file_answers);
}

std::optional<kestle::FontChoice> ScriptedDialogs::font(const kestle::FontChoice &initial, const std::string &title) {
    shown.push_back({"font", initial.name, title, {}, {}, std::to_string(initial.size)});
    return next(font_answers);
}

std::vector<std::string> ScriptedDialogs::messages() const {
    std::vector<std::string> m;
    for (const Shown &s : shown)
        if (s.kind == "message")
            m.push_back(s.text);
    return m;
}

CurrentDir::CurrentDir(const std::filesystem::path &dir) : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
}

CurrentDir::~CurrentDir() {
    std::error_code ec;
    std::filesystem::current_path(saved_, ec);
}

bool seen_whole(const QWidget &w) {
    if (!w.isVisible())
        return false;
    const QWidget *top = w.window();
    const QRect r = w.rect().adjusted(1, 1, -2, -2);
    for (QPoint at : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight(), r.center()}) {
        const QWidget *shown = top->childAt(w.mapTo(top, at));
        if (!shown || (shown != &w && !w.isAncestorOf(shown)))
            return false;
    }
    return true;
}

std::vector<std::string> hidden_keys(const kestle::KeyedToolBar &tb) {
    std::vector<std::string> hidden;
    for (QAction *a : tb.actions()) {
        if (!a->isVisible())
            continue;
        const QWidget *button = tb.widgetForAction(a);
        if (!button || !tb.rect().contains(button->geometry()) || !seen_whole(*button))
            hidden.push_back(kestle::bytes(a->objectName()));
    }
    if (const auto *more = tb.findChild<QToolButton *>("qt_toolbar_ext_button"); more && more->isVisible())
        hidden.push_back("(overflow)");
    return hidden;
}

ProgramFixture::ProgramFixture(bool started) : home(started) {}

} // namespace kestle_test
