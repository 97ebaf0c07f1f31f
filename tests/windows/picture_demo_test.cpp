// The colour-search demonstration as the presenter starts it: the setup script loads the
// pictures drawn at build time, and a search finds a picture by every colour it shows.
#include "app_fixture.h"
#include "picture_table.h"

#include "bitmap8.h"
#include "colour_query.h"
#include "keyed_toolbar.h"
#include "palette.h"
#include "picture_box.h"
#include "pictures.h"
#include "zal_findpics.h"

#include <QImage>
#include <QLabel>

#include <set>

using namespace kestle;
using namespace kestle_test;
namespace fs = std::filesystem;

namespace {

class PictureDemoTest : public AppTest {
protected:
    void SetUp() override {
        fs::copy(source_dir() / "demo/zal-makepictures.xmp", fx.dir / "zal-makepictures.xmp");
        fs::copy(fs::path(KESTLE_DEMO_OUT) / "pictures", fx.dir / "pictures");
        for (const auto &e : fs::directory_iterator(fx.dir / "pictures"))
            if (e.path().extension() == ".bmp")
                ++pictures;
    }

    // The colours a picture's pixels show, as Qt reads the picture.
    static std::set<QRgb> shown_colours(const fs::path &file) {
        const QImage image(QString::fromStdString(file.string()));
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                colours.insert(image.pixel(x, y) & 0xFFFFFF);
        return colours;
    }
    static QRgb rgb_of(const Rgb &c) { return qRgb(c.red, c.green, c.blue) & 0xFFFFFF; }
    fs::path picture_file(int n, const char *extension) {
        char name[16];
        std::snprintf(name, sizeof name, "pic%02d.", n);
        return fx.dir / "pictures" / (name + std::string(extension));
    }

    int pictures = 0;
};

TEST_F(PictureDemoTest, TheQbeKeyLoadsThePicturesOnceAndOpensTheSearch) {
    ASSERT_GE(pictures, 40);
    program().run.run_at = true; // the script names its own delimiter, so "@" changes nothing
    program().master().TB->click("qbe");
    ASSERT_NE(program().forms.findpics, nullptr);
    EXPECT_TRUE(program().forms.findpics->isVisible());
    EXPECT_EQ(query("SELECT COUNT(*) FROM PICTURES").rows.at(0).at(0), std::to_string(pictures));
    EXPECT_EQ(queries().topLevelItemCount(), 0);
    EXPECT_TRUE(dialogs().shown.empty());

    // Each row holds its files as they were drawn.
    const Result stored = query("SELECT PIC_NO, HEX(PICTURE), HEX(MAP) FROM PICTURES WHERE PIC_NO IN (1, 17) ORDER BY PIC_NO");
    ASSERT_EQ(stored.rows.size(), 2u);
    for (const auto &row : stored.rows) {
        const int n = std::stoi(row[0]);
        EXPECT_EQ("X'" + row[1] + "'", hex(read_bytes(picture_file(n, "bmp")))) << n;
        EXPECT_EQ("X'" + row[2] + "'", hex(read_bytes(picture_file(n, "map")))) << n;
    }

    // A second start finds the table and loads nothing again.
    program().forms.findpics->unload();
    program().master().TB->click("qbe");
    EXPECT_EQ(query("SELECT COUNT(*) FROM PICTURES").rows.at(0).at(0), std::to_string(pictures));
    EXPECT_TRUE(dialogs().shown.empty());
}

TEST_F(PictureDemoTest, EveryPictureIsAnEightBitBitmapOfShownPaletteColours) {
    std::set<QRgb> palette;
    for (const Rgb &c : visible_colours())
        palette.insert(rgb_of(c));
    for (int n = 1; n <= pictures; ++n) {
        const std::vector<unsigned char> bmp = read_bytes(picture_file(n, "bmp"));
        ASSERT_TRUE(is_bitmap8(bmp)) << n;
        bool highlight = false;
        for (int i = 0; i < 256; ++i)
            highlight = highlight || bitmap8_entry(bmp, i) == highlight_colour;
        EXPECT_TRUE(highlight) << n;

        const std::set<QRgb> shown = shown_colours(picture_file(n, "bmp"));
        EXPECT_GE(shown.size(), 3u) << n;
        EXPECT_LE(shown.size(), 40u) << n;
        for (QRgb c : shown)
            EXPECT_TRUE(palette.count(c)) << n << " shows " << std::hex << c;

        // The map lists exactly those colours, then its end entry.
        const std::vector<unsigned char> map = read_bytes(picture_file(n, "map"));
        ASSERT_EQ(map.size() % 4, 0u);
        ASSERT_EQ(map.size(), 4 * shown.size() + 4) << n;
        std::set<QRgb> listed;
        for (std::size_t k = 0; k + 4 < map.size(); k += 4)
            listed.insert(qRgb(map[k], map[k + 1], map[k + 2]) & 0xFFFFFF);
        EXPECT_EQ(listed, shown) << n;
        EXPECT_EQ(map[map.size() - 4], 255);
    }
}

TEST_F(PictureDemoTest, AColourSearchFindsExactlyThePicturesThatShowTheColours) {
    program().master().TB->click("qbe");
    std::vector<std::set<QRgb>> shown(static_cast<std::size_t>(pictures) + 1);
    for (int n = 1; n <= pictures; ++n)
        shown[static_cast<std::size_t>(n)] = shown_colours(picture_file(n, "bmp"));

    // Every shown colour of the palette alone, through the query the window builds.
    Client c("SAMPLE");
    std::set<int> every_found;
    for (int cell = 0; cell < palette_cells; ++cell) {
        if (!palette_visible(cell))
            continue;
        const std::vector<std::string> colour = {palette_tag(cell)};
        const Result r = c.run(expand_marks(colour_query(colour, false).sql, true) + " ORDER BY PIC_NO");
        ASSERT_TRUE(r.ok()) << r.message;
        std::vector<int> found, expected;
        for (const auto &row : r.rows)
            found.push_back(std::stoi(row.at(0)));
        for (int n = 1; n <= pictures; ++n)
            if (shown[static_cast<std::size_t>(n)].count(rgb_of(tag_colour(palette_tag(cell)))))
                expected.push_back(n);
        EXPECT_EQ(found, expected) << "cell " << cell;
        every_found.insert(found.begin(), found.end());
    }
    EXPECT_EQ(every_found.size(), static_cast<std::size_t>(pictures));

    // Two colours marked in the window, joined by "and": the thumbnails of the pictures that
    // show both.
    ZALFindpics &w = *program().forms.findpics;
    const int sky_blue = 66, sea_blue = 14;
    w.col[sky_blue]->set_border_style(1);
    w.col[sea_blue]->set_border_style(1);
    w.TB->click("andor");
    w.TB->click("run");
    std::vector<std::string> expected;
    for (int n = 1; n <= pictures; ++n)
        if (shown[static_cast<std::size_t>(n)].count(rgb_of(tag_colour(palette_tag(sky_blue)))) &&
            shown[static_cast<std::size_t>(n)].count(rgb_of(tag_colour(palette_tag(sea_blue)))))
            expected.push_back(std::to_string(n));
    ASSERT_GT(expected.size(), 8u);
    EXPECT_EQ(bytes(w.Status->text()), pictures_found_text(static_cast<int>(expected.size())));
    std::vector<std::string> stored;
    for (std::size_t k = 0; k < expected.size(); ++k)
        stored.push_back(w.TImage[k].tag);
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(w.HUESCAN[7]->tag, expected[7]);
}

} // namespace
