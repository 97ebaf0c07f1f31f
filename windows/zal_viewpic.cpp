// The picture viewer: the picture, the palette and a click on a colour.

#include "zal_viewpic.h"

#include "palette.h"
#include "picture_box.h"
#include "pictures.h"
#include "program.h"
#include "twips.h"
#include "window_support.h"

#include <QLabel>

#include <algorithm>

namespace kestle {

namespace {

constexpr const char *caption = "Picture Viewer";
constexpr int cell_size = 150;
constexpr int cells_per_row = 5;
constexpr int label_top = 150 + cell_size * (palette_cells / cells_per_row) + 60;
constexpr int label_height = 255;

} // namespace

ZALViewPic::ZALViewPic(Program &p) : Form(p.forms.windows, caption, true), p_(p) {
    for (int i = 0; i < palette_cells; ++i) {
        auto *c = new PictureBox(this);
        place_twips(c, 150 + cell_size * (i % cells_per_row), 150 + cell_size * (i / cells_per_row), cell_size,
                    cell_size);
        connect(c, &PictureBox::clicked, this, [this, i] { guarded("col_Click", [&] { col_Click(i); }); });
        col[static_cast<std::size_t>(i)] = c;
    }
    PicBox = new PictureBox(this);
    PicBox->set_auto_size(true);
    place_twips(PicBox, 1050, 150, 1500, 1500);
    Label1 = new QLabel("Pixels", this);
    PixCount = new QLabel(this);
    PixCount->setTextFormat(Qt::PlainText);
    fit_to_font();

    resize_twips(1050 + 1500 + 200, count_bottom_twips() + 600);
    move_twips(100, 5100);
    open_as_viewer();
    Form_Load();
}

void ZALViewPic::fit_to_font() {
    const int height = std::max(label_height, px_to_twips(Label1->sizeHint().height()));
    place_twips(Label1, 150, label_top, 870, height);
    place_twips(PixCount, 150, label_top + height, 870, height);
}

int ZALViewPic::count_bottom_twips() const { return px_to_twips(PixCount->geometry().bottom() + 1); }

void ZALViewPic::Form_Load() {
    for (int i = 0; i < palette_cells; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const Rgb colour = set_palette_cell(*col[k], i);
        pal_red[k] = colour.red;
        pal_green[k] = colour.green;
        pal_blue[k] = colour.blue;
    }
}

void ZALViewPic::form_unload() {
    if (p_.forms.viewpic == this)
        p_.forms.viewpic = nullptr;
}

void ZALViewPic::col_Click(int index) {
    const auto k = static_cast<std::size_t>(index);
    const long n = bmp_highlight(p_, blob_work_file, pal_red[k], pal_green[k], pal_blue[k]);
    PixCount->setText(QString::number(n));
}

} // namespace kestle
