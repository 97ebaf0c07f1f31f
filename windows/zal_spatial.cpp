// The map search window: its controls, the mouse on the map, the block view, the criteria,
// the legend filter and the toolbar.
#include "zal_spatial.h"

#include "close_label.h"
#include "grid.h"
#include "keyed_toolbar.h"
#include "program.h"
#include "spatial_search.h"
#include "text_codec.h"
#include "twips.h"
#include "window_support.h"
#include "zal_viewers.h"

#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QResizeEvent>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

namespace kestle {

namespace {

constexpr const char *caption = "Spatial Query";
constexpr const char *picture_file = "realestate.jpg";
constexpr const char *help_page = "spatialdemo.htm";

constexpr int marker_size = 60;
constexpr int status_height = 240;
constexpr int dot_size = 240;
constexpr int grid_rows = 4, grid_row_height = 200;
constexpr int grid_col_widths[] = {900, 700};
// Shown markers of a block: Home(0) is never used.
constexpr int block_dots = ZALSpatial::block_markers - 1;
// Results that can carry a search marker: rows past the stored ones have no place.
constexpr int placed_results = std::min(SpatialSearch::max_rows, ZALSpatial::search_markers - 1);

constexpr const char *legend_captions[] = {"<200K", "200-250K", "250-300K", "300-350K", "350-400K", "400-450K", ">450K"};
constexpr Criterion criteria[] = {Criterion::price, Criterion::area, Criterion::bedrooms, Criterion::bathrooms};
constexpr const char *criterion_captions[] = {"Price", "Area", "Bedrooms", "Bathrooms"};

QColor color_of(int32_t c) { return QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff); }

// The price band legend square k stands for: bands 1 to 6, then band 0.
std::size_t legend_band(int k) { return k < 6 ? static_cast<std::size_t>(k + 1) : 0; }

std::string count_text(int n, const char *what) {
    return std::to_string(n) + " house" + (n == 1 ? "" : "s") + what;
}

// The left column's texts, in twips.
constexpr int caption_left = 330, caption_width = 900;
constexpr int text_left = 60, text_width = 1140, text_height = 240, summary_height = 300;
constexpr int summary_panel = 8; // what the summary's sunken panel takes of its width, pixels
// The criteria choice: an option a row, in a group of its criterion.
constexpr int group_width = 2100, option_width = 1860, option_height = 300;

// The largest font no bigger than font whose texts fit their widths and a height, in pixels.
QFont fitting_font(QFont font, int height, const std::vector<std::pair<QString, int>> &texts) {
    for (int size = std::min(QFontInfo(font).pixelSize(), height); size > 4; --size) {
        font.setPixelSize(size);
        const QFontMetrics m(font);
        if (m.height() <= height && std::all_of(texts.begin(), texts.end(), [&](const auto &t) {
                return m.horizontalAdvance(t.first) <= t.second;
            }))
            break;
    }
    return font;
}

} // namespace

MapImage::MapImage(ZALSpatial &w, QWidget *parent) : QWidget(parent), w_(w) {}

void MapImage::set_picture(const QPixmap &picture) {
    picture_ = picture;
    scale_picture();
    update();
}

void MapImage::scale_picture() { scaled_ = picture_.isNull() ? QPixmap() : picture_.scaled(size()); }

void MapImage::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    scale_picture();
}

