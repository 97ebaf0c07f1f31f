// Case conversion through the classic locale, and trimming.
#include "ascii.h"

#include <locale>

namespace zal {

namespace {

// The classic locale changes the letters a-z and A-Z and nothing else.
const std::ctype<char> &classic() {
    static const std::ctype<char> &ctype = std::use_facet<std::ctype<char>>(std::locale::classic());
    return ctype;
}

} // namespace

char upper(char c) { return classic().toupper(c); }

std::string upper(std::string s) {
    classic().toupper(s.data(), s.data() + s.size());
    return s;
}

std::string lower(std::string s) {
    classic().tolower(s.data(), s.data() + s.size());
    return s;
}

std::string trim(const std::string &s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return "";
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

} // namespace zal
