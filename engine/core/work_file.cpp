#include "work_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace kestle {

namespace {

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A new file in dir under a name of its own, open for writing; -1 when none can be made. The
// name is short, so that a work file named near the length limit still gets one.
int create_beside(const std::filesystem::path &dir, std::string &temp) {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = (dir / (".kestle-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + ".tmp")).string();
        // 0666 before the umask, as the file would get if it were written in place.
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

bool write_work_file(const std::string &name, std::string_view bytes) {
    if (name.empty() || name.find('\0') != std::string::npos)
        return false;
    std::string temp;
    // Beside the file, so that the rename stays on one file system.
    const int fd = create_beside(std::filesystem::path(name).parent_path(), temp);
    if (fd < 0)
        return false;
    // Work files are scratch, rewritten on every use: a failing write or close is what must be
    // caught, not a power cut, so the data is not forced to the disk first.
    const bool written = write_all(fd, bytes);
    if (::close(fd) == 0 && written && std::rename(temp.c_str(), name.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

} // namespace kestle
