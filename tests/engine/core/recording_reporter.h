// A Reporter that keeps every message shown, for the engine tests.
#pragma once

#include "report.h"

#include <string>
#include <vector>

struct ShownMsg {
    int kind;
    long popup;
    int msgno;
    std::string text;
    std::string routine;
    bool operator==(const ShownMsg &) const = default;
};

struct RecordingReporter : kestle::Reporter {
    void show_msg(int kind, long popup, int msgno, const std::string &text, const std::string &routine) override {
        shown.push_back({kind, popup, msgno, text, routine});
    }
    std::vector<ShownMsg> shown;
};
