#include "xml_layout.h"

#include <algorithm>

namespace kestle {

std::string xml_layout(const std::string &v) {
    std::string out;
    int indent = 0;
    std::size_t pos = 0;
    std::size_t lt = std::string::npos;
    auto line = [&](std::size_t from, std::size_t count) {
        out.append(static_cast<std::size_t>(indent), ' ');
        out.append(v, from, count);
        out += "\r\n";
    };
    while (true) {
        lt = v.find('<', pos);
        const std::size_t gt = lt == std::string::npos ? std::string::npos : v.find('>', lt + 1);
        if (lt != std::string::npos && lt > pos)
            line(pos, lt - pos);
        if (lt == std::string::npos || gt == std::string::npos)
            break;
        const bool closing = v[lt + 1] == '/';
        if (closing)
            indent = std::max(indent - 2, 0);
        line(lt, gt - lt + 1);
        if (!closing)
            indent = std::min(indent + 2, xml_max_indent);
        pos = gt + 1;
    }
    if (lt == std::string::npos) {
        if (pos < v.size())
            out.append(v, pos, std::string::npos);
    } else {
        out.append(v, lt, std::string::npos);
    }
    return out;
}

} // namespace kestle
