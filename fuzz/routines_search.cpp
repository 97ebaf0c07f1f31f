// search over any pattern and text: the pattern before the first NUL byte (or the first half of
// the input when there is none), the text after it.
#include "kestle_routines.h"

#include <cstddef>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const uint8_t *nul = static_cast<const uint8_t *>(std::memchr(data, 0, size));
    const size_t split = nul ? size_t(nul - data) : size / 2;
    const size_t text_from = nul ? split + 1 : split;
    // Buffers of exactly the value and its NUL, so that any read past them is caught.
    std::vector<char> pattern(data, data + split), text(data + text_from, data + size);
    pattern.push_back(0);
    text.push_back(0);
    int32_t result = -1;
    zal_null_indicator indicator = -1;
    search(pattern.data(), text.data(), &result, nullptr, nullptr, &indicator, nullptr, nullptr, nullptr, nullptr);
    // A match begins at most one past the text, where its end takes part as byte 0.
    if (indicator != 0 || result < 0 || size_t(result) > std::strlen(text.data()) + 1)
        __builtin_trap();
    return 0;
}
