// The map search window: the map with its search markers, grid and drawn rectangle, the
// enlarged block with its houses, the criteria and the price legend.
#pragma once

#include "form.h"
#include "picture_clip.h"
#include "spatial_query.h"

#include <QLabel>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

class QFrame;
class QPlainTextEdit;
class QRadioButton;

namespace kestle {

class CloseLabel;
class Grid;
class KeyedToolBar;
class Program;
class ZALSpatial;

// A shape control: a rectangle with an interior and an outline colour, in twips of the window.
struct Shape {
    double left = 0, top = 0, width = 0, height = 0;
    bool visible = false;
    int32_t fill_color = 0;
    int32_t border_color = 0;
    std::string tag;
};

// The Tag of a search marker: placed while it shows a house of the latest result, free otherwise.
inline constexpr const char *marker_placed = "1";
inline constexpr const char *marker_free = "0";

// A line control, in twips of the window.
struct Line {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool visible = false;
};

// The map picture: it draws the picture stretched, then the grid lines, the search markers and
// the rectangle over it, and hands the mouse to the window in twips from its top-left corner.
class MapImage : public QWidget {
public:
    MapImage(ZALSpatial &w, QWidget *parent);
    void set_picture(const QPixmap &picture);
    const QPixmap &picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // The picture is scaled when it or the map's size changes, not at every paint of a drag.
    void scale_picture();
    ZALSpatial &w_;
    QPixmap picture_;
    QPixmap scaled_; // the picture at the map's size
};

// A label of the window that may draw a Wingdings glyph (a filled circle or square) in its
// text colour instead of its caption, and tells of presses, releases and clicks.
class GlyphLabel : public QLabel {
public:
    enum class Glyph { none, circle, square };
    explicit GlyphLabel(QWidget *parent, Glyph glyph = Glyph::none);

    Glyph glyph;
    int32_t fore_color = 0; // red + 256 x green + 65536 x blue
    int32_t back_color = 0;
    std::string tag;
    int left_twips = 0; // its place in the window, as placed
    int top_twips = 0;
    std::function<void()> pressed, released, clicked;

    void place(int left, int top, int width, int height);
    void set_colors(int32_t color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

class ZALSpatial : public Form {
    Q_OBJECT
public:
    explicit ZALSpatial(Program &p);

    static constexpr int search_markers = 1120;
    static constexpr int block_markers = 32;

    // Design places, in twips of the window.
    static constexpr int map_left = 1320, map_top = 600;
    static constexpr int block_left = 6240, block_top = 600;

    KeyedToolBar *TB; // "exit", "run", "edit", "sql", "clear", "info"
    QLabel *Status;
    MapImage *TotalImage;
    QLabel *FullIM; // the block view
    PictureClip PC{blocks_across, blocks_across};
    std::array<Shape, search_markers> ID;
    std::array<GlyphLabel *, block_markers> Home{};
    std::array<Line, blocks_across + 1> LineUp, LineAcross;
    Shape SelectArea;
    Grid *HouseInfo;

    QFrame *Frame5;
    std::array<GlyphLabel *, 7> Range{};
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7; // legend captions
    QLabel *Label9, *Label8, *Label10, *Label11; // "Price", "Area", "Bedrooms", "Bathrooms"
    GlyphLabel *VPrice, *VArea, *VBedrooms, *VBathrooms;

    QFrame *Options;
    std::array<QRadioButton *, 6> price{};
    std::array<QRadioButton *, 6> Area{};
    std::array<QRadioButton *, 5> Bedrooms{};
    std::array<QRadioButton *, 4> Bathrooms{};
    CloseLabel *CloseOptions;

    QFrame *SQLFrame;
    QPlainTextEdit *SQL;
    CloseLabel *CloseSQL;

    // The handlers; X and Y are twips from the map's top-left corner.
    void TB_ButtonClick(const std::string &key);
    void TotalImage_MouseDown(double X, double Y);
    void TotalImage_MouseMove(bool button_held, double X, double Y);
    void TotalImage_MouseUp();
    void Home_MouseDown(int index);
    void Home_MouseUp(int index);
    void Range_Click(int index);
    // Option k of a criterion, and the criterion's summary label.
    void option_Click(Criterion c, int index);
    void summary_Click(Criterion c);

    void plot_homes();
    void draw_grid();
    void show_block(int16_t bx, int16_t by);

    // The option buttons and the summary label of a criterion.
    std::span<QRadioButton *> options_of(Criterion c);
    GlyphLabel *summary_of(Criterion c) const;

protected:
    void form_unload() override;
    // The panels keep their design sizes: their texts take the window's font where it fits
    // them, else the largest font that does. The house grid grows to the window's font.
    void fit_to_font() override;

private:
    void Form_Load();
    void build_frame5();
    void build_options();
    void set_status(const std::string &text);
    void select_option(Criterion c, int index);
    void hide_markers();
    void refresh_map();

    Program &p_;
};

} // namespace kestle
