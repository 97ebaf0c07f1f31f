// Calling external routines: binding entries, laying out arguments, carrying values in and out.
#include "udf_call.h"

#include "instance.h"

#include <array>
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

template <size_t... I>
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

void *open_library(const std::string &library, std::string &reason) {
    std::vector<fs::path> candidates;
    if (library.find('/') != std::string::npos) {
        candidates.push_back(library);
    } else {
        for (const fs::path &dir : {home_dir() / "function", library_dir()}) {
            if (dir.empty())
                continue;
            candidates.push_back(dir / ("lib" + library + ".so"));
            candidates.push_back(dir / (library + ".so"));
            candidates.push_back(dir / library);
        }
        candidates.push_back("lib" + library + ".so");
        candidates.push_back(library);
    }
    for (const fs::path &c : candidates) {
        std::error_code ec;
        if (c.has_parent_path() && !fs::exists(c, ec))
            continue;
        if (void *h = dlopen(c.c_str(), RTLD_NOW | RTLD_LOCAL))
            return h;
        if (const char *e = dlerror())
            reason = e;
    }
    if (reason.empty())
        reason = "library not found";
    return nullptr;
}

// A number a routine left in its buffer; the buffers carry no alignment.
template <typename T>
T load(const unsigned char *b) {
    T x;
    std::memcpy(&x, b, sizeof x);
    return x;
}

} // namespace

Binding bind(const std::string &external, const std::string &function_name) {
    Binding b;
    auto bang = external.find('!');
    b.library = external.substr(0, bang);
    b.entry_name = bang == std::string::npos ? function_name : external.substr(bang + 1);
    void *h = open_library(b.library, b.reason);
    if (!h)
        return b;
    dlerror();
    b.entry = dlsym(h, b.entry_name.c_str());
    if (!b.entry)
        b.reason = "entry not found";
    return b;
}

void Frame::prepare(const Definition &d, const std::string &qualified_name, void *scratchpad, int32_t *call_type) {
    params = d.params.size();
    const size_t n = params + d.results.size();
    values.assign(n, std::vector<unsigned char>(8, 0));
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

void Frame::size_result(size_t k, const Param &p) {
    size_t bytes = 8;
    if (p.kind == Kind::Text)
        bytes = static_cast<size_t>(std::min<uint32_t>(p.type.size, 32 * 1024 * 1024)) + 1;
    else if (p.kind == Kind::Lob)
        bytes = sizeof(uint32_t) + static_cast<size_t>(std::min<uint32_t>(p.type.size, 32 * 1024 * 1024)) + 1;
    values[k].assign(std::max<size_t>(bytes, 8), 0);
}

// Argument buffer k, at least `bytes` long.
unsigned char *Frame::argument(size_t k, size_t bytes) {
    std::vector<unsigned char> &buf = values[k];
    if (buf.size() < bytes) {
        buf.resize(bytes);
        pointers[k] = buf.data();
    }
    return buf.data();
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

void Frame::set_argument(size_t k, const Param &p, sqlite3_value *v) {
    indicators[k] = sqlite3_value_type(v) == SQLITE_NULL ? -1 : 0;
    auto put = [&](const auto &x) { std::memcpy(argument(k, sizeof x), &x, sizeof x); };
    switch (p.kind) {
    case Kind::Int16:
        return put(static_cast<int16_t>(sqlite3_value_int(v)));
    case Kind::Int32:
        return put(static_cast<int32_t>(sqlite3_value_int(v)));
    case Kind::Int64:
        return put(static_cast<int64_t>(sqlite3_value_int64(v)));
    case Kind::Float:
        return put(static_cast<float>(sqlite3_value_double(v)));
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
        // a routine that filled its whole buffer without a NUL is cut at the declared length
        const size_t n = strnlen(reinterpret_cast<const char *>(b), values[k].size() - 1);
        return sqlite3_result_text(ctx, reinterpret_cast<const char *>(b), static_cast<int>(n), SQLITE_TRANSIENT);
    }
    case Kind::Lob: {
        const size_t room = values[k].size() - sizeof(uint32_t) - 1;
        const int n = static_cast<int>(std::min<uint32_t>(load<uint32_t>(b), static_cast<uint32_t>(room)));
        const unsigned char *data = b + sizeof(uint32_t);
        if (p.type.sql_type == SQL_CLOB)
            return sqlite3_result_text(ctx, reinterpret_cast<const char *>(data), n, SQLITE_TRANSIENT);
        return sqlite3_result_blob(ctx, data, n, SQLITE_TRANSIENT);
    }
    }
}

} // namespace zal::udf