void MapImage::paintEvent(QPaintEvent *) {
    QPainter g(this);
    if (!scaled_.isNull())
        g.drawPixmap(0, 0, scaled_);
    const double sx = width() / double(map_size), sy = height() / double(map_size);
    auto x = [&](double twips) { return (twips - ZALSpatial::map_left) * sx; };
    auto y = [&](double twips) { return (twips - ZALSpatial::map_top) * sy; };
    // The lines on the map's far edges stay inside it.
    auto clamp_x = [&](double px) { return std::min(px, width() - 1.0); };
    auto clamp_y = [&](double px) { return std::min(px, height() - 1.0); };

    g.setPen(QPen(Qt::cyan, 1));
    for (const auto *lines : {&w_.LineUp, &w_.LineAcross})
        for (const Line &l : *lines)
            if (l.visible)
                g.drawLine(QPointF(clamp_x(x(l.x1)), clamp_y(y(l.y1))), QPointF(clamp_x(x(l.x2)), clamp_y(y(l.y2))));
    // Whole pixels: a marker is a few pixels wide, and its ring the same on every side.
    auto marker_rect = [&](const Shape &m) { return QRectF(x(m.left), y(m.top), m.width * sx, m.height * sy).toRect(); };
    // Each marker is ringed in black, so that one in the grid's cyan still shows on a grid
    // line and markers side by side stay apart. The rings go first: no ring covers a marker.
    // A marker's outline takes one pixel past its right and bottom edges; so does its ring.
    constexpr int ring = 1; // pixels
    for (const Shape &m : w_.ID)
        if (m.visible)
            g.fillRect(marker_rect(m).adjusted(-ring, -ring, ring + 1, ring + 1), Qt::black);
    for (const Shape &m : w_.ID) {
        if (!m.visible)
            continue;
        const QRect r = marker_rect(m);
        g.fillRect(r, color_of(m.fill_color));
        g.setPen(QPen(color_of(m.border_color), 1));
        g.drawRect(r);
    }
    const Shape &a = w_.SelectArea;
    if (a.visible) {
        g.setPen(QPen(Qt::red, 2));
        g.setBrush(Qt::NoBrush);
        g.drawRect(QRectF(x(a.left), y(a.top), a.width * sx, a.height * sy));
    }
}

void MapImage::mousePressEvent(QMouseEvent *event) {
    const QPointF at = event->position();
    guarded("TotalImage_MouseDown", [&] {
        w_.TotalImage_MouseDown(at.x() * map_size / width(), at.y() * map_size / height());
    });
}

void MapImage::mouseMoveEvent(QMouseEvent *event) {
    const QPointF at = event->position();
    guarded("TotalImage_MouseMove", [&] {
        w_.TotalImage_MouseMove(event->buttons() != Qt::NoButton, at.x() * map_size / width(),
                                at.y() * map_size / height());
    });
}

void MapImage::mouseReleaseEvent(QMouseEvent *) {
    guarded("TotalImage_MouseUp", [&] { w_.TotalImage_MouseUp(); });
}

GlyphLabel::GlyphLabel(QWidget *parent, Glyph g) : QLabel(parent), glyph(g) {}

void GlyphLabel::place(int left, int top, int width, int height) {
    left_twips = left;
    top_twips = top;
    place_twips(this, left, top, width, height);
}

void GlyphLabel::set_colors(int32_t color) {
    fore_color = back_color = color;
    update();
}

void GlyphLabel::paintEvent(QPaintEvent *event) {
    if (glyph == Glyph::none) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter g(this);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(color_of(fore_color));
    const QRectF r = QRectF(rect()).adjusted(2, 2, -2, -2);
    if (glyph == Glyph::circle)
        g.drawEllipse(r);
    else
        g.drawRect(r);
}

void GlyphLabel::mousePressEvent(QMouseEvent *) {
    if (pressed)
        guarded("GlyphLabel_MouseDown", pressed);
}

void GlyphLabel::mouseReleaseEvent(QMouseEvent *event) {
    const bool inside = rect().contains(event->position().toPoint());
    // A handler may close the window: what it needs is copied first.
    const auto on_click = clicked;
    if (released)
        guarded("GlyphLabel_MouseUp", released);
    if (inside && on_click)
        guarded("GlyphLabel_Click", on_click);
}

