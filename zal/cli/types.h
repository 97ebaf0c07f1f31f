// Column types: what a declared type means for descriptions and the catalog, and how values
// become text.
#pragma once

#include <zalcli.h>

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace zal {

struct ColumnType {
    bool known = false;       // the declared type was recognised
    int16_t sql_type = SQL_VARCHAR;
    uint32_t size = 0;        // column size: characters, digits or bytes
    int16_t scale = 0;
    std::string coltype;      // the catalog's type name (INTEGER, VARCHAR, ...)
    int32_t length = 0;       // the catalog's LENGTH (bytes of storage, or the precision)
};

ColumnType parse_declared_type(std::string_view declared);

// The type of a value whose column has no declared type (an expression), from the storage
// class of a value (SQLITE_INTEGER, ...), or of no value at all (storage 0).
ColumnType type_of_value(int storage, std::string_view sample_text, int64_t sample_integer);

// Appends the text of column `column` of the current row to out. Integers in a DECIMAL column
// get its scale, doubles their shortest exact form, BLOBs two hexadecimal digits a byte.
// Returns false (and appends nothing) for NULL.
bool append_value_text(sqlite3_stmt *stmt, int column, const ColumnType &type, std::string &out);
// The same for a caller that has asked the value's storage class (sqlite3_column_type) already:
// each call into the engine takes its lock.
bool append_value_text(sqlite3_stmt *stmt, int column, int storage, const ColumnType &type, std::string &out);

// Copies as much of text as fits into a caller's buffer of buffer_size bytes, and a NUL; returns
// the bytes copied (none without a buffer).
size_t copy_text(std::string_view text, char *buffer, size_t buffer_size);

} // namespace zal
