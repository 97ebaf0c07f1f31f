// The picture routines of the colour search: the colour query with its thumbnails, one picture
// in the viewer, and one colour of it highlighted. The database writes each picture straight
// into a work file.
#pragma once

#include <string>

namespace kestle {

class Program;

// Every picture fetched overwrites it; the viewer's palette highlights from it.
constexpr const char *blob_work_file = "ZALBLOB.BMP";
// The picture last highlighted.
constexpr const char *changed_work_file = "changed.bmp";

struct PictureSearch {
    int pics_found = 0; // of the last colour query that got past its first fetch, 0 to 100
    // The picture search window's own variables; they outlive the window, whose Load resets
    // only use_and.
    std::string query_sql;
    bool use_and = false;
    // The message of the last colour query or picture fetch that failed, empty after one that
    // did not: the search window shows it where the presenter looks.
    std::string failure;
};

// Runs a colour query (with "~" marks), fetches at most 100 of its pictures into the search
// window's store and fills its thumbnails and scroll bar. The pictures found; 0 after a
// database failure, which is reported and kept in PictureSearch::failure.
int ZAL_HUESCAN(Program &p, const std::string &sql);

// Thumbnail k of the search window shows store slot first + k, or nothing past the pictures found.
void show_thumbnails(Program &p, int first);

// Fetches the picture of a query's first row into the viewer, sizes the viewer to it and shows
// it; a row without a picture shows none. Always 0; a failure is kept as ZAL_HUESCAN keeps it.
int ZAL_bmp(Program &p, const std::string &sql);

// Highlights the pixels of one colour of the picture in `file` into the changed work file and
// shows that in the viewer; the pixels recoloured.
long bmp_highlight(Program &p, const std::string &file, int r, int g, int b);

} // namespace kestle
