// airports over any data file: the input is $ZAL_HOME/AIRPORTS.DAT, read by one whole scan.
#include "fuzz_support.h"
#include "kestle_routines.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A result holds 48 characters and a NUL: the least a registration may declare.
constexpr size_t result_bytes = 49;

std::string data_file;

// One call of the scan with the pointers the database passes.
void call(char *city, char *code, char *sqlstate, zal_scratchpad &pad, int32_t type) {
    zal_null_indicator city_ind = -1, code_ind = -1;
    char name[ZAL_ROUTINE_NAME_LEN] = "FUZZ.AIRPORTS", specific[ZAL_ROUTINE_NAME_LEN] = "AIRPORTS";
    char message[ZAL_MESSAGE_LEN + 1] = {};
    std::memcpy(sqlstate, "00000", ZAL_SQLSTATE_LEN + 1);
    airports(city, code, &city_ind, &code_ind, sqlstate, name, specific, message, &pad, &type);
    if (type == ZAL_CALL_FETCH && std::strcmp(sqlstate, "00000") == 0)
        fuzz_check(city_ind == 0 && code_ind == 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    const std::string home = fuzz_work_dir("fuzz_airports");
    setenv("ZAL_HOME", home.c_str(), 1);
    data_file = home + "/AIRPORTS.DAT";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    std::FILE *f = std::fopen(data_file.c_str(), "wb");
    fuzz_check(f != nullptr);
    std::fwrite(data, 1, size, f);
    fuzz_check(std::fclose(f) == 0);

    // Buffers of exactly their length, so that any write past them is caught.
    auto *city = static_cast<char *>(std::malloc(result_bytes));
    auto *code = static_cast<char *>(std::malloc(result_bytes));
    char sqlstate[ZAL_SQLSTATE_LEN + 1];
    zal_scratchpad pad{};
    pad.length = ZAL_SCRATCHPAD_LEN;
    call(city, code, sqlstate, pad, ZAL_CALL_OPEN);
    fuzz_check(std::strcmp(sqlstate, "00000") == 0);
    // every row takes at least one byte of the file
    size_t rows = 0;
    for (;;) {
        call(city, code, sqlstate, pad, ZAL_CALL_FETCH);
        if (std::strcmp(sqlstate, ZAL_SQLSTATE_END_OF_TABLE) == 0)
            break;
        fuzz_check(++rows <= size);
        fuzz_check(std::memchr(city, 0, result_bytes) && std::memchr(code, 0, result_bytes));
        fuzz_check(std::strlen(city) + std::strlen(code) < result_bytes);
    }
    call(city, code, sqlstate, pad, ZAL_CALL_CLOSE);
    std::free(city);
    std::free(code);
    return 0;
}
