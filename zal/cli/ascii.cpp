// Case conversion of whole texts, and trimming.
#include "ascii.h"

namespace zal {

std::string upper(std::string s) {
    for (char &c : s)
        c = upper(c);
    return s;
}

std::string lower(std::string s) {
    for (char &c : s)
        c = lower(c);
    return s;
}

std::string trim(const std::string &s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return "";
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

} // namespace zal
