// The control-file reader on arbitrary file contents, includes among them. The target works in
// a temporary directory of its own, and every "/" of the input becomes "_", so include lines
// can name only files in that directory.
#include "control_file.h"
#include "engine_fuzz_support.h"
#include "settings.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void write(const char *name, const std::string &text) {
    std::FILE *f = std::fopen(name, "wb");
    fuzz_check(f != nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_check(chdir(fuzz_work_dir("fuzz_control_file").c_str()) == 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    for (char &c : text)
        if (c == '/')
            c = '_';
    // The same text under two names, so that includes find files, themselves included.
    write("kestle.sql", text);
    write("inc.sql", text.substr(text.size() / 2));

    kestle::Settings s;
    kestle::ControlFile cf;
    SilentReporter r;
    kestle::ControlLoad load = kestle::read_control_file(cf, s, r, "kestle.sql");

    fuzz_check(cf.stmt_count >= 0 && static_cast<std::size_t>(cf.stmt_count) + 1 == cf.stmts.size());
    fuzz_check(load.count == 0 || load.count == cf.stmt_count);
    fuzz_check(load.nodes.size() == static_cast<std::size_t>(cf.stmt_count));
    for (std::size_t i = 0; i < load.nodes.size(); ++i) {
        const kestle::TreeNode &n = load.nodes[i];
        fuzz_check(n.parent >= -1 && n.parent < static_cast<int>(i));
        fuzz_check(n.tag == " " + std::to_string(i + 1));
        fuzz_check(n.text == cf.record(static_cast<int>(i) + 1).title);
    }
    return 0;
}
