// Reading and writing the files of file bindings, with every failure of the system reported.
#include "file_value.h"

#include "instance.h"

#include <zalcli.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zal {

namespace {

// A descriptor closed with its scope, for the paths that give up early.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    // Closes now; false (errno set) when the close reports an error, as a delayed write does.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

} // namespace

bool read_file_value(const std::string &name, size_t limit, std::vector<unsigned char> &out, Diagnostic &error) {
    // O_NONBLOCK: opening a FIFO that no one writes returns at once instead of waiting
    Fd fd(name.empty() ? -1 : ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        error = diagnose(Condition::FileNotOpened, {name, name.empty() ? "no file name" : errno_text()});
        return false;
    }
    struct stat st{};
    if (fstat(fd.get(), &st) != 0) {
        error = diagnose(Condition::FileNotRead, {name, errno_text()});
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = diagnose(Condition::FileNotRegular, {name});
        return false;
    }
    if (static_cast<uint64_t>(st.st_size) > limit) {
        error = diagnose(Condition::FileTooLarge, {name, std::to_string(limit)});
        return false;
    }
    // The file as large as it was when opened: one that grows meanwhile cannot make this endless.
    out.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::read(fd.get(), out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = diagnose(Condition::FileNotRead, {name, errno_text()});
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    out.resize(got);
    return true;
}

bool write_file_value(const std::string &name, uint32_t options, const void *data, size_t bytes,
                      Diagnostic &error) {
    const int mode = (options & SQL_FILE_CREATE) ? O_EXCL : (options & SQL_FILE_APPEND) ? O_APPEND : O_TRUNC;
    // O_NONBLOCK: a FIFO that no one reads fails at once instead of waiting for a reader
    Fd fd(name.empty() ? -1 : ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | mode, 0666));
    if (fd.get() < 0) {
        if (errno == EEXIST && (options & SQL_FILE_CREATE))
            error = diagnose(Condition::FileExists, {name});
        else
            error = diagnose(Condition::FileNotWritten, {name, name.empty() ? "no file name" : errno_text()});
        return false;
    }
    // writes to a pipe with a reader wait for it as usual
    fcntl(fd.get(), F_SETFL, fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    const auto *p = static_cast<const char *>(data);
    for (size_t done = 0; done < bytes;) {
        const ssize_t n = ::write(fd.get(), p + done, bytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = diagnose(Condition::FileNotWritten, {name, n < 0 ? errno_text() : "nothing was written"});
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (!fd.close()) {
        error = diagnose(Condition::FileNotWritten, {name, errno_text()});
        return false;
    }
    return true;
}

} // namespace zal
