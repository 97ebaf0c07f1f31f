// The slide viewer through the real windows: tree clicks, paging, picture formats, bad pictures, size.
#include "app_fixture.h"

#include "browser.h"
#include "image_box.h"
#include "keyed_toolbar.h"
#include "presentation.h"
#include "twips.h"
#include "zal_wmf.h"

#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <cstdlib>

using namespace kestle;
using namespace kestle_test;

namespace {

class SlideTest : public AppTest {
protected:
    SlideTest() : AppTest(false) {}

    ZALWMF &viewer() { return program().wmf(); }
    bool shown() { return program().forms.wmf && viewer().isVisible(); }
    std::string caption() { return bytes(viewer().windowTitle()); }
    std::string page() { return read_text(fx.dir / "zalhelp.htm"); }

    void load(const std::string &text) {
        write_text(fx.dir / "kestle.sql", text);
        readops(program(), "kestle.sql");
    }
    // A picture file of one colour, in the format its name ends in.
    void picture(const std::string &name, QColor colour) {
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(qt((fx.dir / name).string())));
    }
    // The colour in the middle of the slide as shown.
    QColor slide_colour() {
        const QImage &shown = viewer().Pic->picture();
        return shown.isNull() ? QColor() : shown.pixelColor(shown.width() / 2, shown.height() / 2);
    }
};

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12 && std::abs(a.blue() - b.blue()) < 12;
}

constexpr const char *svg_blue = "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30' viewBox='0 0 40 30'>"
                                 "<rect width='40' height='30' fill='#0000ff'/></svg>\n";

TEST_F(SlideTest, EachFormatLoadsStretchedIntoTheSlideBox) {
    picture("a.png", Qt::red);
    picture("b.jpg", Qt::green);
    picture("c.bmp", Qt::yellow);
    write_text(fx.dir / "d.svg", svg_blue);
    load(":section Pictures\n:screen [a.png] PNG\n:screen [b.jpg] JPEG\n:screen [c.bmp] BMP\n:screen [d.svg] SVG\n");
    const struct {
        int record;
        QColor colour;
    } cases[] = {{2, Qt::red}, {3, Qt::green}, {4, Qt::yellow}, {5, Qt::blue}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.record);
        click_record(c.record);
        EXPECT_TRUE(shown());
        EXPECT_EQ(program().cur_screen, c.record);
        EXPECT_EQ(viewer().Pic->picture().size(), viewer().Pic->size()); // 7200 by 5400 twips
        EXPECT_TRUE(near(slide_colour(), c.colour)) << slide_colour().name().toStdString();
    }
    EXPECT_TRUE(dialogs().shown.empty());
    EXPECT_NEAR(px_to_twips(viewer().Pic->width()), 7200, 15);
    EXPECT_NEAR(px_to_twips(viewer().Pic->height()), 5400, 15);
}

