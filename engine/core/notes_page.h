// The notes page zalhelp.htm: a record's notes under a bold title, shown by the notes pane
// or the slide window.
#pragma once

#include <array>
#include <string>

namespace kestle {

struct Settings;

struct NotesPage {
    static constexpr int size = 10;
    // Entries 1 to html_head_count are the fixed header lines; the entry after them holds
    // the title line of the latest page. Entry 0 is unused.
    std::array<std::string, size + 1> html_head;
    int html_head_count = 0;
};

// Stores the three fixed header lines.
void set_html_head(NotesPage &page);

// Writes prog_dir/zalhelp.htm for title and body and returns the address to show it under,
// "file://" & prog_dir & "/zalhelp.htm"; empty when the page could not be written whole, in
// which case the earlier page stays and nothing is to be shown.
std::string write_notes_page(NotesPage &page, const Settings &s, const std::string &title,
                             const std::string &body);

} // namespace kestle
