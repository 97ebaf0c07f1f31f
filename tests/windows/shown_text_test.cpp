// What the widgets are given of long texts and pages, and the boxes and panes that show them.
#include "browser.h"
#include "shown_text.h"
#include "test_support.h"
#include "text_box.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

using namespace kestle;
using namespace kestle_test;

namespace {

const QString ellipsis(QChar(0x2026));
const std::string zwsp = "\xE2\x80\x8B";

TEST(ShownText, LongLinesAndLongTextsAreCut) {
    const QString line(shown_line_chars, 'a');
    const QString many_lines = QString("abcd\n").repeated(shown_text_chars / 5 + 1);
    const struct {
        const char *what;
        QString text;
        QString shown; // empty: the text itself
    } cases[] = {
        {"short lines", "select 1\nfrom t\r\n", {}},
        {"a line of the longest length", line + "\n" + line, {}},
        {"a line one longer", "x\n" + line + "b\nnext", "x\n" + line + ellipsis + "\nnext"},
        {"a line after a lone CR", "x\r" + line + "b", "x\r" + line + ellipsis},
        {"a pair of surrogates at the cut", line.left(shown_line_chars - 1) + QString::fromUtf8("\U0001F600") + "b",
         line.left(shown_line_chars - 1) + ellipsis},
        {"many lines", many_lines, many_lines.left(shown_text_chars) + ellipsis},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        bool cut = true;
        const QString shown = shown_text(c.text, &cut);
        EXPECT_EQ(cut, !c.shown.isEmpty());
        EXPECT_EQ(shown, c.shown.isEmpty() ? c.text : c.shown);
    }
}

TEST(ShownPage, LongRunsGetPlacesToBreakAndMarkupStaysAsItIs) {
    const std::string x1000(shown_run_chars, 'x');
    const std::string e500 = [] {
        std::string e;
        for (int i = 0; i < 500; ++i)
            e += "\xC3\xA9"; // é
        return e;
    }();
    const struct {
        const char *what;
        std::string page, shown; // shown empty: the page itself
    } cases[] = {
        {"runs with blanks", "<p>" + x1000 + " " + x1000 + "\n" + x1000 + "</p>", {}},
        {"a long run", "<p>" + x1000 + x1000 + "xx</p>", "<p>" + x1000 + zwsp + x1000 + zwsp + "xx</p>"},
        {"a tag inside the run", x1000.substr(600) + "<b>" + x1000.substr(400) + "</b>x",
         x1000.substr(600) + "<b>" + x1000.substr(400) + "</b>" + zwsp + "x"},
        {"an entity is one character", x1000.substr(1) + "&amp;" + "y", x1000.substr(1) + "&amp;" + zwsp + "y"},
        {"characters of two bytes", e500 + e500 + e500, e500 + e500 + zwsp + e500},
        {"a long attribute", "<a href='" + x1000 + x1000 + "'>link</a>", {}},
        {"a comment", "<!-- <b> " + x1000 + x1000 + " -->", {}},
        {"style and script", "<STYLE type=x>" + x1000 + x1000 + "</style ><script>" + x1000 + x1000 + "</Script>", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(shown_page(c.page), c.shown.empty() ? c.page : c.shown);
    }
    // The program's own pages come through unchanged.
    for (const char *page : {"kestle.htm", "picdemo.htm", "spatialdemo.htm"}) {
        const std::string html = read_text(source_dir() / "demo" / page);
        EXPECT_EQ(shown_page(html), html) << page;
    }
}

TEST(ShownPage, LongPageIsCutBeforeWhatReachesPastItsEnd) {
    const std::string note = "<p>\xE2\x80\xA6</p><p>The rest of this page is too long to be shown here.</p>";
    // "bcd" ends 4 bytes before the end: a tag or an entity after it reaches past it, "<br>" not.
    const std::string filler(shown_page_bytes - 7, ' ');
    for (const std::string &rest : {std::string("<b class='far beyond the end'>b</b>"), std::string("&amp;")}) {
        SCOPED_TRACE(rest);
        const std::string shown = shown_page(filler + "bcd" + rest + std::string(100, 'z'));
        EXPECT_TRUE(shown == filler + "bcd" + note) << shown.substr(filler.size());
    }
    EXPECT_TRUE(shown_page(filler + "bcd" + "<br>") == filler + "bcd" + "<br>");
}

TEST(ShownPage, BrowserShowsAPageOfOneLongLineCutAndAPipeNotAtAll) {
    TempDir dir;
    write_text(dir / "long.htm", "<b>Title</b><hr>" + std::string(10 << 20, 'x'));
    ASSERT_EQ(mkfifo((dir / "pipe.htm").c_str(), 0600), 0);
    Browser web;
    web.resize(250, 300);
    web.show();
    web.navigate("file://" + (dir / "long.htm").string());
    const QString shown = web.toPlainText();
    EXPECT_TRUE(shown.startsWith("Title"));
    EXPECT_LT(shown.size(), 2 * static_cast<qsizetype>(shown_page_bytes));
    EXPECT_TRUE(shown.endsWith("too long to be shown here."));
    web.navigate("file://" + (dir / "pipe.htm").string());
    EXPECT_TRUE(web.toPlainText().contains("cannot be shown"));
}

TEST(TextBox, KeepsTheWholeTextAndShowsItCutAndReadOnly) {
    TextBox box;
    const QString text = "SELECT " + QString(3 * shown_line_chars, 'x') + "\nFROM T";
    box.set_text(text);
    EXPECT_EQ(box.text(), text);
    EXPECT_TRUE(box.cut());
    EXPECT_TRUE(box.isReadOnly());
    EXPECT_EQ(box.toPlainText(), shown_text(text));
    box.set_text("VALUES 1");
    EXPECT_EQ(box.text(), "VALUES 1");
    EXPECT_FALSE(box.cut());
    EXPECT_FALSE(box.isReadOnly());
}

} // namespace
