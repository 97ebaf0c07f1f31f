// Line-by-line reading of a text file, with LF, CR LF and lone CR line ends.

#include "line_reader.h"

#include <sys/stat.h>

#include <string_view>

namespace kestle {

LineReader::LineReader(const std::string &path) {
    if (path.find('\0') != std::string::npos)
        return;
    file_.reset(std::fopen(path.c_str(), "rb"));
    struct stat st;
    if (file_ && (fstat(fileno(file_.get()), &st) != 0 || !S_ISREG(st.st_mode)))
        file_.reset();
    if (file_)
        buf_.resize(64 * 1024);
}

bool LineReader::next(std::string &line) {
    line.clear();
    if (!file_)
        return false;
    bool any = false;
    for (;;) {
        if (pos_ == len_) {
            pos_ = 0;
            len_ = std::fread(buf_.data(), 1, buf_.size(), file_.get());
            if (len_ == 0)
                return any;
            if (at_start_ && len_ >= 3 && std::string_view(buf_.data(), 3) == "\xEF\xBB\xBF")
                pos_ = 3;
            at_start_ = false;
            if (pos_ == len_)
                continue;
        }
        if (skip_lf_) {
            skip_lf_ = false;
            if (buf_[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        const char *start = buf_.data() + pos_;
        const char *end = buf_.data() + len_;
        const char *p = start;
        while (p != end && *p != '\n' && *p != '\r')
            ++p;
        line.append(start, p);
        if (p == end) {
            any = any || p != start;
            pos_ = len_;
            continue;
        }
        skip_lf_ = *p == '\r';
        pos_ = static_cast<std::size_t>(p - buf_.data()) + 1;
        return true;
    }
}

} // namespace kestle
