// rgb over any map: the colour from the first three bytes, the map from the rest.
#include "kestle_routines.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    int32_t colour[3] = {0, 0, 0};
    size_t k = 0;
    for (; k < 3 && k < size; ++k)
        colour[k] = data[k];
    const uint32_t length = uint32_t(size - k);
    // The value lies in a block of exactly its length, so that any read past it is caught.
    auto *value = static_cast<unsigned char *>(std::malloc(sizeof length + length));
    std::memcpy(value, &length, sizeof length);
    std::memcpy(value + sizeof length, data + k, length);
    int32_t result = -1;
    zal_null_indicator indicator = -1;
    rgb(reinterpret_cast<const zal_blob *>(value), &colour[0], &colour[1], &colour[2], &result, nullptr, nullptr,
        nullptr, nullptr, &indicator, nullptr, nullptr, nullptr, nullptr);
    std::free(value);
    if (indicator != 0 || (result != 0 && result != 1))
        __builtin_trap();
    return 0;
}
