// The picture search window: palette, colour query, thumbnails and paging.
#include "zal_findpics.h"

#include "close_label.h"
#include "colour_query.h"
#include "keyed_toolbar.h"
#include "palette.h"
#include "picture_box.h"
#include "pictures.h"
#include "program.h"
#include "run_support.h"
#include "text_codec.h"
#include "twips.h"
#include "window_support.h"
#include "zal_viewers.h"
#include "zal_viewpic.h"

#include <QFrame>
#include <QLabel>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace kestle {

namespace {

constexpr const char *caption = "Query by Image Colors";
constexpr const char *picture_query = "select picture from pictures where pic_no=";
constexpr int thumbnail_size = 1500;
constexpr int cell_size = 240;
constexpr int cells_per_row = 24;
constexpr int status_height = 300;

} // namespace

ZALFindpics::ZALFindpics(Program &p) : Form(p.forms.windows, caption, true), p_(p) {
    TB = new KeyedToolBar(this);
    TB->add_button("exit", "Close color query", "close");
    TB->add_button("run", "Run Query", "run");
    TB->add_button("clear", "Reset color selection", "clear");
    TB->add_button("sql", "Show generated SQL", "sql");
    TB->add_button("andor", "Toggle between and/or", "or");
    TB->add_button("info", "Help on QBE query", "info");
    place_twips(TB, 0, 0, 2520, 420);

    Status = new QLabel(this);
    Status->setTextFormat(Qt::PlainText);
    Status->setWordWrap(true);
    Status->setAutoFillBackground(true);

    for (int i = 0; i < static_cast<int>(HUESCAN.size()); ++i) {
        auto *t = new PictureBox(this);
        t->set_stretch(true);
        place_twips(t, 120 + 1560 * (i % 4), i < 4 ? 480 : 2040, thumbnail_size, thumbnail_size);
        connect(t, &PictureBox::clicked, this,
                [this, i] { guarded("HUESCAN_Click", [&] { HUESCAN_Click(i); }); });
        HUESCAN[static_cast<std::size_t>(i)] = t;
    }

    ScrollPics = new QScrollBar(Qt::Vertical, this);
    ScrollPics->setRange(0, 0);
    ScrollPics->setPageStep(4);
    ScrollPics->setSingleStep(4); // one row of thumbnails
    place_twips(ScrollPics, 6360, 480, 255, 3015);
    connect(ScrollPics, &QScrollBar::valueChanged, this,
            [this] { guarded("ScrollPics_Change", [&] { ScrollPics_Change(); }); });

    // The shown cells stand in three rows of 24 in cell order.
    int shown = 0;
    for (int i = 0; i < palette_cells; ++i) {
        auto *c = new PictureBox(this);
        if (palette_visible(i)) {
            place_twips(c, 120 + cell_size * (shown % cells_per_row), 3600 + cell_size * (shown / cells_per_row),
                        cell_size, cell_size);
            ++shown;
        } else {
            c->set_border_style(1);
            c->hide();
        }
        connect(c, &PictureBox::clicked, this, [this, i] { guarded("col_Click", [&] { col_Click(i); }); });
        col[static_cast<std::size_t>(i)] = c;
    }

    const SqlPanel panel = make_sql_panel(this, "Courier New", 120, 480, 6180, 3015);
    SQLFrame = panel.frame;
    SQL = panel.text;
    CloseSQL = panel.close;

    connect(TB, &KeyedToolBar::button_click, this, [this](const std::string &key) {
        guarded("TB_ButtonClick", [&] { TB_ButtonClick(key); });
    });
    connect(CloseSQL, &CloseLabel::clicked, this,
            [this] { guarded("CloseSQL_Click", [&] { CloseSQL_Click(); }); });

    // The controls stand at fixed places: the client area keeps its size.
    setFixedSize(twips_to_px(6705), twips_to_px(4425));
    frame()->adjustSize();
    move_twips(100, 100);
    fit_to_font();
    Form_Load();
}

void ZALFindpics::fit_to_font() {
    place_twips(Status, 2640, 60, 3660, status_height);
    fit_status();
}

void ZALFindpics::Form_Load() {
    for (int i = 0; i < palette_cells; ++i)
        set_palette_cell(*col[static_cast<std::size_t>(i)], i);
    p_.pictures.use_and = false;
}

void ZALFindpics::form_unload() {
    // The next use creates the window afresh.
    if (p_.forms.findpics == this)
        p_.forms.findpics = nullptr;
}

bool ZALFindpics::selected(int cell) const {
    const PictureBox &c = *col[static_cast<std::size_t>(cell)];
    return !c.isHidden() && c.border_style() == 1;
}

void ZALFindpics::col_Click(int index) {
    SQLFrame->hide();
    PictureBox &c = *col[static_cast<std::size_t>(index)];
    c.set_border_style(c.border_style() == 0 ? 1 : 0);
}

void ZALFindpics::CloseSQL_Click() { SQLFrame->hide(); }

void ZALFindpics::TB_ButtonClick(const std::string &key) {
    SQLFrame->hide();
    PictureSearch &search = p_.pictures;
    if (key == "exit") {
        unload();
    } else if (key == "andor") {
        search.use_and = !search.use_and;
        TB->set_button_image("andor", search.use_and ? "and" : "or");
        TB->update();
    } else if (key == "sql") {
        show_sql_panel(SQLFrame, SQL, search.query_sql);
    } else if (key == "clear") {
        for (PictureBox *c : col)
            c->set_border_style(0);
    } else if (key == "run") {
        run_query();
    } else if (key == "info") {
        show_help_page(p_, "picdemo.htm");
    }
}

void ZALFindpics::run_query() {
    std::vector<std::string> colours;
    for (int i = 0; i < palette_cells; ++i)
        if (selected(i))
            colours.push_back(col[static_cast<std::size_t>(i)]->tag);
    const ColourQuery q = colour_query(colours, p_.pictures.use_and);
    p_.pictures.query_sql = q.sql;
    if (q.colours == 0) {
        show_status("No colors selected");
        return;
    }
    int n = 0;
    {
        Hourglass hourglass;
        n = ZAL_HUESCAN(p_, p_.pictures.query_sql);
    }
    // A failed search says why, here, rather than "0 pictures found" over the last result.
    show_status(p_.pictures.failure.empty() ? pictures_found_text(n) : p_.pictures.failure);
}

void ZALFindpics::show_status(const std::string &text) {
    Status->setText(qt(text));
    fit_status();
    Status->raise();
}

// The status line is as tall as its text in the window's font: a long message grows it over the
// thumbnails, and it shrinks back for a short one.
void ZALFindpics::fit_status() {
    Status->resize(Status->width(), std::max(twips_to_px(status_height), Status->heightForWidth(Status->width())));
}

void ZALFindpics::HUESCAN_Click(int index) {
    const std::string tag = HUESCAN[static_cast<std::size_t>(index)]->tag;
    if (tag.empty())
        return;
    p_.session.sql_rc = ZAL_bmp(p_, picture_query + tag);
    if (!p_.pictures.failure.empty())
        show_status(p_.pictures.failure);
    ZALViewPic &viewer = p_.viewpic();
    for (int i = 0; i < palette_cells; ++i)
        if (selected(i))
            viewer.col[static_cast<std::size_t>(i)]->set_border_style(1);
}

void ZALFindpics::ScrollPics_Change() { show_thumbnails(p_, ScrollPics->value()); }

} // namespace kestle
