// The tags of the picture search's eight thumbnails, in their order: which pictures they show.
#pragma once

#include "picture_box.h"
#include "zal_findpics.h"

#include <string>
#include <vector>

namespace kestle_test {

inline std::vector<std::string> thumbnail_tags(const kestle::ZALFindpics &w) {
    std::vector<std::string> tags;
    for (const kestle::PictureBox *t : w.HUESCAN)
        tags.push_back(t->tag);
    return tags;
}

} // namespace kestle_test