ZALSpatial::ZALSpatial(Program &p) : Form(p.forms.windows, caption, true), p_(p) {
    TB = new KeyedToolBar(this);
    TB->add_button("exit", "Close spatial query", "close");
    TB->add_button("run", "Run spatial query", "run");
    TB->add_button("edit", "Change selection criteria", "edit");
    TB->add_button("sql", "Show generated SQL", "sql");
    TB->add_button("clear", "Clear all query blocks", "clear");
    TB->add_button("info", "Help on spatial query", "info");
    place_twips(TB, 0, 0, block_left + map_size, 360);

    Status = new QLabel(this);
    Status->setTextFormat(Qt::PlainText);
    place_twips(Status, map_left, 360, block_left + map_size - map_left, status_height);

    TotalImage = new MapImage(*this, this);
    place_twips(TotalImage, map_left, map_top, map_size, map_size);
    FullIM = new QLabel(this);
    FullIM->setScaledContents(true);
    place_twips(FullIM, block_left, block_top, map_size, map_size);

    for (int i = 0; i < block_markers; ++i) {
        auto *dot = new GlyphLabel(this, GlyphLabel::Glyph::circle);
        dot->place(block_left, block_top, dot_size, dot_size);
        dot->hide();
        dot->pressed = [this, i] { Home_MouseDown(i); };
        dot->released = [this, i] { Home_MouseUp(i); };
        Home[static_cast<std::size_t>(i)] = dot;
    }

    HouseInfo = new Grid(this);
    HouseInfo->verticalHeader()->hide();
    HouseInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    HouseInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    HouseInfo->set_rows(grid_rows);
    HouseInfo->set_cols(2);
    HouseInfo->verticalHeader()->setMinimumSectionSize(1);
    HouseInfo->horizontalHeader()->setMinimumSectionSize(1);
    HouseInfo->hide();

    build_frame5();
    build_options();

    const SqlPanel panel =
        make_sql_panel(this, "Lucida Console", map_left, map_top, block_left + map_size - map_left, map_size);
    SQLFrame = panel.frame;
    SQL = panel.text;
    CloseSQL = panel.close;

    connect(TB, &KeyedToolBar::button_click, this, [this](const std::string &key) {
        guarded("TB_ButtonClick", [&] { TB_ButtonClick(key); });
    });
    connect(CloseOptions, &CloseLabel::clicked, this, [this] { Options->hide(); });
    connect(CloseSQL, &CloseLabel::clicked, this, [this] { SQLFrame->hide(); });

    resize_twips(block_left + map_size + 180, map_top + map_size + 480);
    fit_to_font();
    Form_Load();
}

void ZALSpatial::fit_to_font() {
    const QFont base = font();
    std::vector<std::pair<QString, int>> column;
    for (const char *c : legend_captions)
        column.push_back({c, twips_to_px(caption_width)});
    for (int c = 0; c < 4; ++c) {
        column.push_back({criterion_captions[c], twips_to_px(text_width)});
        for (const Choice &choice : choices(criteria[c]))
            column.push_back({choice.summary, twips_to_px(text_width) - summary_panel});
    }
    Frame5->setFont(fitting_font(base, twips_to_px(text_height), column));
    Status->setFont(fitting_font(base, twips_to_px(status_height), {}));

    const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                          style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    std::vector<std::pair<QString, int>> options;
    for (int c = 0; c < 4; ++c) {
        options.push_back({criterion_captions[c], twips_to_px(group_width) - 2 * indicator});
        for (const Choice &choice : choices(criteria[c]))
            options.push_back({choice.option, twips_to_px(option_width) - indicator});
    }
    Options->setFont(fitting_font(base, twips_to_px(option_height), options));

    // The grid's design measures, or what its texts need: the header row is bold.
    QFont bold = HouseInfo->font();
    bold.setBold(true);
    const QFontMetrics m(bold);
    constexpr int cell_padding = 6;
    const int row_px = std::max(twips_to_px(grid_row_height), m.height() + 4);
    const int widths[] = {std::max(twips_to_px(grid_col_widths[0]), m.horizontalAdvance("Bathrooms") + cell_padding),
                          std::max(twips_to_px(grid_col_widths[1]), m.horizontalAdvance("9999999") + cell_padding)};
    for (int c = 0; c < 2; ++c)
        HouseInfo->set_col_width(c, px_to_twips(widths[c]));
    HouseInfo->verticalHeader()->setDefaultSectionSize(row_px);
    HouseInfo->horizontalHeader()->setFixedHeight(row_px);
    const int frame = 2 * HouseInfo->frameWidth();
    HouseInfo->resize(widths[0] + widths[1] + frame, grid_rows * row_px + frame);
}

