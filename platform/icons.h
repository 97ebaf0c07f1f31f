// The images of toolbars and trees, addressed by key: the desktop's icon theme where it has a
// picture for the key, else a tile drawn by the program.
#pragma once

#include <QIcon>
#include <string>

namespace kestle {

// The two image lists: a key may stand for another picture in the query log than on a toolbar.
enum class ImageList { toolbar, query };

QIcon icon(const std::string &key, ImageList list = ImageList::toolbar);

// The program's own icon, which every window shows.
QIcon program_icon();

// The standard 16-colour text-mode palette, colours 0 to 15, as red, green, blue.
QColor palette_colour(int n);

} // namespace kestle
