// Case and blanks of 8-bit text, ASCII only: the same in whatever locale the process runs, as
// the engine's own upper() is, so names compare alike on both sides; UTF-8 bytes pass unchanged.
#pragma once

#include <string>

namespace zal {

char upper(char c);
std::string upper(std::string s);
std::string lower(std::string s);
// Without blanks, tabs and line ends at both ends.
std::string trim(const std::string &s);

} // namespace zal
