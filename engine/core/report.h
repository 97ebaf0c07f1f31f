// How engine routines show a message: the program puts it on the current SQL window's status
// line, or in a message box when there is none and popup is non-zero.
#pragma once

#include <string>

namespace kestle {

struct Reporter {
    virtual ~Reporter() = default;
    // kind 0: message table entry msgno followed by text; any other kind: text alone.
    virtual void show_msg(int kind, long popup, int msgno, const std::string &text,
                          const std::string &routine) = 0;
};

// The popup argument of callers that want a message box when no SQL window is open.
inline constexpr long popup_yes = -1;

} // namespace kestle
