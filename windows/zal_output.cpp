// An output window: the colour bar, the result grid and a press on a cell.

#include "zal_output.h"

#include "grid.h"
#include "program.h"
#include "twips.h"
#include "window_support.h"
#include "xml_layout.h"
#include "zal_viewers.h"

#include <algorithm>

namespace kestle {

namespace {

// What the text viewer shows of a wide cell: XML laid out by its tags, other text as it is.
std::string cell_view(const std::string &v) { return v.starts_with('<') ? xml_layout(v) : v; }

} // namespace

ZALOutput::ZALOutput(Program &p) : Form(p.forms.windows, "", true), p_(p) {
    QueryNo = new QWidget(this);
    QueryNo->setAutoFillBackground(true);
    place_twips(QueryNo, 62, 120, 5055, 135);
    DataValues = new Grid(this);
    DataValues->set_cell_padding(true);
    place_twips(DataValues, 62, 360, 5055, 2535);
    connect(DataValues, &Grid::cell_pressed, this, [this](Qt::MouseButton button, int row, int col) {
        guarded("DataValues_MouseDown", [&] { DataValues_MouseDown(button, row, col); });
    });
    set_minimum_twips(3000, 3000);
    // Form_Load
    resize_twips(7470, 3375);
}

void ZALOutput::set_query_colour(const QColor &c) {
    QPalette pal = QueryNo->palette();
    pal.setColor(QPalette::Window, c);
    QueryNo->setPalette(pal);
}

QColor ZALOutput::query_colour() const { return QueryNo->palette().color(QPalette::Window); }

void ZALOutput::DataValues_MouseDown(Qt::MouseButton button, int row, int col) {
    if (button != Qt::LeftButton || row <= 0 || col < 0 || col + 1 > Execution::max_columns)
        return;
    // The flag is that of the latest result, whichever window shows it.
    if (!p_.exec.col_info[static_cast<std::size_t>(col) + 1].wide)
        return;
    ZALViewText &viewer = p_.view_text();
    viewer.set_text(cell_view(DataValues->text_matrix(row, col)));
    viewer.show_form();
}

void ZALOutput::resizeEvent(QResizeEvent *event) {
    Form::resizeEvent(event);
    lay_out(*this, 3000, [this](int w, int h) {
        QueryNo->resize(twips_to_px(w - 300), QueryNo->height());
        DataValues->resize(twips_to_px(w - 300), twips_to_px(std::max(h - 860, 0)));
    });
}

} // namespace kestle
