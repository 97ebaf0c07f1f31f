// The images of toolbars and trees, addressed by key: the desktop's icon theme where it has a
// picture for the key, else a tile drawn by the program.
#pragma once

#include <QIcon>
#include <string>

namespace kestle {

QIcon icon(const std::string &key);

// The standard 16-colour text-mode palette, colours 0 to 15, as red, green, blue.
QColor palette_colour(int n);

} // namespace kestle
