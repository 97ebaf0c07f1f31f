// The runner's text work on arbitrary text, with and without the "@" delimiter, and the
// skip and comment tests on each statement.
#include "engine_fuzz_support.h"
#include "run_text.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    if (size == 0)
        return 0;
    bool run_at = data[0] & 1;
    std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
    std::vector<std::string> statements = kestle::split_run_text(text, run_at);
    fuzz_check(statements.size() <= kestle::max_run_statements);
    std::size_t total = 0;
    for (const std::string &s : statements) {
        fuzz_check(s.find('\t') == std::string::npos);
        fuzz_check(s.find("--") == std::string::npos);
        fuzz_check(s.find("\r\n") == std::string::npos);
        total += s.size();
        kestle::is_endif(s);
        kestle::is_comment(s);
    }
    fuzz_check(total <= text.size());
    return 0;
}