void ZALSpatial::build_frame5() {
    Frame5 = new QFrame(this);
    place_twips(Frame5, 30, map_top, map_left - 60, map_size);
    std::array<QLabel *, 7> legend{};
    for (int k = 0; k < 7; ++k) {
        auto *square = new GlyphLabel(Frame5, GlyphLabel::Glyph::square);
        square->place(text_left, 60 + 300 * k, 240, 240);
        square->set_colors(band_colors[legend_band(k)]);
        square->setCursor(Qt::PointingHandCursor);
        square->clicked = [this, k] { Range_Click(k); };
        Range[static_cast<std::size_t>(k)] = square;
        auto *label = new QLabel(legend_captions[k], Frame5);
        place_twips(label, caption_left, 60 + 300 * k, caption_width, text_height);
        legend[static_cast<std::size_t>(k)] = label;
    }
    std::tie(Label1, Label2, Label3, Label4, Label5, Label6, Label7) = std::tuple_cat(legend);

    std::array<QLabel *, 4> headings{};
    std::array<GlyphLabel *, 4> summaries{};
    for (int c = 0; c < 4; ++c) {
        const int top = 2280 + 600 * c;
        auto *heading = new QLabel(criterion_captions[c], Frame5);
        place_twips(heading, text_left, top, text_width, text_height);
        auto *summary = new GlyphLabel(Frame5);
        summary->setText(choices(criteria[c])[0].summary);
        summary->setFrameShape(QFrame::Panel);
        summary->setFrameShadow(QFrame::Sunken);
        summary->setCursor(Qt::PointingHandCursor);
        summary->place(text_left, top + text_height, text_width, summary_height);
        summary->clicked = [this, c] { summary_Click(criteria[c]); };
        headings[static_cast<std::size_t>(c)] = heading;
        summaries[static_cast<std::size_t>(c)] = summary;
    }
    std::tie(Label9, Label8, Label10, Label11) = std::tuple_cat(headings);
    std::tie(VPrice, VArea, VBedrooms, VBathrooms) = std::tuple_cat(summaries);
}

void ZALSpatial::build_options() {
    Options = new QFrame(this);
    Options->setFrameShape(QFrame::Box);
    Options->setAutoFillBackground(true);
    place_twips(Options, map_left, map_top, map_size, map_size);
    CloseOptions = new CloseLabel(Options);
    place_twips(CloseOptions, 30, 30, 255, 255);
    const struct {
        int left, top;
    } places[] = {{300, 300}, {2520, 300}, {300, 2580}, {2520, 2580}};
    for (int c = 0; c < 4; ++c) {
        const Criterion criterion = criteria[c];
        const std::span<const Choice> all = choices(criterion);
        auto *group = new QGroupBox(criterion_captions[c], Options);
        place_twips(group, places[c].left, places[c].top, group_width,
                    360 + option_height * static_cast<int>(all.size()));
        const std::span<QRadioButton *> buttons = options_of(criterion);
        for (std::size_t k = 0; k < all.size(); ++k) {
            auto *option = new QRadioButton(all[k].option, group);
            place_twips(option, 120, 300 + option_height * static_cast<int>(k), option_width, option_height);
            const int index = static_cast<int>(k);
            connect(option, &QRadioButton::clicked, this,
                    [this, criterion, index] {
                        guarded("option_Click", [&] { option_Click(criterion, index); });
                    });
            buttons[k] = option;
        }
        buttons[0]->setChecked(true);
    }
    Options->hide();
}

