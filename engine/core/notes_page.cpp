#include "notes_page.h"

#include "settings.h"
#include "work_file.h"

#include <algorithm>

namespace kestle {

void set_html_head(NotesPage &page) {
    page.html_head[1] = "<HTML>";
    page.html_head[2] = "<body bgcolor='LIGHTCYAN' text='#000000' link='#9900cc' vlink='3366cc' alink='3399cc'>";
    page.html_head[3] = "<FONT SIZE=2 face='Microsoft Sans Serif, verdana, arial, helvetica, sans-serif' size=2>";
    page.html_head_count = 3;
}

std::string write_notes_page(NotesPage &page, const Settings &s, const std::string &title,
                             const std::string &body) {
    const std::string name = "zalhelp.htm";
    // The title line takes the entry after the header; a count at the table's end leaves
    // no room for it, so the last entry is reused rather than writing past the table.
    int title_entry = std::clamp(page.html_head_count + 1, 1, NotesPage::size);
    page.html_head[title_entry] = "<font face='Microsoft Sans Serif, sans-serif' size=2><b>" + title +
                                  "</b><hr><font face='Microsoft Sans Serif, sans-serif' size=2>";

    if (s.prog_dir.empty())
        return {}; // no start-up directory: nowhere to put the page
    std::string text;
    for (int i = 1; i <= title_entry; ++i)
        text += page.html_head[i] + s.crlf;
    text += body + s.crlf;
    if (!write_work_file(s.prog_dir + "/" + name, text))
        return {};
    return "file://" + s.prog_dir + "/" + name;
}

} // namespace kestle
