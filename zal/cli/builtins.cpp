// The special registers and the scalar functions of the ZAL dialect, as functions of the engine.
#include "builtins.h"

#include "ascii.h"
#include "connection.h"
#include "guard.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <sqlite3.h>
#include <string>

namespace zal {

namespace {

Connection &connection_of(sqlite3_context *ctx) { return *static_cast<Connection *>(sqlite3_user_data(ctx)); }

void result_text(sqlite3_context *ctx, const std::string &s) {
    sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

std::string value_text(sqlite3_value *v) {
    auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return std::string(p ? p : "", static_cast<size_t>(sqlite3_value_bytes(v)));
}

// The functions give null for a null argument x.
bool gave_null(sqlite3_context *ctx, sqlite3_value *x) {
    if (sqlite3_value_type(x) != SQLITE_NULL)
        return false;
    sqlite3_result_null(ctx);
    return true;
}

void register_user(sqlite3_context *ctx, int, sqlite3_value **) { result_text(ctx, connection_of(ctx).user()); }
void register_server(sqlite3_context *ctx, int, sqlite3_value **) {
    result_text(ctx, connection_of(ctx).database());
}

// Local time, formatted; the microseconds come from the same reading.
std::string now_text(const char *format, bool micros) {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    size_t n = std::strftime(buf, sizeof buf, format, &tm);
    std::string s(buf, n);
    if (micros) {
        auto us = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000;
        char frac[16];
        std::snprintf(frac, sizeof frac, ".%06lld", static_cast<long long>(us));
        s += frac;
    }
    return s;
}

void register_date(sqlite3_context *ctx, int, sqlite3_value **) { result_text(ctx, now_text("%Y-%m-%d", false)); }
void register_time(sqlite3_context *ctx, int, sqlite3_value **) { result_text(ctx, now_text("%H:%M:%S", false)); }
void register_timestamp(sqlite3_context *ctx, int, sqlite3_value **) {
    result_text(ctx, now_text("%Y-%m-%d %H:%M:%S", true));
}

// YEAR, MONTH and DAY of a date or timestamp text.
template <int From, int Length>
void date_part(sqlite3_context *ctx, int, sqlite3_value **argv) {
    auto *p = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    if (!p || sqlite3_value_bytes(argv[0]) < From + Length) {
        sqlite3_result_null(ctx);
        return;
    }
    int v = 0;
    for (int i = From; i < From + Length; ++i) {
        if (!is_digit(p[i])) {
            sqlite3_result_null(ctx);
            return;
        }
        v = v * 10 + (p[i] - '0');
    }
    sqlite3_result_int(ctx, v);
}

template <bool Upper>
void change_case(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (!gave_null(ctx, argv[0]))
        result_text(ctx, Upper ? upper(value_text(argv[0])) : lower(value_text(argv[0])));
}

// VALUE(a, b, ...): the first argument that is not null.
void first_value(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) != SQLITE_NULL) {
            sqlite3_result_value(ctx, argv[i]);
            return;
        }
    sqlite3_result_null(ctx);
}

void concat(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (!gave_null(ctx, argv[0]) && !gave_null(ctx, argv[1]))
        result_text(ctx, value_text(argv[0]) + value_text(argv[1]));
}

// x truncated toward zero as the result; an x beyond a 64-bit integer fails the statement.
void result_truncated(sqlite3_context *ctx, sqlite3_value *x) {
    if (sqlite3_value_type(x) == SQLITE_INTEGER) {
        sqlite3_result_int64(ctx, sqlite3_value_int64(x));
        return;
    }
    const double v = std::trunc(sqlite3_value_double(x));
    if (v >= -9223372036854775808.0 && v < 9223372036854775808.0) {
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(v));
        return;
    }
    Diagnostic d = diagnose(Condition::NumericOverflow);
    sqlite3_result_error(ctx, d.text.c_str(), -1);
    connection_of(ctx).raise(std::move(d));
}

// DECIMAL(x [, precision [, scale]]): x rounded to the scale (0 by default).
void to_decimal(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (gave_null(ctx, argv[0]))
        return;
    int scale = argc >= 3 ? sqlite3_value_int(argv[2]) : 0;
    if (scale <= 0) {
        result_truncated(ctx, argv[0]);
        return;
    }
    double v = sqlite3_value_double(argv[0]);
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", std::min(scale, 30), v);
    result_text(ctx, buf);
}

void to_integer(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (!gave_null(ctx, argv[0]))
        result_truncated(ctx, argv[0]);
}

void to_double(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (!gave_null(ctx, argv[0]))
        sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
}

// CHAR(x): the text of x.
void to_char(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (!gave_null(ctx, argv[0]))
        result_text(ctx, value_text(argv[0]));
}

struct FunctionEntry {
    const char *name;
    int args;
    ScalarFunction fn;
    bool deterministic;
};

const FunctionEntry functions[] = {
    {"ZAL_USER", 0, guarded_function<register_user>, false},
    {"ZAL_SERVER", 0, guarded_function<register_server>, false},
    {"ZAL_CURRENT_DATE", 0, guarded_function<register_date>, false},
    {"ZAL_CURRENT_TIME", 0, guarded_function<register_time>, false},
    {"ZAL_CURRENT_TIMESTAMP", 0, guarded_function<register_timestamp>, false},
    {"YEAR", 1, guarded_function<date_part<0, 4>>, true},
    {"MONTH", 1, guarded_function<date_part<5, 2>>, true},
    {"DAY", 1, guarded_function<date_part<8, 2>>, true},
    {"UCASE", 1, guarded_function<change_case<true>>, true},
    {"LCASE", 1, guarded_function<change_case<false>>, true},
    {"VALUE", -1, guarded_function<first_value>, true},
    {"CONCAT", 2, guarded_function<concat>, true},
    {"DECIMAL", 1, guarded_function<to_decimal>, true},
    {"DECIMAL", 2, guarded_function<to_decimal>, true},
    {"DECIMAL", 3, guarded_function<to_decimal>, true},
    {"DEC", 1, guarded_function<to_decimal>, true},
    {"DEC", 2, guarded_function<to_decimal>, true},
    {"DEC", 3, guarded_function<to_decimal>, true},
    {"INTEGER", 1, guarded_function<to_integer>, true},
    {"INT", 1, guarded_function<to_integer>, true},
    {"DOUBLE", 1, guarded_function<to_double>, true},
    {"CHAR", 1, guarded_function<to_char>, true},
};

} // namespace

bool install_builtins(Connection &c, Diagnostic &error) {
    sqlite3 *db = c.db();
    for (const FunctionEntry &f : functions) {
        int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
        if (!engine_ok(db, sqlite3_create_function_v2(db, f.name, f.args, flags, &c, f.fn, nullptr, nullptr, nullptr),
                       error))
            return false;
    }
    return true;
}

} // namespace zal
