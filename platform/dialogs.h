// The modal boxes the program asks the presenter with. The program uses the Qt ones; tests put
// a scripted set in their place.
#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>
#include <string>

namespace kestle {

enum class MessageIcon { None, Exclamation, Critical, Information };
enum class MessageButtons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

struct FontChoice {
    std::string name;
    double size = 10;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer message(const std::string &text, const std::string &title, MessageIcon icon,
                           MessageButtons buttons) = 0;
    // The answer, or none for Cancel.
    virtual std::optional<std::string> input(const std::string &prompt, const std::string &title,
                                             const std::string &initial) = 0;
    // A file that exists, or none for Cancel.
    virtual std::optional<std::string> open_file(const std::string &title, const std::string &filter,
                                                 const std::string &initial) = 0;
    // The chosen font, or none for Cancel.
    virtual std::optional<FontChoice> font(const FontChoice &initial, const std::string &title) = 0;
};

class QtDialogs : public Dialogs {
public:
    Answer message(const std::string &text, const std::string &title, MessageIcon icon,
                   MessageButtons buttons) override;
    std::optional<std::string> input(const std::string &prompt, const std::string &title,
                                     const std::string &initial) override;
    std::optional<std::string> open_file(const std::string &title, const std::string &filter,
                                         const std::string &initial) override;
    std::optional<FontChoice> font(const FontChoice &initial, const std::string &title) override;

    // The window the boxes stand over when none of the program's windows is active, as when a
    // watched tool ends while the presenter is in another program.
    QPointer<QWidget> main_window;

private:
    QWidget *parent() const;
};

} // namespace kestle
