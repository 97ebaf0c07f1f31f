// A wide result cell that holds XML, laid out one tag or text a line and indented by depth, so
// the text viewer shows its structure.
#pragma once

#include <string>

namespace kestle {

// Deepest indent, in blanks: a deeply nested value stays readable and its layout stays about
// the size of the value.
inline constexpr int xml_max_indent = 200;

// Each tag and each text between tags on a line of its own, ended by CR LF, indented 2 blanks
// a level; a text after the last tag, or from a "<" that has no ">", follows unchanged.
std::string xml_layout(const std::string &v);

} // namespace kestle
