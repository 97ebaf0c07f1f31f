// The program's start: splash, settings, command line, messages, control file, connection,
// main window, first SQL window, notes of record 1, tools window.
#pragma once

#include <string>

namespace kestle {

class Program;

// The start-up sequence; command_line is the arguments after the program name.
void Main(Program &p, const std::string &command_line);

} // namespace kestle