void ZALSpatial::form_unload() {
    // The next opening makes the window afresh; its variables stay with the program.
    if (p_.forms.spatial == this)
        p_.forms.spatial = nullptr;
}

void ZALSpatial::Form_Load() {
    SpatialSearch &s = p_.spatial;
    QPixmap picture;
    if (!picture.load(qt(p_.settings.prog_dir + "/" + picture_file))) {
        p_.dialogs.message("Spatial image not available", "Spatial Demo", MessageIcon::Exclamation,
                           MessageButtons::Ok);
        return;
    }
    TotalImage->set_picture(picture);
    PC.set_picture(picture);
    for (int i = 0; i <= blocks_across; ++i) {
        const double at = block_size * i;
        LineUp[static_cast<std::size_t>(i)] = {map_left + at, double(map_top), map_left + at, double(map_top + map_size),
                                               false};
        LineAcross[static_cast<std::size_t>(i)] = {double(map_left), map_top + at, double(map_left + map_size),
                                                   map_top + at, false};
    }
    for (Shape &m : ID)
        m.tag = marker_free;
    move_twips(100, top_twips());
    MapQuery &q = s.query;
    q.price_sel = q.area_sel = q.beds_sel = q.baths_sel = 0;
    q.query_sql.clear();
    std::copy(band_colors.begin(), band_colors.end(), s.band_color.begin());
}

std::span<QRadioButton *> ZALSpatial::options_of(Criterion c) {
    const std::array<std::span<QRadioButton *>, 4> all = {price, Area, Bedrooms, Bathrooms};
    return all[static_cast<std::size_t>(c)];
}

GlyphLabel *ZALSpatial::summary_of(Criterion c) const {
    return std::array<GlyphLabel *, 4>{VPrice, VArea, VBedrooms, VBathrooms}[static_cast<std::size_t>(c)];
}

void ZALSpatial::set_status(const std::string &text) { Status->setText(qt(text)); }

void ZALSpatial::refresh_map() { TotalImage->update(); }

void ZALSpatial::hide_markers() {
    for (Shape &m : ID) {
        m.visible = false;
        m.tag = marker_free;
    }
}

void ZALSpatial::TB_ButtonClick(const std::string &key) {
    Options->hide();
    SQLFrame->hide();
    if (key == "exit") {
        unload();
    } else if (key == "run") {
        plot_homes();
    } else if (key == "edit") {
        Options->show();
        Options->raise();
    } else if (key == "sql") {
        show_sql_panel(SQLFrame, SQL, p_.spatial.query.query_sql);
    } else if (key == "clear") {
        hide_markers();
        for (auto *lines : {&LineUp, &LineAcross})
            for (Line &l : *lines)
                l.visible = false;
        SelectArea.visible = false;
        for (Criterion c : criteria) {
            summary_of(c)->setText(choices(c)[0].summary);
            select_option(c, 0);
        }
        refresh_map();
    } else if (key == "info") {
        show_help_page(p_, help_page);
    }
}

