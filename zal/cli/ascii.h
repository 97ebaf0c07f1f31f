// Case and blanks of 8-bit text, ASCII only: the same in whatever locale the process runs, as
// the engine's own upper() is, so names compare alike on both sides; UTF-8 bytes pass unchanged.
#pragma once

#include <string>

namespace zal {

// Only a-z and A-Z change.
inline char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
inline char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string upper(std::string s);
std::string lower(std::string s);
// Character classes of the C locale, whatever locale the process runs in.
inline bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool is_alpha(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
inline bool is_alnum(unsigned char c) { return is_alpha(c) || is_digit(c); }
inline bool is_xdigit(unsigned char c) { return is_digit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }
inline bool is_space(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Without blanks, tabs and line ends at both ends.
std::string trim(const std::string &s);

} // namespace zal
