// The files of file bindings: a parameter's value read from a file, a column's value written
// into one.
#pragma once

#include "diagnostics.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zal {

// Reads the whole of a regular file of at most `limit` bytes into out. Anything else (a
// device, a FIFO, a directory, a larger file) is refused: it could block or never end.
bool read_file_value(const std::string &name, size_t limit, std::vector<unsigned char> &out, Diagnostic &error);

// Writes the value into the file as the options say (SQL_FILE_CREATE: a new file only,
// SQL_FILE_APPEND: after what it holds, otherwise in place of it). True only when every byte
// reached the file and the file was closed without an error.
bool write_file_value(const std::string &name, uint32_t options, const void *data, size_t bytes,
                      Diagnostic &error);

} // namespace zal
