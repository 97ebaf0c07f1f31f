// The XML cell layout on arbitrary text: it only adds blanks and line breaks, keeps every
// other character in order, and its indent stays bounded.
#include "engine_fuzz_support.h"
#include "xml_layout.h"

#include <string>

namespace {

std::string without_layout(const std::string &s) {
    std::string t;
    for (char c : s)
        if (c != ' ' && c != '\r' && c != '\n')
            t += c;
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    const std::string v(reinterpret_cast<const char *>(data), size);
    const std::string out = kestle::xml_layout(v);
    fuzz_check(without_layout(out) == without_layout(v));
    // Each tag and text of the value is at most one line: the indent of a line and its CR LF
    // bound the growth.
    fuzz_check(out.size() <= v.size() + (v.size() + 1) * (kestle::xml_max_indent + 2));
    return 0;
}