TEST_F(SlideTest, PagingSkipsOtherRecordsAndHidesAtBothEnds) {
    picture("first.png", Qt::red);
    picture("second.png", Qt::green);
    picture("third.png", Qt::blue);
    load(":section Start\n"
         ":screen [first.png] First slide\n{\nabout the first\n}\n"
         ":sql A query\nVALUES 1\n:info Some info\n{\ninfo notes\n}\n:examples Some examples\n"
         ":section Middle\n:other An unknown tag\n"
         ":screen [second.png] Second slide\n"
         ":section End\n:screen [third.png] Third slide\n{\nabout the third\n}\n:sql Last\nVALUES 2\n");
    click_record(2);
    ASSERT_TRUE(shown());
    EXPECT_EQ(caption(), "First slide"); // from the viewer's first load

    viewer().TB->click("left"); // before the first slide: hidden, nothing else changes
    EXPECT_FALSE(shown());
    EXPECT_EQ(program().cur_screen, 2);

    click_record(2);
    viewer().TB->click("right"); // over sql, info, examples, section and unknown records
    EXPECT_TRUE(shown());
    EXPECT_EQ(program().cur_screen, 8);
    EXPECT_EQ(caption(), "Second slide");
    EXPECT_TRUE(near(slide_colour(), Qt::green));
    viewer().TB->click("right");
    EXPECT_EQ(program().cur_screen, 10);
    EXPECT_EQ(caption(), "Third slide");
    EXPECT_NE(page().find("about the third"), std::string::npos);

    viewer().TB->click("right"); // past the last slide
    EXPECT_FALSE(shown());
    EXPECT_EQ(program().cur_screen, 10);
    EXPECT_TRUE(near(slide_colour(), Qt::blue));

    click_record(10);
    viewer().TB->click("left");
    viewer().TB->click("left");
    EXPECT_EQ(program().cur_screen, 2);
    EXPECT_EQ(caption(), "First slide");
    EXPECT_NE(page().find("about the first"), std::string::npos);

    viewer().TB->click("exit");
    EXPECT_FALSE(shown());
    EXPECT_TRUE(dialogs().shown.empty());

    // A presentation loaded since then has fewer records: paging looks at its records only.
    load(":section Short\n:screen [first.png] Only slide\n");
    program().cur_screen = 10;
    viewer().TB->click("left");
    EXPECT_EQ(program().cur_screen, 2);
    EXPECT_EQ(caption(), "Only slide");
    program().cur_screen = 10;
    viewer().TB->click("right");
    EXPECT_FALSE(shown());
    EXPECT_EQ(program().cur_screen, 10);
}

TEST_F(SlideTest, NotesPageOfASlideIsShownInTheViewer) {
    picture("s.png", Qt::red);
    load(":section Slides\n{\nsection notes\n}\n:screen [s.png] With notes\n{\n<b>bold</b> notes\n}\n"
         ":screen [s.png] Without notes\n");
    const std::string address = "file://" + fx.dir.path().string() + "/zalhelp.htm";
    click_record(1);
    EXPECT_EQ(program().master().Web->address(), address);
    EXPECT_EQ(program().forms.wmf, nullptr); // a section's notes never open the viewer

    program().master().Web->navigate("file:///nowhere");
    click_record(2);
    EXPECT_EQ(viewer().Web->address(), address);
    EXPECT_EQ(program().master().Web->address(), "file:///nowhere"); // the notes pane keeps its page
    EXPECT_NE(page().find("<b>With notes</b>"), std::string::npos);
    EXPECT_NE(page().find("<b>bold</b> notes"), std::string::npos);
    EXPECT_NE(bytes(viewer().Web->toHtml()).find("bold"), std::string::npos);

    click_record(3); // empty notes: the page of the title alone
    EXPECT_TRUE(shown());
    EXPECT_NE(page().find("<b>Without notes</b>"), std::string::npos);
    EXPECT_EQ(page().substr(page().size() - 11), "size=2>\r\n\r\n");
    EXPECT_EQ(caption(), "Without notes");
}

TEST_F(SlideTest, MissingAndBrokenPicturesAreReportedAndHideTheViewer) {
    picture("good.png", Qt::red);
    write_text(fx.dir / "broken.png", "this is no picture\n");
    write_text(fx.dir / "broken.svg", "<svg xmlns='http://www.w3.org/2000/svg'><rect width=\n");
    write_text(fx.dir / "empty.jpg", "");
    std::filesystem::create_directory(fx.dir / "folder.png");
    const char *files[] = {"gone.png", "broken.png", "broken.svg", "empty.jpg", "folder.png"};
    for (const char *file : files) {
        SCOPED_TRACE(file);
        load(std::string(":section S\n:screen [good.png] Good\n:sql Q\nVALUES 1\n:screen [") + file +
             "] Bad slide\n{\nbad notes\n}\n");
        dialogs().shown.clear();
        click_record(2);
        ASSERT_TRUE(shown());
        viewer().TB->click("right"); // caption and notes first, then the report
        EXPECT_EQ(caption(), "Bad slide");
        EXPECT_NE(page().find("bad notes"), std::string::npos);
        EXPECT_FALSE(shown());
        EXPECT_EQ(program().cur_screen, 2);
        EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{std::string("File not found: ") + file}));
        EXPECT_TRUE(near(slide_colour(), Qt::red)); // the box keeps the picture it had
    }

    // With an SQL window open the report goes to its status line; a tree click shows no notes.
    open_sql();
    dialogs().shown.clear();
    std::remove((fx.dir / "zalhelp.htm").c_str());
    click_record(4);
    EXPECT_EQ(status(), "File not found: folder.png");
    EXPECT_TRUE(dialogs().shown.empty());
    EXPECT_FALSE(std::filesystem::exists(fx.dir / "zalhelp.htm"));
    EXPECT_EQ(program().cur_screen, 4);
    EXPECT_FALSE(shown());

    // A screen record without a file name.
    load(":screen No file at all\n");
    click_record(1);
    EXPECT_EQ(status(), "File not found: ");
}

