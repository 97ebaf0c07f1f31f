// The statement runner and the command dispatcher.
#pragma once

#include <string>

namespace kestle {

class Program;

void runit(Program &p, bool interactive, const std::string &text);
void do_cmd(Program &p, const std::string &stmt, bool interactive);
void do_nonsql(Program &p);

} // namespace kestle
