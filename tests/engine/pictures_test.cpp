// The picture routines against a real table of pictures: the colour query with its store,
// thumbnails and scroll bar, the viewer's fetch and the highlight.
#include "app_fixture.h"
#include "picture_table.h"
#include "thumbnail_tags.h"

#include "picture_box.h"
#include "pictures.h"
#include "twips.h"
#include "zal_findpics.h"
#include "zal_viewpic.h"

#include <QLabel>
#include <QMdiArea>
#include <QScrollBar>
#include <QTest>


using namespace kestle;
using namespace kestle_test;

namespace {

class PicturesTest : public AppTest {
protected:
    void SetUp() override {
        Client c("SAMPLE");
        create_picture_table(c, 101);
    }
    ZALFindpics &search() { return program().findpics(); }
    static std::string first(int n) { return "select pic_no from pictures where pic_no <= " + std::to_string(n) + " order by pic_no"; }
};

using Tags = std::vector<std::string>;

TEST_F(PicturesTest, ColourQueryFillsStoreThumbnailsAndScrollBar) {
    struct Case {
        int rows, found, max;
    };
    for (const Case c : {Case{0, 0, 0}, {1, 1, 0}, {4, 4, 0}, {5, 5, 1}, {10, 10, 6}, {100, 100, 96}, {101, 100, 96}}) {
        EXPECT_EQ(ZAL_HUESCAN(program(), first(c.rows)), c.found) << c.rows;
        EXPECT_EQ(program().pictures.pics_found, c.found);
        EXPECT_EQ(search().ScrollPics->maximum(), c.max) << c.rows;
        EXPECT_EQ(search().ScrollPics->value(), 0);
        for (int k = 0; k < 8; ++k) {
            PictureBox &t = *search().HUESCAN[static_cast<std::size_t>(k)];
            if (k < c.found) {
                EXPECT_EQ(t.tag, std::to_string(k + 1));
                EXPECT_EQ(t.picture().width(), 4 + k + 1) << "picture " << k + 1;
            } else {
                EXPECT_EQ(t.tag, "") << c.rows << " " << k;
                EXPECT_TRUE(t.picture().isNull());
            }
        }
    }
    // Slots 0 to 99 hold pictures 1 to 100; slot 100 is never used.
    EXPECT_EQ(search().TImage[99].tag, "100");
    EXPECT_EQ(search().TImage[99].picture.width(), 104);
    EXPECT_EQ(search().TImage[100].tag, "");
    EXPECT_TRUE(search().TImage[100].picture.isNull());
    // The last picture fetched is the work file.
    EXPECT_EQ(read_text(fx.dir / blob_work_file), std::string(reinterpret_cast<const char *>(known_picture(100).data()),
                                                              known_picture(100).size()));
}

TEST_F(PicturesTest, ScrollBarPagesByRowsOfFour) {
    ASSERT_EQ(ZAL_HUESCAN(program(), first(10)), 10);
    QScrollBar &bar = *search().ScrollPics;
    EXPECT_EQ(bar.pageStep(), 4);
    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar.value(), 4);
    EXPECT_EQ(thumbnail_tags(search()), (Tags{"5", "6", "7", "8", "9", "10", "", ""}));
    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar.value(), 6);
    EXPECT_EQ(thumbnail_tags(search()), (Tags{"7", "8", "9", "10", "", "", "", ""}));
    EXPECT_TRUE(search().HUESCAN[4]->picture().isNull());
    bar.setValue(0);
    EXPECT_EQ(thumbnail_tags(search()), (Tags{"1", "2", "3", "4", "5", "6", "7", "8"}));

    // A second query rewrites only its own slots; the older ones stay in the store.
    ASSERT_EQ(ZAL_HUESCAN(program(), "select pic_no from pictures where pic_no in (9, 3)"), 2);
    EXPECT_EQ(search().TImage[2].tag, "3");
    EXPECT_EQ(search().TImage[9].tag, "10");
    EXPECT_EQ(thumbnail_tags(search()), (Tags{"3", "9", "", "", "", "", "", ""}));
}

TEST_F(PicturesTest, FailingQueryIsReportedAndKeepsTheLastResult) {
    open_sql();
    ASSERT_EQ(ZAL_HUESCAN(program(), first(5)), 5);
    EXPECT_EQ(ZAL_HUESCAN(program(), "select pic_no from no_such_table"), 0);
    EXPECT_NE(status().find("NO_SUCH_TABLE"), std::string::npos) << status();
    EXPECT_TRUE(program().run.cmd_error);
    EXPECT_EQ(program().pictures.pics_found, 5);
    EXPECT_EQ(search().HUESCAN[4]->tag, "5");
    EXPECT_EQ(search().ScrollPics->maximum(), 1);

    // A listed picture whose fetch fails ends the routine at once: nothing is shown.
    EXPECT_EQ(ZAL_HUESCAN(program(), "select 'x' from pictures where pic_no <= 3"), 0);
    EXPECT_EQ(search().HUESCAN[4]->tag, "5");
}

