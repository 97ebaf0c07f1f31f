// The commands that talk to the presenter in the middle of a script (DISPLAY, MSG, PROMPT,
// DUMPVARS) and those that start the product's tools (CMD, ZAL, EXPLAIN).
#pragma once

#include "launcher.h"
#include "work_file.h"

#include <string>

namespace kestle {

class Program;

// Work files in the current directory, rewritten on every use (write_work_file); their line
// ends are LF, as /bin/sh and the tools read them.
inline constexpr const char *batch_file = "ZALCMDS.BAT";
inline constexpr const char *zal_script_file = "ZALCMDS.ZAL";
inline constexpr const char *tool_output_file = "ZALCMDS.OUT";
inline constexpr const char *explain_input_file = "ZALSQL.SQL";

// What is told when a work file cannot be written, before its name.
inline constexpr const char *cannot_write = "Cannot write the work file ";

// Removes a work file, if there is one.
void remove_file(const char *name);

// How long an explain waits for the tool's report before it gives up.
inline constexpr int explain_wait_seconds = 10;

void cmd_display(Program &p);
// The end of every run takes the message window of DISPLAY away again.
void hide_message_window(Program &p);
void Menu(Program &p);
void cmd_prompt(Program &p);
void cmd_dmp(Program &p);
void cmd_dos(Program &p);
void cmd_zal(Program &p);
void cmd_explain(Program &p);

// Explains stmt with the explain tool and shows the cost and the plan in the text viewer.
// False, after telling the presenter, when the tool cannot be started, sends no report within
// explain_wait_seconds, or reports no cost and plan. An empty stmt explains nothing (true).
bool ZAL_explain(Program &p, const std::string &stmt);

// The command lines of the command line processor (on a script) and of the explain tool.
std::string zal_command_line(const std::string &opts, const std::string &script);
std::string explain_command_line(const std::string &database);

// The product's tools work on the program's current database, which they find in $ZAL_DATABASE.
void set_tool_database(const Program &p);
// Starts a tool without waiting for it, on the current database. False when it cannot be started.
bool start_tool(Program &p, const std::string &command_line, WindowStyle style);

} // namespace kestle
