// How engine routines show a message: the program puts it on the current SQL window's status
// line, or in a message box when there is none and popup is non-zero.
#pragma once

#include "messages.h"

#include <string>

namespace kestle {

struct Reporter {
    virtual ~Reporter() = default;
    // kind: a MsgKind; popup: popup_yes, popup_no or a database's native error code.
    virtual void show_msg(int kind, long popup, int msgno, const std::string &text,
                          const std::string &routine) = 0;
};

// The popup argument of callers that want a message box when no SQL window is open, and of
// those that want the status line only.
inline constexpr long popup_yes = -1;
inline constexpr long popup_no = 0;

} // namespace kestle
