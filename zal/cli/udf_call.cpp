// Calling external routines: binding entries, laying out arguments, carrying values in and out.
#include "udf_call.h"

#include "ascii.h"
#include "diagnostics.h"
#include "instance.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <sqlite3.h>
#include <utility>

namespace fs = std::filesystem;

namespace zal::udf {

namespace {

// arguments, results, their indicators, SQLSTATE, names, message, scratchpad, call type
constexpr size_t max_pointers = 2 * (max_params + max_results) + 6;

// An entry takes its pointers as separate arguments, so it is called at its exact arity.
using Caller = void (*)(void *entry, void **args);

// Entries declare pointers of their own types; every pointer is passed alike, so one type of
// call serves them all, which the sanitizer's check of function types cannot know.
template <size_t... I>
#if defined(__clang__)
__attribute__((no_sanitize("function")))
#endif
void call_with(void *entry, void **args, std::index_sequence<I...>) {
    using Entry = void (*)(decltype((void)I, static_cast<void *>(nullptr))...);
    reinterpret_cast<Entry>(entry)(args[I]...);
}

template <size_t N>
void call_fixed(void *entry, void **args) {
    call_with(entry, args, std::make_index_sequence<N>{});
}

template <size_t... N>
constexpr std::array<Caller, sizeof...(N)> make_callers(std::index_sequence<N...>) {
    return {&call_fixed<N>...};
}

constexpr auto callers = make_callers(std::make_index_sequence<max_pointers + 1>{});

// A library is named by its file name alone: no directory, nothing hidden, no odd characters.
bool bare_name(const std::string &library) {
    if (library.empty() || library.size() > 255 || library[0] == '.')
        return false;
    for (unsigned char c : library)
        if (!is_alnum(c) && c != '_' && c != '-' && c != '+' && c != '.')
            return false;
    return true;
}

// The library in the instance's function directory or the product's own directory, by its
// file name with or without the "lib" prefix and ".so" suffix.
void *open_library(const std::string &library, std::string &reason) {
    for (const fs::path &dir : {home_dir() / "function", library_dir()}) {
        if (dir.empty())
            continue;
        for (const std::string &file : {"lib" + library + ".so", library + ".so", library}) {
            const fs::path c = dir / file;
            std::error_code ec;
            if (!fs::is_regular_file(c, ec))
                continue;
            if (void *h = dlopen(c.c_str(), RTLD_NOW | RTLD_LOCAL))
                return h;
            if (const char *e = dlerror())
                reason = e;
        }
    }
    if (reason.empty())
        reason = text_of(Condition::LibraryNotFound);
    return nullptr;
}

// A number a routine left in its buffer; the buffers carry no alignment.
template <typename T>
T load(const unsigned char *b) {
    T x;
    std::memcpy(&x, b, sizeof x);
    return x;
}

// The longest value of a text or LOB result; longer declarations are held to it.
size_t declared_length(const Param &p) { return std::min<uint32_t>(p.type.size, 32 * 1024 * 1024); }

// A real or a text as an integer of [lo, hi], truncated toward zero as the engine converts it.
bool other_integer_in(sqlite3_value *v, int type, int64_t lo, int64_t hi, int64_t &out) {
    // hi + 1 is a power of two, exact as a double; NaN fails the test as well
    const double d = std::trunc(sqlite3_value_double(v));
    if (!(d >= static_cast<double>(lo) && d < static_cast<double>(hi) + 1.0))
        return false;
    // a text of many digits is exact as an integer, where its double may have lost the last ones
    const int64_t exact = type == SQLITE_TEXT ? sqlite3_value_int64(v) : 0;
    out = type == SQLITE_TEXT && static_cast<double>(exact) == d ? exact : static_cast<int64_t>(d);
    return true;
}

// The value (of the engine's storage class type) as an integer of [lo, hi]; false when it lies
// outside. An integer, the usual case, is taken in line.
inline bool integer_in(sqlite3_value *v, int type, int64_t lo, int64_t hi, int64_t &out) {
    if (type == SQLITE_INTEGER || type == SQLITE_NULL) {
        out = sqlite3_value_int64(v);
        return out >= lo && out <= hi;
    }
    return other_integer_in(v, type, lo, hi, out);
}

} // namespace

Binding named(const std::string &external, const std::string &function_name) {
    Binding b;
    auto bang = external.find('!');
    b.library = external.substr(0, bang);
    b.entry_name = bang == std::string::npos ? function_name : external.substr(bang + 1);
    if (!bare_name(b.library))
        b.reason = text_of(Condition::LibraryNotBare);
    return b;
}

Binding bind(const std::string &external, const std::string &function_name) {
    Binding b = named(external, function_name);
    if (!b.reason.empty())
        return b;
    void *h = open_library(b.library, b.reason);
    if (!h)
        return b;
    dlerror();
    b.entry = dlsym(h, b.entry_name.c_str());
    if (!b.entry)
        b.reason = text_of(Condition::EntryNotFound);
    return b;
}

void Frame::prepare(const Definition &d, const std::string &qualified_name, void *scratchpad, int32_t *call_type) {
    params = d.params.size();
    const size_t n = params + d.results.size();
    values.assign(n, std::vector<unsigned char>(ZAL_BUFFER_MIN_LEN, 0));
    indicators.assign(n, 0);
    std::snprintf(name, sizeof name, "%s", qualified_name.c_str());
    std::snprintf(specific, sizeof specific, "%s", d.name.c_str());
    for (size_t k = 0; k < d.results.size(); ++k)
        size_result(params + k, d.results[k]);
    pointers.clear();
    for (auto &v : values)
        pointers.push_back(v.data());
    for (auto &i : indicators)
        pointers.push_back(&i);
    pointers.push_back(sqlstate);
    pointers.push_back(name);
    pointers.push_back(specific);
    pointers.push_back(message);
    if (scratchpad) {
        pointers.push_back(scratchpad);
        pointers.push_back(call_type);
    }
    ready = true;
}

// A routine may write a result as long as its declared length and never less than
// ZAL_BUFFER_MIN_LEN bytes, whatever the registration declares.
void Frame::size_result(size_t k, const Param &p) {
    size_t bytes = 0;
    if (p.kind == Kind::Text)
        bytes = declared_length(p) + 1;
    else if (p.kind == Kind::Lob)
        bytes = sizeof(uint32_t) + declared_length(p) + 1;
    values[k].assign(std::max<size_t>(bytes, ZAL_BUFFER_MIN_LEN), 0);
}

void Frame::grow_argument(size_t k, size_t bytes) {
    std::vector<unsigned char> &buf = values[k];
    buf.resize(bytes);
    pointers[k] = buf.data();
}

void Frame::clear_results() {
    for (size_t k = params; k < values.size(); ++k) {
        std::memset(values[k].data(), 0, 8);
        indicators[k] = 0;
    }
    std::memcpy(sqlstate, "00000", 6);
    message[0] = '\0';
}

void Frame::call(void *entry) { callers[pointers.size()](entry, pointers.data()); }

bool Frame::set_argument(size_t k, const Param &p, sqlite3_value *v, int type) {
    indicators[k] = type == SQLITE_NULL ? -1 : 0;
    auto put = [&](const auto &x) {
        std::memcpy(argument(k, sizeof x), &x, sizeof x);
        return true;
    };
    int64_t i = 0;
    switch (p.kind) {
    case Kind::Int16:
        return integer_in(v, type, INT16_MIN, INT16_MAX, i) && put(static_cast<int16_t>(i));
    case Kind::Int32:
        return integer_in(v, type, INT32_MIN, INT32_MAX, i) && put(static_cast<int32_t>(i));
    case Kind::Int64:
        return integer_in(v, type, INT64_MIN, INT64_MAX, i) && put(i);
    case Kind::Float: {
        const double d = sqlite3_value_double(v);
        return !(std::isfinite(d) && std::fabs(d) > FLT_MAX) && put(static_cast<float>(d));
    }
    case Kind::Double:
        return put(sqlite3_value_double(v));
    case Kind::Text: {
        auto *s = sqlite3_value_text(v);
        auto n = static_cast<size_t>(sqlite3_value_bytes(v));
        unsigned char *buf = argument(k, n + 1);
        if (n)
            std::memcpy(buf, s, n);
        buf[n] = 0;
        break;
    }
    case Kind::Lob: {
        const void *s = sqlite3_value_blob(v);
        auto n = static_cast<uint32_t>(sqlite3_value_bytes(v));
        unsigned char *buf = argument(k, sizeof n + n + 1);
        std::memcpy(buf, &n, sizeof n);
        if (n)
            std::memcpy(buf + sizeof n, s, n);
        buf[sizeof n + n] = 0;
        break;
    }
    }
    return true;
}

void Frame::deliver(sqlite3_context *ctx, size_t k, const Param &p) const {
    if (indicators[k] < 0) {
        sqlite3_result_null(ctx);
        return;
    }
    const unsigned char *b = values[k].data();
    switch (p.kind) {
    case Kind::Int16:
        return sqlite3_result_int(ctx, load<int16_t>(b));
    case Kind::Int32:
        return sqlite3_result_int(ctx, load<int32_t>(b));
    case Kind::Int64:
        return sqlite3_result_int64(ctx, load<int64_t>(b));
    case Kind::Float:
        return sqlite3_result_double(ctx, load<float>(b));
    case Kind::Double:
        return sqlite3_result_double(ctx, load<double>(b));
    case Kind::Text: {
        const size_t n = strnlen(reinterpret_cast<const char *>(b), declared_length(p));
        return sqlite3_result_text(ctx, reinterpret_cast<const char *>(b), static_cast<int>(n), SQLITE_TRANSIENT);
    }
    case Kind::Lob: {
        const int n = static_cast<int>(std::min<size_t>(load<uint32_t>(b), declared_length(p)));
        const unsigned char *data = b + sizeof(uint32_t);
        if (p.type.sql_type == SQL_CLOB)
            return sqlite3_result_text(ctx, reinterpret_cast<const char *>(data), n, SQLITE_TRANSIENT);
        return sqlite3_result_blob(ctx, data, n, SQLITE_TRANSIENT);
    }
    }
}

} // namespace zal::udf
