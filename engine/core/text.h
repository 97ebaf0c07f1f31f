// Small text helpers shared by the engine: blank trimming, upper case, the byte-buffer
// routines of the CLI and the number readers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestle {

// Blanks only: tabs and line ends are text, as the runner and the parser expect.
std::string trim(std::string_view s);
std::string_view trim_view(std::string_view s);
std::string_view ltrim_view(std::string_view s);

// ASCII upper case; other bytes (UTF-8 sequences) pass through untouched.
std::string upper(std::string_view s);

// Writes s into b followed by a 0 byte; never writes the last element of b, so a caller's
// trailing guard byte survives. Stores at most b.size() - 2 characters.
void StrToByte(const std::string &s, std::span<unsigned char> b);

// Bytes b[start] .. b[start + length - 1] as text, ending before the first 0 byte. A range
// that reaches outside b is cut to b.
std::string ByteToStr(std::span<const unsigned char> b, long start, long length);

// The text before the first NUL, trimmed of blanks: cleans fixed-length CLI buffers.
std::string strip(const std::string &s);

// A database message without its three bracketed prefixes: the text after the third "]",
// untrimmed; a message with fewer is whole.
std::string after_prefixes(std::string_view message);
// A database message as the error display shows it: after its prefixes and trimmed, or whole
// and untrimmed when it has fewer than three.
std::string error_text_of(std::string_view message);

// At most max_bytes of s, cut before a UTF-8 character that would not fit whole. Bytes that
// are not UTF-8 are cut where the limit falls.
std::string_view utf8_prefix(std::string_view s, std::size_t max_bytes);

// The text as an SQL string literal: in single quotes, each quote inside doubled, so that no
// text can end the literal early.
std::string sql_literal(std::string_view text);

// Every LF preceded by a CR: text boxes break lines with LF, the engine's texts with CR LF.
std::string lf_to_crlf(std::string_view s);

// The lenient reader: the number at the head of the text. Blanks, tabs and line feeds are
// skipped wherever they stand; &H and &O read hexadecimal and octal; an exponent (E or D) is
// taken; reading stops at the first character that cannot continue the number. 0 when the
// text has no leading number or the number does not fit a double.
double lenient_number(std::string_view s);

// lenient_number rounded to the nearest integer, a half to the even neighbour; 0 when the
// result does not fit [lo, hi].
std::int64_t lenient_integer(std::string_view s, std::int64_t lo, std::int64_t hi);

// The strict reader: the whole text (blanks around it allowed) must be one decimal number,
// with an optional sign, fraction and exponent; otherwise there is no value and the caller
// keeps its setting.
std::optional<double> strict_number(std::string_view s);

} // namespace kestle
