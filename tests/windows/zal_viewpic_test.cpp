#include "app_fixture.h"
#include "picture_table.h"

#include "picture_box.h"
#include "pictures.h"
#include "twips.h"
#include "zal_viewpic.h"

#include <QLabel>
#include <QTest>


using namespace kestle;
using namespace kestle_test;

namespace {

class ViewPicTest : public AppTest {
protected:
    ZALViewPic &viewer() { return program().viewpic(); }
    void click_colour(int cell) { QTest::mouseClick(viewer().col[static_cast<std::size_t>(cell)], Qt::LeftButton); }
    std::string count() { return bytes(viewer().PixCount->text()); }
    void write_blob(const std::vector<unsigned char> &bytes) { write_bytes(fx.dir / blob_work_file, bytes); }
};

TEST_F(ViewPicTest, PaletteOfEighteenRowsOfFive) {
    ZALViewPic &v = viewer();
    EXPECT_EQ(bytes(v.windowTitle()), "Picture Viewer");
    for (int i = 0; i < 90; ++i) {
        const PictureBox &c = *v.col[static_cast<std::size_t>(i)];
        const QRect g = c.geometry();
        EXPECT_EQ(QRect(px_to_twips(g.x()), px_to_twips(g.y()), px_to_twips(g.width()), px_to_twips(g.height())),
                  QRect(150 + 150 * (i % 5), 150 + 150 * (i / 5), 150, 150))
            << i;
        EXPECT_FALSE(c.isHidden());
        EXPECT_EQ(c.border_style(), 0);
        EXPECT_EQ(c.tag, palette_tag(i));
        const Rgb colour = tag_colour(c.tag);
        EXPECT_EQ((Rgb{v.pal_red[static_cast<std::size_t>(i)], v.pal_green[static_cast<std::size_t>(i)],
                       v.pal_blue[static_cast<std::size_t>(i)]}),
                  colour);
    }
    EXPECT_EQ(px_to_twips(v.PicBox->x()), 1050);
    EXPECT_EQ(px_to_twips(v.PicBox->y()), 150);
    EXPECT_EQ(bytes(v.Label1->text()), "Pixels");
    EXPECT_GT(v.PixCount->y(), v.col[89]->geometry().bottom());
}

TEST_F(ViewPicTest, ACellHighlightsItsColourFromTheFetchedPicture) {
    // Whites stand at entries 86 to 89: only pixels of the last white entry count.
    std::vector<unsigned char> pixels(8 * 4, 5);
    pixels[0] = 89;
    pixels[1] = 89;
    pixels[2] = 86;
    write_blob(bitmap8(8, 4, palette_table(), pixels));

    click_colour(5);
    EXPECT_EQ(count(), "29");
    const QImage shown = viewer().PicBox->picture().toImage();
    EXPECT_EQ(shown.pixelColor(3, 0), QColor(255, 252, 0));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(255, 255, 255));
    for (int white : {86, 87, 88, 89}) {
        click_colour(white);
        EXPECT_EQ(count(), "2") << white;
    }
    // Each click starts from the fetched picture: one colour at a time.
    EXPECT_EQ(viewer().PicBox->picture().toImage().pixelColor(3, 0), QColor(0, 72, 170));
    click_colour(40); // a colour the picture lacks
    EXPECT_EQ(count(), "0");
    EXPECT_EQ(viewer().PicBox->picture().toImage().pixelColor(0, 0), QColor(255, 255, 255));

    // A work file that is gone gives 0 and leaves the picture.
    std::filesystem::remove(fx.dir / blob_work_file);
    click_colour(5);
    EXPECT_EQ(count(), "0");
    EXPECT_EQ(viewer().PicBox->picture().size(), QSize(8, 4));
}

TEST_F(ViewPicTest, AfterANewSearchTheCellsWorkOnTheLastPictureFetched) {
    Client c("SAMPLE");
    create_picture_table(c, 4);
    ASSERT_EQ(ZAL_bmp(program(), "select picture from pictures where pic_no=2"), 0);
    ASSERT_EQ(ZAL_HUESCAN(program(), "select pic_no from pictures where pic_no in (1, 3)"), 2);
    click_colour(0);
    // Picture 3 is 7 x 3 with its lower rows in cell 0, and the padding byte of each row is 0 too.
    EXPECT_EQ(count(), "17");
    EXPECT_EQ(viewer().PicBox->picture().width(), 7);
}

} // namespace
