// A fresh program for a test: a temporary instance (SAMPLE set up), a temporary start-up
// directory as the current directory, and dialogs answered from a script.
#pragma once

#include "dialogs.h"
#include "program.h"
#include "test_support.h"

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace kestle {
class KeyedToolBar;
}

namespace kestle_test {

// Dialogs that record what they were asked and answer from queues; with an empty queue a
// message is answered OK and every other dialog is cancelled.
class ScriptedDialogs : public kestle::Dialogs {
public:
    struct Shown {
        std::string kind; // "message", "input", "open", "font"
        std::string text;
        std::string title;
        kestle::MessageIcon icon = kestle::MessageIcon::None;
        kestle::MessageButtons buttons = kestle::MessageButtons::Ok;
        std::string initial;
    };
    std::vector<Shown> shown;
    std::deque<kestle::Answer> message_answers;
    std::deque<std::optional<std::string>> input_answers;
    std::deque<std::optional<std::string>> file_answers;
    std::deque<std::optional<kestle::FontChoice>> font_answers;

    kestle::Answer message(const std::string &text, const std::string &title, kestle::MessageIcon icon,
                           kestle::MessageButtons buttons) override;
    std::optional<std::string> input(const std::string &prompt, const std::string &title,
                                     const std::string &initial) override;
    std::optional<std::string> open_file(const std::string &title, const std::string &filter,
                                         const std::string &initial) override;
    std::optional<kestle::FontChoice> font(const kestle::FontChoice &initial, const std::string &title) override;

    // The texts of the message boxes shown so far.
    std::vector<std::string> messages() const;
};

// Changes the current directory for the fixture's life.
class CurrentDir {
public:
    explicit CurrentDir(const std::filesystem::path &dir);
    ~CurrentDir();

private:
    std::filesystem::path saved_;
};

// Whether the presenter sees a widget whole: its corners and its middle are the widget itself
// on the screen, not another window or widget over it.
bool seen_whole(const QWidget &w);

// The keys of a toolbar that the presenter cannot see whole: a shown button that lies outside
// the bar, sits behind its overflow button, or is covered by another window or widget.
std::vector<std::string> hidden_keys(const kestle::KeyedToolBar &tb);

class ProgramFixture {
public:
    explicit ProgramFixture(bool started = true);
    TempHome home;
    TempDir dir; // the start-up directory
    CurrentDir cwd{dir.path()};
    ScriptedDialogs dialogs;
    kestle::Program program{dialogs};
};

} // namespace kestle_test
