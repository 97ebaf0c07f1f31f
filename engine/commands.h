// The session, catalog and file commands.
#pragma once

#include <string>

namespace kestle {

class Program;

// A command that needs options and has none shows message 20 and does nothing else.
bool has_arguments(Program &p, const char *routine);

void cmd_clear(Program &p);
void cmd_kill(Program &p);
void cmd_connect(Program &p);
void cmd_view(Program &p);
void cmd_tables(Program &p);
void cmd_describe(Program &p);
void cmd_sqlload(Program &p);
void cmd_ply(Program &p);
void ZAL_runstats(Program &p);
int ZAL_load(Program &p, const std::string &text);

} // namespace kestle
