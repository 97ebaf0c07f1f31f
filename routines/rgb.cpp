#include "kestle_routines.h"
#include "scalar_args.h"

namespace {

constexpr int max_entries = 65;
constexpr int entry_size = 4;
constexpr unsigned char end_of_map = 255;

bool map_holds(const zal_blob &map, int32_t red, int32_t green, int32_t blue) {
    // The length word bounds the scan too: a short map without its end entry stops at its last
    // whole colour, never reading past the value.
    const uint32_t whole = map.length < 3 ? 0 : (map.length - 3) / entry_size + 1;
    const uint32_t entries = whole < max_entries ? whole : max_entries;
    const unsigned char *entry = map.data;
    for (uint32_t k = 0; k < entries; ++k, entry += entry_size) {
        if (entry[0] == end_of_map)
            return false;
        if (entry[0] == red && entry[1] == green && entry[2] == blue)
            return true;
    }
    return false;
}

} // namespace

void rgb(const zal_blob *map, const int32_t *red, const int32_t *green, const int32_t *blue, int32_t *result,
         const zal_null_indicator *map_ind, const zal_null_indicator *red_ind,
         const zal_null_indicator *green_ind, const zal_null_indicator *blue_ind, zal_null_indicator *result_ind,
         char *, const char *, const char *, char *) {
    kestle::start_result(result, result_ind);
    if (kestle::null_argument(map, map_ind, result_ind) || kestle::null_argument(red, red_ind, result_ind) ||
        kestle::null_argument(green, green_ind, result_ind) || kestle::null_argument(blue, blue_ind, result_ind))
        return;
    if (map_holds(*map, *red, *green, *blue))
        kestle::set_result(result, 1);
}
