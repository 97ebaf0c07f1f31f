#include "notes_page.h"
#include "settings.h"

#include <test_support.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace kestle;
namespace fs = std::filesystem;

namespace {

const std::string head = "<HTML>\r\n"
                         "<body bgcolor='LIGHTCYAN' text='#000000' link='#9900cc' vlink='3366cc' alink='3399cc'>\r\n"
                         "<FONT SIZE=2 face='Microsoft Sans Serif, verdana, arial, helvetica, sans-serif' size=2>\r\n";

std::string title_line(const std::string &title) {
    return "<font face='Microsoft Sans Serif, sans-serif' size=2><b>" + title +
           "</b><hr><font face='Microsoft Sans Serif, sans-serif' size=2>\r\n";
}

} // namespace

TEST(NotesPage, WritesTheWholePageAndReturnsItsAddress) {
    kestle_test::TempDir dir;
    fs::create_directory(dir / "with blanks");
    Settings s;
    s.prog_dir = (dir / "with blanks").string();
    NotesPage page;
    set_html_head(page);

    std::string address = write_notes_page(page, s, "First <i>title</i>", "line 1\r\n<b>line 2</b>");
    EXPECT_EQ(address, "file://" + s.prog_dir + "/zalhelp.htm");
    EXPECT_EQ(kestle_test::read_text(dir / "with blanks" / "zalhelp.htm"),
              head + title_line("First <i>title</i>") + "line 1\r\n<b>line 2</b>\r\n");

    write_notes_page(page, s, "Second", "");
    EXPECT_EQ(kestle_test::read_text(dir / "with blanks" / "zalhelp.htm"), head + title_line("Second") + "\r\n");
    EXPECT_EQ(page.html_head_count, 3);
}

TEST(NotesPage, UnwritableDirectoryShowsNothing) {
    kestle_test::TempDir dir;
    Settings s;
    NotesPage page;
    set_html_head(page);
    s.prog_dir = (dir / "missing").string();
    EXPECT_EQ(write_notes_page(page, s, "t", "b"), "");
    s.prog_dir = "";
    EXPECT_EQ(write_notes_page(page, s, "t", "b"), "");
}
