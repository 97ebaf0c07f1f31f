// The highlight pass over any file: one that lacks the 8-bit layout is refused, and one that
// has it keeps its length and never has more bytes changed than it has pixel bytes.
#include "bitmap8.h"
#include "engine_fuzz_support.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    if (size < 3)
        return 0;
    const kestle::Rgb colour{data[0], data[1], data[2]};
    std::vector<unsigned char> file(data + 3, data + size);
    if (!kestle::is_bitmap8(file))
        return 0;
    const std::vector<unsigned char> before = file;
    const long count = kestle::highlight_pixels(file, colour);
    fuzz_check(file.size() == before.size());
    fuzz_check(count >= 0 && static_cast<std::size_t>(count) <= file.size() - kestle::bitmap8_pixel_offset);
    long changed = 0;
    for (std::size_t i = 0; i < file.size(); ++i)
        changed += file[i] != before[i] ? 1 : 0;
    fuzz_check(changed <= count);
    fuzz_check(std::equal(file.begin(), file.begin() + kestle::bitmap8_pixel_offset, before.begin()));
    return 0;
}
