// The command parser in both modes, and the quoted-string reader, on arbitrary text.
#include "engine_fuzz_support.h"
#include "parser.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    kestle::ParsedCommand p;
    SilentReporter r;

    kestle::parsecmd(p, r, true, "%" + text);
    fuzz_check(p.opt_count >= 0 && p.opt_count <= kestle::ParsedCommand::max_options);
    fuzz_check(p.cmd_args.size() <= text.size());
    for (int i = 1; i <= p.opt_count; ++i)
        fuzz_check(p.opt_key[i].size() + p.opt_value[i].size() <= text.size());

    kestle::parsestring(p, p.cmd_args);
    fuzz_check(p.quoted_count >= 1 && p.quoted_count <= kestle::ParsedCommand::max_quoted);

    kestle::parsecmd(p, r, false, text);
    fuzz_check(p.cmd_keyword == "*");
    fuzz_check(p.opt_count >= 0 && p.opt_count <= kestle::ParsedCommand::max_options);
    return 0;
}