TEST_F(SlideTest, ResizeKeepsTheLeastSizeAndTheDesignPlaces) {
    picture("s.png", Qt::red);
    load(":screen [s.png] Slide\n");
    click_record(1);
    ZALWMF &w = viewer();
    const QRect pic = w.Pic->geometry();
    const QRect web = w.Web->geometry();
    w.resize_twips(1000, 1000);
    EXPECT_GE(w.width_twips(), 1985);
    EXPECT_GE(w.height_twips(), 1985);
    w.resize_twips(1000, 6000);
    EXPECT_GE(w.width_twips(), 1985);
    EXPECT_NEAR(w.height_twips(), 6000, 15);
    w.resize_twips(12000, 11000);
    EXPECT_NEAR(w.width_twips(), 12000, 15);
    EXPECT_EQ(w.Pic->geometry(), pic);
    EXPECT_EQ(w.Web->geometry(), web);

    w.frame()->showMinimized(); // left alone while minimized
    EXPECT_TRUE(w.frame()->isMinimized());
    EXPECT_LT(w.height_twips(), 2000);
    w.frame()->showNormal();
    EXPECT_GE(w.height_twips(), 1985);
}

TEST_F(SlideTest, ViewerOpensInsideTheClientAreaAndClosingOnlyHidesIt) {
    program().master().resize(1024, 768);
    picture("s.png", Qt::red);
    load(":screen [s.png] Slide\n");
    click_record(1);
    ZALWMF &w = viewer();
    const QRect area = program().master().mdi->viewport()->rect();
    EXPECT_TRUE(area.contains(w.frame()->geometry())) << w.frame()->geometry().y() << " " << area.height();
    EXPECT_NEAR(w.left_twips(), 100, 15);
    EXPECT_TRUE(w.frame()->geometry().contains(w.Web->mapTo(w.frame(), w.Web->rect().bottomRight())));

    // A smaller client area than the viewer's design size: the viewer is shrunk to fit it.
    viewer().TB->click("exit");
    program().master().resize(900, 500);
    click_record(1);
    const QRect small = program().master().mdi->viewport()->rect();
    ASSERT_LT(small.height(), twips_to_px(9600));
    EXPECT_TRUE(small.contains(w.frame()->geometry())) << w.frame()->height() << " " << small.height();

    w.frame()->close(); // the title bar's close box
    EXPECT_FALSE(shown());
    ASSERT_NE(program().forms.wmf, nullptr);
    EXPECT_EQ(program().forms.wmf.data(), &w);
    click_record(1);
    EXPECT_TRUE(shown());
}

TEST_F(SlideTest, TheDemonstrationsSlidesAllLoad) {
    std::filesystem::copy(source_dir() / "demo", fx.dir.path(), std::filesystem::copy_options::recursive);
    readops(program(), "kestle.sql");
    int slides = 0;
    for (int n = 1; n <= program().control.stmt_count; ++n) {
        if (program().control.record(n).kind != kind_screen)
            continue;
        SCOPED_TRACE(program().control.record(n).file);
        ++slides;
        click_record(n);
        EXPECT_TRUE(shown());
        EXPECT_EQ(program().cur_screen, n);
        EXPECT_EQ(viewer().Pic->picture().size(), viewer().Pic->size());
    }
    EXPECT_GE(slides, 3);
    EXPECT_TRUE(dialogs().shown.empty());
}

} // namespace
