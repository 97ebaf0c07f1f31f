#include "app_fixture.h"

#include "browser.h"
#include "presentation.h"

using namespace kestle;
using namespace kestle_test;

namespace {

class PresentationTest : public AppTest {
protected:
    PresentationTest() : AppTest(false) {}
    QTreeWidget &tv() { return *program().master().TV; }
};

TEST_F(PresentationTest, ReadopsFillsTheTreeAndReplacesTheEarlierPresentation) {
    write_text(fx.dir / "kestle.sql", ":sql Before any section\nVALUES 0\n"
                                      ":section One\n:sql First\nVALUES 1\n:examples Group\n:info Note\n{\n<b>n</b>\n}\n"
                                      ":section Two\n:screen [slide.png] Slide\n");
    EXPECT_EQ(readops(program(), "kestle.sql"), 7);
    ASSERT_EQ(tv().topLevelItemCount(), 3);
    QTreeWidgetItem *one = tv().topLevelItem(1);
    EXPECT_EQ(node_text(one), "One");
    EXPECT_EQ(node_tag(one), " 2");
    ASSERT_EQ(one->childCount(), 2);
    EXPECT_EQ(node_text(one->child(0)), "First");
    EXPECT_EQ(node_tag(one->child(1)), " 4");
    ASSERT_EQ(one->child(1)->childCount(), 1);
    EXPECT_EQ(node_text(one->child(1)->child(0)), "Note");
    EXPECT_EQ(one->checkState(0), Qt::Unchecked);
    EXPECT_FALSE(one->isExpanded());
    EXPECT_EQ(node_text(tv().topLevelItem(2)->child(0)), "Slide");
    EXPECT_EQ(program().control.record(7).file, "slide.png");

    // A missing file keeps the presentation and says so in a box while no SQL window is open.
    EXPECT_EQ(readops(program(), " missing.sql "), 0);
    EXPECT_EQ(tv().topLevelItemCount(), 3);
    EXPECT_EQ(program().control.stmt_count, 7);
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"File not found: missing.sql"}));
}

TEST_F(PresentationTest, LargePresentationKeepsEveryRecord) {
    std::string text;
    for (int s = 1; s <= 40; ++s) {
        text += ":section S" + std::to_string(s) + "\n";
        for (int q = 1; q <= 99; ++q)
            text += ":sql Q" + std::to_string(q) + "\nVALUES " + std::to_string(q) + "\n";
    }
    write_text(fx.dir / "big.sql", text);
    open_sql();
    EXPECT_EQ(readops(program(), "big.sql"), 4000);
    ASSERT_EQ(tv().topLevelItemCount(), 40);
    EXPECT_EQ(node_tag(tv().topLevelItem(39)->child(98)), " 4000");
    EXPECT_EQ(status(), "New SQL file loaded: big.sql");
}

TEST_F(PresentationTest, ShowhelpWritesTheNotesPageAndShowsIt) {
    showhelp(program(), "Title", "<i>body</i>", kind_info);
    const std::string address = "file://" + fx.dir.path().string() + "/zalhelp.htm";
    EXPECT_EQ(program().master().Web->address(), address);
    const std::string page = read_text(fx.dir / "zalhelp.htm");
    EXPECT_NE(page.find("<b>Title</b>"), std::string::npos);
    EXPECT_EQ(page.substr(page.size() - 13), "<i>body</i>\r\n");

    // A slide's notes go to the slide window, not to the notes pane.
    program().master().Web->navigate("file:///nowhere");
    showhelp(program(), "Slide", "slide notes", kind_screen);
    EXPECT_EQ(program().master().Web->address(), "file:///nowhere");
    EXPECT_NE(read_text(fx.dir / "zalhelp.htm").find("slide notes"), std::string::npos);
}

} // namespace
