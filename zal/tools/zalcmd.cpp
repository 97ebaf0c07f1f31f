// zalcmd: the command window launcher of the ZAL product.
// It sets up the ZAL environment and runs a command in it, here in this terminal, and ends with the
// command's exit status.
#include "diagnostics.h"
#include "instance.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

constexpr const char *usage =
    "usage: zalcmd [/c] [/w] [/i] command [arguments]\n"
    "Runs the command through /bin/sh with the ZAL tools first on PATH and ZAL_HOME set, and\n"
    "ends with its exit status. /c (end when done), /w (wait) and /i (this terminal) all mean\n"
    "\"run it here and wait\". A single argument is a shell command line; several arguments\n"
    "are a command and its arguments, passed unchanged.\n";

using zal::Condition;
using zal::text_of;

constexpr int exit_usage = 1;
constexpr int exit_cannot_run = 127;

bool slash_option(const char *arg) {
    return arg[0] == '/' && std::isalpha(static_cast<unsigned char>(arg[1])) && arg[2] == '\0';
}

std::string shell_quoted(const std::string &s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The directory of this program: the tools and libraries of the installation lie there.
std::filesystem::path own_dir() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
}

} // namespace

int main(int argc, char **argv) {
    int i = 1;
    for (; i < argc && slash_option(argv[i]); ++i) {
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(argv[i][1])));
        if (letter != 'c' && letter != 'w' && letter != 'i') {
            std::cerr << text_of(Condition::OptionNotValid, {"zalcmd", argv[i]}) << "\n" << usage;
            return exit_usage;
        }
    }
    if (i >= argc) {
        std::cerr << text_of(Condition::NoCommandGiven) << "\n" << usage;
        return exit_usage;
    }
    std::string line;
    if (argc - i == 1) {
        line = argv[i];
    } else {
        for (; i < argc; ++i)
            line += (line.empty() ? "" : " ") + shell_quoted(argv[i]);
    }

    const std::filesystem::path bin = own_dir();
    if (!bin.empty()) {
        const char *path = std::getenv("PATH");
        const std::string value = bin.string() + (path && *path ? ":" + std::string(path) : "");
        setenv("PATH", value.c_str(), 1);
    }
    const char *home = std::getenv("ZAL_HOME");
    if (!home || !*home)
        setenv("ZAL_HOME", zal::home_dir().c_str(), 1);

    execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char *>(nullptr));
    std::cerr << text_of(Condition::ShellNotStarted, {std::strerror(errno)}) << "\n";
    return exit_cannot_run;
}
