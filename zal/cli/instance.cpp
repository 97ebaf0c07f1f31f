// Where the instance and its databases live, who the user is, where the product is installed.
#include "instance.h"

#include "ascii.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zal {

int open_private_file(const fs::path &file, int flags) {
    const int fd = ::open(file.c_str(), flags | O_CLOEXEC, private_file_mode);
    if (fd >= 0 && fchmod(fd, private_file_mode) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

std::string errno_text() { return std::strerror(errno); }

fs::path home_dir() {
    if (const char *home = std::getenv("ZAL_HOME"); home && *home)
        return home;
    if (const char *data = std::getenv("XDG_DATA_HOME"); data && *data)
        return fs::path(data) / "zal";
    const char *user_home = std::getenv("HOME");
    if (!user_home || !*user_home) {
        if (passwd *pw = getpwuid(getuid()))
            user_home = pw->pw_dir;
    }
    return fs::path(user_home ? user_home : ".") / ".local" / "share" / "zal";
}

fs::path instance_marker() { return home_dir() / "zal.instance"; }

bool instance_started(std::error_code &ec) {
    struct stat st{};
    ec.clear();
    if (stat(instance_marker().c_str(), &st) == 0)
        return S_ISREG(st.st_mode);
    if (errno != ENOENT && errno != ENOTDIR)
        ec.assign(errno, std::generic_category());
    return false;
}

bool valid_database_name(const std::string &name) {
    if (name.empty() || name.size() > 64)
        return false;
    for (unsigned char c : name)
        if (!is_alnum(c) && c != '_' && c != '@' && c != '#' && c != '$')
            return false;
    return true;
}

fs::path database_path(const std::string &name) { return home_dir() / (upper(name) + ".db"); }

std::string login_name() {
    if (passwd *pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name)
        return pw->pw_name;
    if (const char *user = std::getenv("USER"); user && *user)
        return user;
    return "ZAL";
}

fs::path library_dir() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&library_dir), &info) && info.dli_fname) {
        std::error_code ec;
        fs::path p = fs::canonical(info.dli_fname, ec);
        if (!ec)
            return p.parent_path();
    }
    return {};
}

} // namespace zal
