// Declared types and storage classes as SQL types, and values as text.
#include "types.h"

#include "dialect.h"

#include <zalcli.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <vector>

namespace zal {

namespace {

ColumnType make(int16_t sql_type, uint32_t size, int16_t scale, const char *coltype, int32_t length) {
    return {true, sql_type, size, scale, coltype, length};
}

} // namespace

ColumnType parse_declared_type(std::string_view declared) {
    std::vector<std::string> words;
    std::vector<long long> numbers;
    for (const Token &t : significant(lex(declared))) {
        if (t.kind == TokenKind::Ident && numbers.empty()) {
            // a length suffix follows its number: "32K"
            words.push_back(identifier_name(t));
        } else if (t.kind == TokenKind::Number) {
            numbers.push_back(parse_length(t.text, ""));
        } else if (t.kind == TokenKind::Ident && !numbers.empty() && numbers.back() >= 0) {
            long long n = parse_length(std::to_string(numbers.back()), t.text);
            if (n >= 0)
                numbers.back() = n;
        }
    }
    if (words.empty())
        return {};
    auto number = [&](size_t i, long long fallback) {
        long long n = i < numbers.size() && numbers[i] >= 0 ? numbers[i] : fallback;
        return static_cast<uint32_t>(std::min<long long>(n, 2147483647LL));
    };
    const std::string &w = words[0];
    const bool varying = words.size() > 1 && words[1] == "VARYING";
    if ((w == "CHAR" || w == "CHARACTER" || w == "GRAPHIC" || w == "NCHAR") && !varying) {
        uint32_t n = number(0, 1);
        return make(SQL_CHAR, n, 0, "CHAR", static_cast<int32_t>(n));
    }
    if (w == "VARCHAR" || w == "VARGRAPHIC" || w == "NVARCHAR" || varying) {
        uint32_t n = number(0, 254);
        return make(SQL_VARCHAR, n, 0, "VARCHAR", static_cast<int32_t>(n));
    }
    if (w == "LONG")
        return make(SQL_VARCHAR, 32700, 0, "LONGVAR", 32700);
    if (w == "SMALLINT" || w == "BOOLEAN")
        return make(SQL_SMALLINT, 5, 0, "SMALLINT", 2);
    if (w == "INTEGER" || w == "INT")
        return make(SQL_INTEGER, 10, 0, "INTEGER", 4);
    if (w == "BIGINT")
        return make(SQL_BIGINT, 19, 0, "BIGINT", 8);
    if (w == "DECIMAL" || w == "DEC" || w == "NUMERIC" || w == "NUM") {
        uint32_t p = number(0, 5);
        auto s = static_cast<int16_t>(std::min<uint32_t>({number(1, 0), p, INT16_MAX}));
        return make(w == "NUMERIC" || w == "NUM" ? SQL_NUMERIC : SQL_DECIMAL, p, s, "DECIMAL", static_cast<int32_t>(p));
    }
    if (w == "REAL" || (w == "FLOAT" && number(0, 53) <= 24))
        return make(SQL_REAL, 7, 0, "REAL", 4);
    if (w == "DOUBLE" || w == "FLOAT")
        return make(SQL_DOUBLE, 15, 0, "DOUBLE", 8);
    if (w == "DATE")
        return make(SQL_DATE, 10, 0, "DATE", 4);
    if (w == "TIME")
        return make(SQL_TIME, 8, 0, "TIME", 3);
    if (w == "TIMESTAMP" || w == "DATETIME")
        return make(SQL_TIMESTAMP, 26, 0, "TIMESTAMP", 10);
    if (w == "BLOB" || w == "BINARY") {
        uint32_t n = number(0, 1048576);
        return make(SQL_BLOB, n, 0, "BLOB", static_cast<int32_t>(n));
    }
    if (w == "CLOB" || w == "DBCLOB" || w == "TEXT") {
        uint32_t n = number(0, 1048576);
        return make(SQL_CLOB, n, 0, "CLOB", static_cast<int32_t>(n));
    }
    return {};
}

ColumnType type_of_value(int storage, std::string_view sample_text, int64_t sample_integer) {
    switch (storage) {
    case SQLITE_INTEGER:
        if (sample_integer >= INT32_MIN && sample_integer <= INT32_MAX)
            return make(SQL_INTEGER, 10, 0, "INTEGER", 4);
        return make(SQL_BIGINT, 19, 0, "BIGINT", 8);
    case SQLITE_FLOAT:
        return make(SQL_DOUBLE, 15, 0, "DOUBLE", 8);
    case SQLITE_BLOB: {
        auto n = static_cast<uint32_t>(std::max<size_t>(sample_text.size(), 254));
        return make(SQL_BLOB, n, 0, "BLOB", static_cast<int32_t>(n));
    }
    default: {
        // An expression's text has no declared length; leave room beyond the first value.
        auto n = static_cast<uint32_t>(std::max<size_t>(sample_text.size(), 254));
        return make(SQL_VARCHAR, n, 0, "VARCHAR", static_cast<int32_t>(n));
    }
    }
}

namespace {

void append_double(double v, std::string &out) {
    // 15 significant digits: what a double holds exactly in decimal, so sums of decimal
    // values do not show their binary rounding (1.4, not 1.4000000000000001).
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    if (ec != std::errc()) {
        end = buf + std::snprintf(buf, sizeof buf, "%.17g", v);
    }
    std::string_view s(buf, static_cast<size_t>(end - buf));
    out += s;
    if (std::isfinite(v) && s.find_first_of(".eE") == std::string_view::npos)
        out += ".0";
}

void append_fixed(double v, int scale, std::string &out) {
    char buf[512];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, scale);
    if (ec == std::errc())
        out.append(buf, static_cast<size_t>(end - buf));
    else
        append_double(v, out);
}

void append_integer(int64_t v, std::string &out) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, static_cast<size_t>(end - buf));
}

} // namespace

size_t copy_text(std::string_view text, char *buffer, size_t buffer_size) {
    if (!buffer || buffer_size == 0)
        return 0;
    const size_t n = std::min(text.size(), buffer_size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

bool append_value_text(sqlite3_stmt *stmt, int column, const ColumnType &type, std::string &out) {
    return append_value_text(stmt, column, sqlite3_column_type(stmt, column), type, out);
}

bool append_value_text(sqlite3_stmt *stmt, int column, int storage, const ColumnType &type, std::string &out) {
    const bool decimal = type.sql_type == SQL_NUMERIC || type.sql_type == SQL_DECIMAL;
    switch (storage) {
    case SQLITE_NULL:
        return false;
    case SQLITE_INTEGER: {
        int64_t v = sqlite3_column_int64(stmt, column);
        append_integer(v, out);
        if (decimal && type.scale > 0)
            out.append(1, '.').append(static_cast<size_t>(type.scale), '0');
        return true;
    }
    case SQLITE_FLOAT: {
        double v = sqlite3_column_double(stmt, column);
        if (decimal)
            append_fixed(v, type.scale, out);
        else
            append_double(v, out);
        return true;
    }
    case SQLITE_BLOB: {
        static const char hex[] = "0123456789ABCDEF";
        auto *p = static_cast<const unsigned char *>(sqlite3_column_blob(stmt, column));
        int n = sqlite3_column_bytes(stmt, column);
        out.reserve(out.size() + static_cast<size_t>(n) * 2);
        for (int i = 0; i < n; ++i) {
            out += hex[p[i] >> 4];
            out += hex[p[i] & 15];
        }
        return true;
    }
    default: {
        auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        out.append(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
        return true;
    }
    }
}

} // namespace zal
