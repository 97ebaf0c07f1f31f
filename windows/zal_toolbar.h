// The tools window: nine keys, each starting an outside tool.
#pragma once

#include "form.h"

#include <string>

namespace kestle {

class KeyedToolBar;
class Program;

// Nine buttons, each starting one outside tool without waiting for it; a helper that fails
// after it started is told when it ends.
class ZALToolbar : public Form {
    Q_OBJECT
public:
    explicit ZALToolbar(Program &p);
    KeyedToolBar *TB;
    void Form_Load();
    void TB_ButtonClick(const std::string &key);
    // The command line a key starts ("" for a key that names no tool).
    std::string tool_command(const std::string &key) const;
    // The program a key's tool needs: a path beside the program, or a name looked for on PATH.
    static std::string tool_program(const std::string &key);

private:
    // The explain tool's report, in the editor; a failure is told under the tool's tip.
    void show_report(const std::string &tip);
    Program &p_;
};

} // namespace kestle
