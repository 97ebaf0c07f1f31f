#include "kestle_routines.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char *file_name = "AIRPORTS.DAT";
constexpr const char *end_of_table = ZAL_SQLSTATE_END_OF_TABLE;
constexpr int line_chars = 49;   // one fetch reads at most this many characters
constexpr int result_chars = 48; // each result column holds this many

constexpr const char *default_lines[] = {
    "Toronto,YYZ;",     "Vancouver,YVR;", "San Francisco,SFO;", "Chicago,ORD;",
    "Los Angeles,LAX;", "Tokyo,NRT;",     "Hong Kong,HKG;",     "Singapore,SIN;",
    "London,LHR;",      "Sydney,SYD;",    "Melbourne,MEL;",     "San Jose,SJC;",
};

// The scan's state, kept between calls at the start of the scratchpad's data area.
struct ScanState {
    FILE *stream;
    int32_t status; // 1 open, -1 failed open, 0 before the open
};
static_assert(sizeof(ScanState) <= ZAL_SCRATCHPAD_LEN);

void end_table(char *sqlstate) {
    if (sqlstate)
        std::memcpy(sqlstate, end_of_table, ZAL_SQLSTATE_LEN + 1);
}

const char *non_empty_env(const char *name) {
    const char *value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The data file lies in the instance directory: $ZAL_HOME, by default $XDG_DATA_HOME/zal or
// ~/.local/share/zal. False when there is no such directory or the path does not fit.
bool data_file_path(char (&path)[PATH_MAX]) {
    int n;
    if (const char *home = non_empty_env("ZAL_HOME"))
        n = std::snprintf(path, sizeof path, "%s/%s", home, file_name);
    else if (const char *data = non_empty_env("XDG_DATA_HOME"))
        n = std::snprintf(path, sizeof path, "%s/zal/%s", data, file_name);
    else if (const char *user = non_empty_env("HOME"))
        n = std::snprintf(path, sizeof path, "%s/.local/share/zal/%s", user, file_name);
    else
        return false;
    return n > 0 && size_t(n) < sizeof path;
}

// Writes the default rows into a file that did not exist. Exclusive creation keeps a file that
// another scan has just made; a half-written file is removed, so it is never taken for the data.
// Like every file of the instance it is the owner's alone.
void create_defaults(const char *path) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    FILE *out = ::fdopen(fd, "w");
    if (!out) {
        ::close(fd);
        std::remove(path);
        return;
    }
    bool ok = true;
    for (const char *line : default_lines)
        ok = ok && std::fputs(line, out) >= 0 && std::fputc('\n', out) != EOF;
    if (std::fclose(out) != 0 || !ok)
        std::remove(path);
}

FILE *open_data_file() {
    char path[PATH_MAX];
    if (!data_file_path(path))
        return nullptr;
    if (FILE *in = std::fopen(path, "r"))
        return in;
    create_defaults(path);
    return std::fopen(path, "r");
}

// Copies n characters into a result column and ends it.
void put_column(char *column, const char *from, size_t n) {
    std::memcpy(column, from, n);
    column[n] = 0;
}

// Reads the next line, or the next piece of an over-long one, into city and code.
bool fetch_row(FILE *stream, char *city, char *code) {
    char line[256];
    if (!std::fgets(line, line_chars + 1, stream))
        return false;
    const size_t len = std::strlen(line);
    const char *comma = static_cast<const char *>(std::memchr(line, ',', len));
    if (!comma) {
        // A piece without a comma (an empty line, the rest of a long line) is all city, cut to
        // the column, with an empty code.
        put_column(city, line, len < size_t(result_chars) ? len : size_t(result_chars));
        put_column(code, line, 0);
        return true;
    }
    put_column(city, line, size_t(comma - line));
    const char *from = comma + 1;
    const size_t rest = len - size_t(from - line);
    const char *semicolon = static_cast<const char *>(std::memchr(from, ';', rest));
    put_column(code, from, semicolon ? size_t(semicolon - from) : rest);
    return true;
}

} // namespace

void airports(char *city, char *code, zal_null_indicator *city_ind, zal_null_indicator *code_ind, char *sqlstate,
              const char *, const char *, char *, zal_scratchpad *scratchpad, const int32_t *call_type) {
    if (!scratchpad || !call_type) {
        end_table(sqlstate);
        return;
    }
    ScanState state;
    std::memcpy(&state, scratchpad->data, sizeof state);
    if (*call_type == ZAL_CALL_OPEN) {
        state.stream = open_data_file();
        state.status = state.stream ? 1 : -1;
        if (!state.stream)
            end_table(sqlstate);
    } else if (*call_type == ZAL_CALL_CLOSE) {
        if (state.status == 1 && state.stream)
            std::fclose(state.stream);
        state.stream = nullptr;
    } else {
        if (state.status != 1 || !state.stream || !city || !code || !fetch_row(state.stream, city, code)) {
            end_table(sqlstate);
            return;
        }
        if (city_ind)
            *city_ind = 0;
        if (code_ind)
            *code_ind = 0;
        return;
    }
    std::memcpy(scratchpad->data, &state, sizeof state);
}