void ZALSpatial::plot_homes() {
    SpatialSearch &s = p_.spatial;
    hide_markers();
    std::optional<SelectBox> box;
    if (SelectArea.visible)
        box = SelectBox{SelectArea.left, SelectArea.top, SelectArea.width, SelectArea.height, double(map_left),
                        double(map_top)};
    s.query.query_sql = Gen_SQL(s.query, box);
    s.house_count = static_cast<int16_t>(SQLresults(p_, s.query.query_sql));
    if (s.house_count == -1) {
        set_status("Error processing query");
    } else if (s.house_count == 0) {
        set_status("No houses found");
    } else {
        set_status(count_text(s.house_count, " found"));
        for (int i = 1; i <= std::min<int>(s.house_count, placed_results); ++i) {
            const auto &row = s.results[static_cast<std::size_t>(i)];
            Shape &m = ID[static_cast<std::size_t>(i)];
            m.left = map_left + row[1] - marker_size / 2;
            m.top = map_top + row[2] - marker_size / 2;
            m.width = m.height = marker_size;
            m.fill_color = m.border_color = s.band_color[static_cast<std::size_t>(price_band(row[3]))];
            m.tag = marker_placed;
            m.visible = true;
        }
    }
    draw_grid();
}

void ZALSpatial::draw_grid() {
    const Shape &a = SelectArea;
    for (int i = 0; i <= blocks_across; ++i) {
        const double at = block_size * i;
        Line &up = LineUp[static_cast<std::size_t>(i)];
        Line &across = LineAcross[static_cast<std::size_t>(i)];
        const double x = map_left + at, y = map_top + at;
        if (!a.visible) {
            up = {x, double(map_top), x, double(map_top + map_size), true};
            across = {double(map_left), y, double(map_left + map_size), y, true};
            continue;
        }
        up.visible = x >= a.left && x <= a.left + a.width;
        if (up.visible)
            up = {x, a.top, x, a.top + a.height, true};
        across.visible = y >= a.top && y <= a.top + a.height;
        if (across.visible)
            across = {a.left, y, a.left + a.width, y, true};
    }
    refresh_map();
}

void ZALSpatial::show_block(int16_t bx, int16_t by) {
    SpatialSearch &s = p_.spatial;
    for (GlyphLabel *dot : Home)
        dot->hide();
    const int32_t n = get_homes(p_, block_sql(s.query, bx, by));
    if (n <= 0) {
        set_status("No houses found in this block");
        return;
    }
    set_status(count_text(n, " in this block"));
    constexpr int sx = map_size / 100, sy = map_size / 100; // the block view's twips per block step
    for (int i = 1; i <= std::min<int32_t>(n, block_dots); ++i) {
        const home_rec &h = s.homes[static_cast<std::size_t>(i)];
        GlyphLabel *dot = Home[static_cast<std::size_t>(i)];
        dot->place(block_left + h.x * sx, block_top + h.y * sy, dot_size, dot_size);
        dot->tag = join_fields({h.area, h.price, h.beds, h.baths});
        dot->set_colors(s.band_color[static_cast<std::size_t>(price_band(h.price))]);
        dot->show();
        dot->raise();
    }
}

void ZALSpatial::TotalImage_MouseDown(double X, double Y) {
    SpatialSearch &s = p_.spatial;
    const int32_t x = round_long(X), y = round_long(Y);
    // A press on the map's very edge belongs to the block inside it.
    const auto bx = static_cast<int16_t>(std::clamp(x / block_size, 0, blocks_across - 1));
    const auto by = static_cast<int16_t>(std::clamp(y / block_size, 0, blocks_across - 1));
    FullIM->setPixmap(PC.cell(by * blocks_across + bx));
    show_block(bx, by);
    s.anchor_x = static_cast<int16_t>(std::clamp(x, 0, map_size));
    s.anchor_y = static_cast<int16_t>(std::clamp(y, 0, map_size));
    s.mouse_down = true;
    s.dragging = false;
}

