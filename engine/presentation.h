// The presentation as the windows show it: the control file into the tree, a note into its pane.
#pragma once

#include <string>

namespace kestle {

class Program;

// Reads the control file into the records and the presentation tree; the record count.
int readops(Program &p, const std::string &fname);
// Writes the notes page and shows it: in the slide window for kind 5, else the notes pane.
void showhelp(Program &p, const std::string &title, const std::string &body, int kind);

} // namespace kestle
