// Reads a text file line by line in one pass; a line ends at LF, CR LF or a lone CR. A UTF-8
// byte order mark at the start of the file is not part of its first line.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace kestle {

class LineReader {
public:
    // Opens regular files only: a directory, a device or a pipe counts as not openable, so
    // that reading cannot block or run forever. A name holding a NUL cannot be opened.
    explicit LineReader(const std::string &path);
    bool is_open() const { return file_ != nullptr; }
    // The next line without its line end; false at the end of the file (or on a read error).
    bool next(std::string &line);

private:
    struct Closer {
        void operator()(std::FILE *f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::vector<char> buf_;
    std::size_t pos_ = 0, len_ = 0;
    bool skip_lf_ = false; // the last line ended at a CR, so an LF right after it belongs to it
    bool at_start_ = true; // nothing read yet: a byte order mark may come
};

} // namespace kestle
