// The presentation as the windows show it: the control file into the tree, a note into its pane.
#pragma once

#include <string>

namespace kestle {

class Program;

// Reads the control file into the records and the presentation tree; the record count, 0 when
// a file could not be read or the include limit was passed. A main file that cannot be read
// keeps the presentation that was loaded. complete, when given, tells whether the whole
// presentation was read.
int readops(Program &p, const std::string &fname, bool *complete = nullptr);
// Writes the notes page and shows it: in the slide window for kind 5, else the notes pane.
void showhelp(Program &p, const std::string &title, const std::string &body, int kind);

} // namespace kestle