TEST_F(PicturesTest, OnePictureOpensTheViewerSizedToIt) {
    ASSERT_EQ(ZAL_bmp(program(), "select picture from pictures where pic_no=6"), 0);
    ZALViewPic *viewer = program().forms.viewpic;
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->PicBox->size(), QSize(10, 3));
    EXPECT_NEAR(viewer->width_twips(), 1050 + px_to_twips(10) + 200, 15);
    // A picture lower than the palette leaves the palette and the count in view.
    EXPECT_NEAR(viewer->height_twips(), viewer->count_bottom_twips() + 600, 15);
    EXPECT_GE(viewer->height(), viewer->PixCount->geometry().bottom());

    // A picture of the highlight count: cell 5 fills its first row, cell 1 the others.
    QTest::mouseClick(viewer->col[5], Qt::LeftButton);
    EXPECT_EQ(bytes(viewer->PixCount->text()), "10");
    EXPECT_EQ(std::filesystem::file_size(fx.dir / changed_work_file), 100000u);
    QTest::mouseClick(viewer->col[1], Qt::LeftButton);
    EXPECT_EQ(bytes(viewer->PixCount->text()), "20");
    QTest::mouseClick(viewer->col[2], Qt::LeftButton); // not in the picture
    EXPECT_EQ(bytes(viewer->PixCount->text()), "0");

    // No row shows nothing; a failing query is reported.
    viewer->hide();
    open_sql();
    EXPECT_EQ(ZAL_bmp(program(), "select picture from pictures where pic_no=999"), 0);
    EXPECT_FALSE(viewer->isVisible());
    EXPECT_EQ(ZAL_bmp(program(), "select picture from nowhere"), 0);
    EXPECT_FALSE(viewer->isVisible());
    EXPECT_NE(status().find("NOWHERE"), std::string::npos) << status();
}

TEST_F(PicturesTest, ARowWithoutAPictureShowsNoneNeverAnEarlierOne) {
    ASSERT_TRUE(query("INSERT INTO PICTURES VALUES (9003, NULL, X'00485500FF000000'), (9004, X'', NULL), "
                      "(9005, X'6E6F206269746D6170', NULL)")
                    .ok());
    // The slots the search fills hold pictures 1 to 4 first; each takes its new number all the same.
    ASSERT_EQ(ZAL_HUESCAN(program(), first(4)), 4);
    ASSERT_EQ(ZAL_HUESCAN(program(), "select pic_no from pictures where pic_no in (3, 9003, 9004, 9005) order by 1"), 4);
    EXPECT_EQ(thumbnail_tags(search()), (Tags{"3", "9003", "9004", "9005", "", "", "", ""}));
    EXPECT_EQ(search().HUESCAN[0]->picture().width(), 7);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_TRUE(search().TImage[static_cast<std::size_t>(k)].picture.isNull()) << k;
        EXPECT_TRUE(search().HUESCAN[static_cast<std::size_t>(k)]->picture().isNull()) << k;
    }

    // The viewer, on a picture, is asked for one without: NULL, no bytes, bytes of no picture.
    for (const char *number : {"9003", "9004", "9005"}) {
        SCOPED_TRACE(number);
        ASSERT_EQ(ZAL_bmp(program(), "select picture from pictures where pic_no=3"), 0);
        ZALViewPic &viewer = program().viewpic();
        ASSERT_FALSE(viewer.PicBox->picture().isNull());
        ASSERT_EQ(ZAL_bmp(program(), std::string("select picture from pictures where pic_no=") + number), 0);
        EXPECT_TRUE(viewer.isVisible());
        EXPECT_TRUE(viewer.PicBox->picture().isNull());
        // The work file holds nothing of picture 3 for the highlight to find.
        QTest::mouseClick(viewer.col[5], Qt::LeftButton);
        EXPECT_EQ(bytes(viewer.PixCount->text()), "0");
        EXPECT_TRUE(viewer.PicBox->picture().isNull());
    }
    EXPECT_TRUE(dialogs().shown.empty());
}

TEST_F(PicturesTest, APictureLargerThanTheClientAreaOpensInsideIt) {
    open_sql();
    const std::vector<unsigned char> pixels(1600 * 1200, 5);
    const std::vector<unsigned char> big = bitmap8(1600, 1200, palette_table(), pixels);
    write_bytes(fx.dir / "big.bmp", big);
    command("%LOAD into PICTURES (PIC_NO, PICTURE) values (900, ?) [big.bmp]");
    ASSERT_EQ(status(), "SQL Completed successfully");
    // The viewer is open with a small picture when the large one comes.
    ASSERT_EQ(ZAL_bmp(program(), "select picture from pictures where pic_no=3"), 0);
    ASSERT_EQ(ZAL_bmp(program(), "select picture from pictures where pic_no=900"), 0);
    ZALViewPic &viewer = program().viewpic();
    EXPECT_EQ(viewer.PicBox->picture().size(), QSize(1600, 1200));
    const QRect area = program().master().mdi->viewport()->rect();
    EXPECT_TRUE(area.contains(viewer.frame()->geometry())) << "inside the client area";

    // The whole picture is highlighted, well past its first 100000 bytes.
    QTest::mouseClick(viewer.col[5], Qt::LeftButton);
    EXPECT_EQ(bytes(viewer.PixCount->text()), "1920000");
    EXPECT_EQ(std::filesystem::file_size(fx.dir / changed_work_file), big.size());
}

TEST_F(PicturesTest, HighlightOfAFileThatIsNoPictureGivesNothing) {
    ZALViewPic &viewer = program().viewpic();
    ASSERT_EQ(ZAL_bmp(program(), "select picture from pictures where pic_no=3"), 0);
    const QSize shown = viewer.PicBox->picture().size();
    write_text(fx.dir / "other.bmp", "GIF89a not a bitmap");
    EXPECT_EQ(bmp_highlight(program(), "other.bmp", 0, 72, 170), 0);
    EXPECT_EQ(std::filesystem::file_size(fx.dir / changed_work_file), 100000u);
    EXPECT_EQ(viewer.PicBox->picture().size(), shown);
    EXPECT_EQ(bmp_highlight(program(), "missing.bmp", 0, 72, 170), 0);
}

} // namespace
