#include "kestle_routines.h"

#include <zalapp.h>

#include <cstring>

namespace {
constexpr size_t name_size = 100;
}

int32_t runstats(const char *table) {
    // The name is copied into a buffer of its own; one that does not fit is refused before the
    // statistics call rather than cut or overflowed.
    char name[name_size];
    if (!table || strnlen(table, name_size) == name_size)
        return ZAL_SQLCODE_BAD_REQUEST;
    std::memcpy(name, table, std::strlen(table) + 1);

    zal_runstats_request request{};
    request.sample_percent = 0.0;
    request.table = name;
    request.flags = ZAL_RUNSTATS_TABLE;
    zal_sqlca ca{};
    zalRunstats(ZAL_RUNSTATS_VERSION, &request, &ca);
    return ca.sqlcode;
}
