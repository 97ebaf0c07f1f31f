// Starting outside programs without waiting for them, with the window style the caller asks
// for: hidden and minimized programs run without a window, normal ones in a terminal.
#pragma once

#include <functional>
#include <string>

class QObject;

namespace kestle {

enum class WindowStyle { Hidden, Minimized, Normal };

// Starts a command line as the program it names with its arguments (words split at blanks,
// double quotes group), never through a shell, so ";" and "&" are plain characters. A batch
// file (a name ending in ".BAT") runs through /bin/sh; "cmd" is a terminal with the user's
// shell. False when it cannot be started.
bool start_program(const std::string &command_line, WindowStyle style, const std::string &directory = "");

// How a watched program ended: well, or not and why (the last line of its error output, else
// its exit status).
using Ended = std::function<void(bool ok, const std::string &why)>;

// Starts a command line as start_program does without waiting for it, and calls `ended` on the
// GUI thread when the program ends, unless `owner` has gone by then. For helpers that hand
// their work on and return at once, whose exit status tells whether that worked. False when it
// cannot be started.
bool start_watched(const std::string &command_line, WindowStyle style, const std::string &directory, QObject *owner,
                   Ended ended);

// The terminal emulator of this desktop ($TERMINAL, x-terminal-emulator, xterm), or "".
std::string terminal_program();

} // namespace kestle
