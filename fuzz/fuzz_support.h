// What every fuzz target uses: the check of an invariant and a work directory of its own.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// Stops the run with a finding when an invariant does not hold.
inline void fuzz_check(bool ok) {
    if (!ok)
        std::abort();
}

// A new directory <name>-XXXXXX in the temporary directory ($TMPDIR, /tmp), removed with all it
// holds when the run ends.
inline std::string fuzz_work_dir(const char *name) {
    static std::string dir;
    std::string pattern = (std::filesystem::temp_directory_path() / name).string() + "-XXXXXX";
    fuzz_check(mkdtemp(pattern.data()) != nullptr);
    dir = pattern;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    });
    return dir;
}
