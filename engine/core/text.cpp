// Text helpers: trimming, upper case, the CLI's byte buffers and the number readers.

#include "text.h"

#include <charconv>
#include <cmath>

namespace kestle {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Converts a decimal number already checked by the caller; nullopt when it does not fit.
std::optional<double> to_double(const std::string &digits) {
    double value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// Reads sign, mantissa and exponent through peek/take (peek gives 0 at the end) into the
// normalised text that from_chars takes; false when the mantissa has no digit. An exponent
// marker without digits is consumed and ignored.
template <class Peek, class Take>
bool scan_decimal(Peek peek, Take take, bool exponent_d, std::string &out) {
    auto digits_into = [&](std::string &to) {
        bool any = false;
        for (; is_digit(peek()); take(), any = true)
            to += peek();
        return any;
    };
    if (peek() == '+' || peek() == '-') {
        if (peek() == '-')
            out += '-';
        take();
    }
    bool digits = digits_into(out);
    if (peek() == '.') {
        out += '.';
        take();
        digits = digits_into(out) || digits;
    }
    if (!digits)
        return false;
    char e = peek();
    if (e == 'e' || e == 'E' || (exponent_d && (e == 'd' || e == 'D'))) {
        std::string exponent = "e";
        take();
        if (peek() == '+' || peek() == '-') {
            exponent += peek();
            take();
        }
        if (digits_into(exponent))
            out += exponent;
    }
    return true;
}

} // namespace

std::string_view ltrim_view(std::string_view s) {
    std::size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string_view() : s.substr(b);
}

std::string_view trim_view(std::string_view s) {
    s = ltrim_view(s);
    std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string_view() : s.substr(0, e + 1);
}

std::string trim(std::string_view s) { return std::string(trim_view(s)); }

std::string upper(std::string_view s) {
    std::string out(s);
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

void StrToByte(const std::string &s, std::span<unsigned char> b) {
    if (b.size() < 2)
        return;
    std::size_t n = std::min(s.size(), b.size() - 2);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<unsigned char>(s[i]);
    b[n] = 0;
}

std::string ByteToStr(std::span<const unsigned char> b, long start, long length) {
    std::string out;
    if (start < 0 || length <= 0 || static_cast<std::size_t>(start) >= b.size())
        return out;
    std::size_t end = std::min(b.size(), static_cast<std::size_t>(start) + static_cast<std::size_t>(length));
    for (std::size_t i = static_cast<std::size_t>(start); i < end && b[i] != 0; ++i)
        out += static_cast<char>(b[i]);
    return out;
}

std::string strip(const std::string &s) {
    return trim(std::string_view(s).substr(0, s.find('\0')));
}

std::string after_prefixes(std::string_view message) {
    std::size_t pos = 0;
    for (int found = 0; found < 3; ++found) {
        pos = message.find(']', pos);
        if (pos == std::string_view::npos)
            return std::string(message);
        ++pos;
    }
    return std::string(message.substr(pos));
}

std::string error_text_of(std::string_view message) {
    const std::string rest = after_prefixes(message);
    return rest.size() == message.size() ? rest : trim(rest);
}

double lenient_number(std::string_view s) {
    std::size_t i = 0;
    auto skip = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n'))
            ++i;
    };
    auto peek = [&]() -> char {
        skip();
        return i < s.size() ? s[i] : '\0';
    };
    auto take = [&] { ++i; };

    if (peek() == '&') {
        take();
        char p = peek();
        unsigned base = (p == 'h' || p == 'H') ? 16 : (p == 'o' || p == 'O') ? 8 : 0;
        if (base == 0)
            return 0;
        take();
        std::uint64_t value = 0;
        for (;;) {
            char c = peek();
            unsigned d;
            if (is_digit(c))
                d = static_cast<unsigned>(c - '0');
            else if (base == 16 && c >= 'a' && c <= 'f')
                d = static_cast<unsigned>(c - 'a' + 10);
            else if (base == 16 && c >= 'A' && c <= 'F')
                d = static_cast<unsigned>(c - 'A' + 10);
            else
                break;
            if (d >= base)
                break;
            if (value > (UINT64_MAX - d) / base)
                return 0;
            value = value * base + d;
            take();
        }
        return static_cast<double>(value);
    }

    std::string digits;
    if (!scan_decimal(peek, take, true, digits))
        return 0;
    return to_double(digits).value_or(0);
}

std::int64_t lenient_integer(std::string_view s, std::int64_t lo, std::int64_t hi) {
    double r = std::nearbyint(lenient_number(s));
    // 2^63 itself is out of range for int64 although it compares equal to INT64_MAX as double.
    if (!(r >= static_cast<double>(lo) && r <= static_cast<double>(hi)) || r >= 9223372036854775808.0)
        return 0;
    return static_cast<std::int64_t>(r);
}

std::optional<double> strict_number(std::string_view s) {
    s = trim_view(s);
    std::size_t i = 0;
    auto peek = [&]() -> char { return i < s.size() ? s[i] : '\0'; };
    auto take = [&] { ++i; };
    std::string digits;
    if (!scan_decimal(peek, take, false, digits) || i != s.size())
        return std::nullopt;
    if (char last = s.back(); !is_digit(last) && last != '.')
        return std::nullopt; // "1e" or "1e+": an exponent without digits is no number

    return to_double(digits);
}

std::string_view utf8_prefix(std::string_view s, std::size_t max_bytes) {
    if (s.size() <= max_bytes)
        return s;
    auto byte = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    // A character is at most four bytes: its lead byte lies at most three before the cut.
    std::size_t lead = max_bytes;
    while (lead > 0 && max_bytes - lead < 3 && (byte(lead) & 0xC0) == 0x80)
        --lead;
    const unsigned char b = byte(lead);
    const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return s.substr(0, lead + length > max_bytes && b >= 0xC0 && b < 0xF8 ? lead : max_bytes);
}

std::string sql_literal(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += c;
    }
    return out + "'";
}

std::string lf_to_crlf(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace kestle
