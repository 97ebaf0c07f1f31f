#include "text_codec.h"

namespace kestle {

std::string crlf_text(const QString &box) {
    const std::string s = bytes(box);
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

QString box_text(const std::string &text) {
    std::string s;
    s.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            // CR LF and a lone CR both become one line break
            s += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            s += text[i];
        }
    }
    return qt(s);
}

} // namespace kestle
