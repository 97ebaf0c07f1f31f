#include "text_codec.h"

#include "text.h"

namespace kestle {

std::string crlf_text(const QString &box) { return lf_to_crlf(bytes(box)); }

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