void ZALSpatial::TotalImage_MouseMove(bool button_held, double X, double Y) {
    SpatialSearch &s = p_.spatial;
    if (!button_held)
        return;
    if (s.mouse_down) {
        for (int i = 0; i <= std::min<int>(s.house_count, search_markers - 1); ++i) {
            ID[static_cast<std::size_t>(i)].visible = false;
            ID[static_cast<std::size_t>(i)].tag = marker_free;
        }
        for (auto *lines : {&LineUp, &LineAcross})
            for (Line &l : *lines)
                l.visible = false;
        s.dragging = true;
        SelectArea.left = map_left + s.anchor_x;
        SelectArea.top = map_top + s.anchor_y;
        SelectArea.width = SelectArea.height = 1;
        SelectArea.visible = true;
        s.mouse_down = false;
    } else if (s.dragging) {
        X = std::clamp(X, 0.0, double(map_size));
        Y = std::clamp(Y, 0.0, double(map_size));
        SelectArea.left = map_left + std::min<double>(X, s.anchor_x);
        SelectArea.top = map_top + std::min<double>(Y, s.anchor_y);
        SelectArea.width = std::fabs(X - s.anchor_x);
        SelectArea.height = std::fabs(Y - s.anchor_y);
    }
    refresh_map();
}

void ZALSpatial::TotalImage_MouseUp() {
    SpatialSearch &s = p_.spatial;
    if (s.dragging)
        plot_homes();
    s.dragging = false;
}

void ZALSpatial::Home_MouseDown(int index) {
    const GlyphLabel *dot = Home[static_cast<std::size_t>(index)];
    int32_t area = 0, house_price = 0, beds = 0, baths = 0;
    split_fields(dot->tag, area, house_price, beds, baths);
    const std::pair<const char *, int32_t> cells[] = {
        {"Price", house_price}, {"Area", area}, {"Bedrooms", beds}, {"Bathrooms", baths}};
    for (int r = 0; r < grid_rows; ++r) {
        HouseInfo->set_text_matrix(r, 0, cells[r].first);
        HouseInfo->set_text_matrix(r, 1, std::to_string(cells[r].second));
    }
    const int grid_width = px_to_twips(HouseInfo->width());
    const int grid_height = px_to_twips(HouseInfo->height());
    double left = dot->left_twips + 120;
    if (left + grid_width > width_twips())
        left = dot->left_twips - grid_width - 120;
    double top = dot->top_twips - grid_height + 120;
    if (top < 120) {
        top = 120;
        left = dot->left_twips - grid_width - 120;
    }
    HouseInfo->move(twips_to_px(round_long(left)), twips_to_px(round_long(top)));
    HouseInfo->show();
    HouseInfo->raise();
}

void ZALSpatial::Home_MouseUp(int) { HouseInfo->hide(); }

void ZALSpatial::Range_Click(int index) {
    const SpatialSearch &s = p_.spatial;
    const int32_t c = s.band_color[legend_band(index)];
    for (int i = 1; i <= std::min<int>(s.house_count, search_markers - 1); ++i) {
        Shape &m = ID[static_cast<std::size_t>(i)];
        if (m.visible && m.fill_color != c)
            m.visible = false;
        else if (!m.visible && m.fill_color == c && m.tag == marker_placed)
            m.visible = true;
    }
    refresh_map();
}

void ZALSpatial::option_Click(Criterion c, int index) {
    const std::span<const Choice> all = choices(c);
    if (index < 0 || static_cast<std::size_t>(index) >= all.size())
        return;
    p_.spatial.query.selection(c) = static_cast<int16_t>(index + 1);
    summary_of(c)->setText(all[static_cast<std::size_t>(index)].summary);
}

void ZALSpatial::select_option(Criterion c, int index) {
    options_of(c)[static_cast<std::size_t>(index)]->setChecked(true);
    option_Click(c, index);
}

void ZALSpatial::summary_Click(Criterion c) {
    const std::span<const Choice> all = choices(c);
    int16_t &sel = p_.spatial.query.selection(c);
    sel = static_cast<int16_t>(sel + 1);
    if (sel < 1 || static_cast<std::size_t>(sel) > all.size())
        sel = 1;
    summary_of(c)->setText(all[static_cast<std::size_t>(sel - 1)].summary);
    select_option(c, sel - 1);
}

} // namespace kestle
