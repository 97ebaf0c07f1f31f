// Variable substitution over a table the input fills, then over the rest of the input.
#include "engine_fuzz_support.h"
#include "variables.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    kestle::Variables v;
    int count = in.ConsumeIntegralInRange(0, 300);
    for (int i = 0; i < count && in.remaining_bytes() > 0; ++i) {
        std::string name = in.ConsumeRandomLengthString(16);
        std::string value = in.ConsumeRandomLengthString(64);
        int k = kestle::var_add(v, name, value);
        fuzz_check(k >= 0 && k <= kestle::Variables::size && v.var_count <= kestle::Variables::size);
        fuzz_check(k == 0 || kestle::var_find(v, name) == k);
    }
    std::string text = in.ConsumeRemainingBytesAsString();
    std::string out = kestle::var_sub(v, text);
    if (v.var_count == 0)
        fuzz_check(out == text);
    if (text.find('[') == std::string::npos)
        fuzz_check(out == text);
    return 0;
}
