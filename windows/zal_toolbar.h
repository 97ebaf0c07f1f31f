// The tools window: nine keys, each starting an outside tool.
#pragma once

#include "form.h"

#include <functional>
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
    ~ZALToolbar() override;
    KeyedToolBar *TB;
    void Form_Load();
    void TB_ButtonClick(const std::string &key);
    // The command line a key starts ("" for a key that names no tool).
    std::string tool_command(const std::string &key) const;
    // The program a key's tool needs: a path beside the program, or a name looked for on PATH.
    static std::string tool_program(const std::string &key);

private:
    // The command line of a key's tool whose program has been found already.
    std::string tool_command(const std::string &key, const std::string &program) const;
    // What a watched tool calls when it ends: a failure is told under the tool's tip, and
    // then, on success, succeeded runs.
    std::function<void(bool, const std::string &)> on_tool_end(const std::string &tip,
                                                               std::function<void()> succeeded = {});
    // The explain tool's report, in the editor; a failure is told under the tool's tip.
    void show_report(const std::string &tip);
    Program &p_;
};

} // namespace kestle
