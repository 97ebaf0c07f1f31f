// Work files are written whole or not at all.
#pragma once

#include <string>
#include <string_view>

namespace kestle {

// Replaces the file `name` with `bytes`, as they stand: they go to a new file beside it, which
// is then renamed over it, so that a reader finds either the earlier file or the new one whole.
// False when the file cannot be written (a full disk, a directory without write access); the
// earlier file then stays as it was and nothing else is left behind.
bool write_work_file(const std::string &name, std::string_view bytes);

} // namespace kestle
