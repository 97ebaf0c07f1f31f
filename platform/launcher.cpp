// Starting outside programs without waiting: hidden, minimized or in a terminal.

#include "launcher.h"

#include "text_codec.h"

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>
#include <vector>

namespace kestle {

std::string terminal_program() {
    if (const char *t = std::getenv("TERMINAL"); t && *t && !QStandardPaths::findExecutable(t).isEmpty())
        return t;
    for (const char *candidate : {"x-terminal-emulator", "xterm"})
        if (!QStandardPaths::findExecutable(candidate).isEmpty())
            return candidate;
    return {};
}

namespace {

// The words of a command line: split at blanks, double quotes group.
std::vector<std::string> command_words(const std::string &command_line) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false, quoted = false;
    for (char c : command_line) {
        if (c == '"') {
            quoted = !quoted;
            in_word = true;
        } else if (c == ' ' && !quoted) {
            if (in_word)
                words.push_back(std::move(word));
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word)
        words.push_back(std::move(word));
    return words;
}


bool is_batch_file(const std::string &name) {
    return QByteArray::fromStdString(name).toLower().endsWith(".bat");
}

// Sets up p to run a command line as start_program describes; false when there is nothing to
// run or no terminal for a program that needs one.
bool prepare(QProcess &p, const std::string &command_line, WindowStyle style, const std::string &directory) {
    std::vector<std::string> words = command_words(command_line);
    if (words.empty())
        return false;
    if (words[0] == "cmd") {
        const char *shell = std::getenv("SHELL");
        words = {shell && *shell ? shell : "/bin/sh"};
        style = WindowStyle::Normal;
    } else if (is_batch_file(words[0])) {
        words.insert(words.begin(), "/bin/sh");
    }
    if (style == WindowStyle::Normal) {
        const std::string terminal = terminal_program();
        if (terminal.empty())
            return false;
        words.insert(words.begin(), {terminal, "-e"});
    }
    QStringList args;
    for (size_t i = 1; i < words.size(); ++i)
        args << qt(words[i]);
    p.setProgram(qt(words[0]));
    p.setArguments(args);
    if (!directory.empty())
        p.setWorkingDirectory(qt(directory));
    p.setStandardInputFile(QProcess::nullDevice());
    if (style != WindowStyle::Normal)
        p.setStandardOutputFile(QProcess::nullDevice());
    return true;
}

// The last line a program wrote to its error output.
std::string last_line(const QByteArray &output) {
    const QList<QByteArray> lines = output.trimmed().split('\n');
    return lines.isEmpty() ? std::string() : lines.back().trimmed().toStdString();
}

} // namespace

bool start_program(const std::string &command_line, WindowStyle style, const std::string &directory) {
    QProcess p;
    if (!prepare(p, command_line, style, directory))
        return false;
    if (style != WindowStyle::Normal)
        p.setStandardErrorFile(QProcess::nullDevice());
    return p.startDetached();
}

bool start_watched(const std::string &command_line, WindowStyle style, const std::string &directory, QObject *owner,
                   Ended ended) {
    auto *p = new QProcess(owner);
    if (!prepare(*p, command_line, style, directory)) {
        delete p;
        return false;
    }
    QObject::connect(p, &QProcess::finished, owner, [p, ended](int code, QProcess::ExitStatus status) {
        p->deleteLater();
        if (status == QProcess::NormalExit && code == 0) {
            ended(true, {});
            return;
        }
        std::string why = last_line(p->readAllStandardError());
        if (why.empty())
            why = bytes(p->program()) + (status == QProcess::CrashExit ? " was ended by a signal"
                                                                      : " ended with exit code " + std::to_string(code));
        ended(false, why);
    });
    p->start();
    // Only the start is waited for, as a detached start does; the end comes as a signal.
    if (!p->waitForStarted()) {
        delete p;
        return false;
    }
    return true;
}

} // namespace kestle
