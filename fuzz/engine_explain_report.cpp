// Reading an explain report back, on arbitrary file contents: what it shows opens with the
// cost, then an empty line, then plan lines that are neither blank nor the end marker.
#include "engine_fuzz_support.h"
#include "explain_report.h"

#include <cstdio>
#include <optional>
#include <string>

namespace {

std::string report_file;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    report_file = fuzz_work_dir("fuzz_explain_report") + "/report";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    std::FILE *f = std::fopen(report_file.c_str(), "wb");
    fuzz_check(f != nullptr);
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    const std::optional<std::string> shown = kestle::explain_view(report_file);
    if (!shown)
        return 0;
    fuzz_check(shown->rfind("Cost =", 0) == 0);
    std::size_t at = shown->find("\r\n");
    fuzz_check(at != std::string::npos);
    for (int n = 0; (at = shown->find("\r\n", at)) != std::string::npos; ++n) {
        at += 2;
        const std::size_t end = shown->find("\r\n", at);
        const std::string line = shown->substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (n == 0) {
            fuzz_check(line.empty());
        } else {
            fuzz_check(line.find_first_not_of(' ') != std::string::npos && line.rfind("===", 0) != 0);
            fuzz_check(line.find_first_of("\r\n") == std::string::npos);
        }
    }
    return 0;
}
