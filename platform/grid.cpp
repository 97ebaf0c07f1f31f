// The result grid: its row model and the view that draws it.

#include "grid.h"

#include "text_codec.h"
#include "twips.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QMouseEvent>
#include <algorithm>

namespace kestle {

namespace {

// The field at col of a TAB-joined row, or an empty view.
std::string_view field(const std::string &row, int col) {
    size_t start = 0;
    for (int c = 0; c < col; ++c) {
        size_t tab = row.find('\t', start);
        if (tab == std::string::npos)
            return {};
        start = tab + 1;
    }
    size_t end = row.find('\t', start);
    return std::string_view(row).substr(start, end == std::string::npos ? std::string::npos : end - start);
}

} // namespace

void GridModel::changed() {
    if (suspended_) {
        dirty_ = true;
        return;
    }
    beginResetModel();
    published_rows_ = rows() - 1;
    published_cols_ = cols_;
    endResetModel();
}

void GridModel::resume() {
    suspended_ = false;
    if (dirty_) {
        dirty_ = false;
        changed();
    }
}

void GridModel::set_rows(int n) {
    n = std::max(n, 1);
    const int stored = static_cast<int>(rows_.size());
    if (n <= stored) {
        rows_.resize(static_cast<size_t>(n));
        blank_rows_ = 0;
    } else {
        blank_rows_ = n - stored;
    }
    changed();
}

void GridModel::set_cols(int n) {
    cols_ = std::max(n, 0);
    alignment_.resize(static_cast<size_t>(cols_), align_general);
    changed();
}

std::string GridModel::text_matrix(int row, int col) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || col < 0 || col >= cols_)
        return {};
    return std::string(field(rows_[static_cast<size_t>(row)], col));
}

void GridModel::set_text_matrix(int row, int col, const std::string &text) {
    if (row < 0 || row >= rows() || col < 0 || col >= cols_)
        return;
    if (row >= static_cast<int>(rows_.size())) {
        const int make = row + 1 - static_cast<int>(rows_.size());
        rows_.resize(static_cast<size_t>(row) + 1);
        blank_rows_ -= make;
    }
    // Rebuild the row with the new cell; a TAB in the text stays inside this cell's field.
    std::string &r = rows_[static_cast<size_t>(row)];
    std::vector<std::string> cells;
    for (int c = 0; c < cols_; ++c)
        cells.emplace_back(field(r, c));
    cells[static_cast<size_t>(col)] = text;
    std::string joined;
    for (int c = 0; c < cols_; ++c) {
        if (c)
            joined += '\t';
        joined += cells[static_cast<size_t>(c)];
    }
    r = std::move(joined);
    changed();
}

void GridModel::add_item(const std::string &text, int index) {
    index = std::clamp(index, 1, rows());
    const int stored = static_cast<int>(rows_.size());
    if (index == stored) {
        rows_.push_back(text); // in front of the blank rows: the usual way a grid fills
    } else if (index < stored) {
        rows_.insert(rows_.begin() + index, text);
    } else {
        rows_.resize(static_cast<size_t>(index));
        blank_rows_ -= index - stored;
        rows_.push_back(text);
    }
    changed();
}

void GridModel::clear() {
    for (std::string &r : rows_)
        r.clear();
    changed();
}

int GridModel::col_alignment(int col) const {
    return col >= 0 && col < cols_ ? alignment_[static_cast<size_t>(col)] : align_general;
}

void GridModel::set_col_alignment(int col, int alignment) {
    if (col >= 0 && col < cols_)
        alignment_[static_cast<size_t>(col)] = alignment;
    changed();
}

int GridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : published_rows_; }

int GridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : published_cols_; }

QVariant GridModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    if (index.row() >= published_rows_ || index.column() >= published_cols_)
        return {};
    if (role == Qt::DisplayRole) {
        const int row = index.row() + 1;
        if (row >= static_cast<int>(rows_.size()))
            return QString();
        std::string_view f = field(rows_[static_cast<size_t>(row)], index.column());
        return QString::fromUtf8(f.data(), static_cast<qsizetype>(f.size()));
    }
    if (role == Qt::TextAlignmentRole) {
        const int a = col_alignment(index.column());
        if (a < 0 || a > 8)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        const Qt::Alignment h[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
        const Qt::Alignment v[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
        return QVariant::fromValue(Qt::Alignment(h[a / 3] | v[a % 3]));
    }
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0 || section >= (orientation == Qt::Horizontal ? published_cols_ : published_rows_))
        return {};
    if (orientation == Qt::Horizontal)
        return qt(text_matrix(0, section));
    return section + 1;
}

GridHeader::GridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}

QRect GridHeader::name_rect(int section) const {
    const QRect whole(sectionViewportPosition(section), 0, sectionSize(section), viewport()->height());
    const QRect shown = whole.intersected(viewport()->rect());
    if (shown.isEmpty() || shown == whole)
        return shown;
    return QRect(shown.x(), 0, std::max(shown.width(), sectionSizeFromContents(section).width()), whole.height());
}

void GridHeader::paintSection(QPainter *painter, const QRect &rect, int section) const {
    const QRect shown = rect.intersected(viewport()->rect());
    const QRect name = name_rect(section);
    if (shown == rect || name.isEmpty()) {
        QHeaderView::paintSection(painter, rect, section);
        return;
    }
    // The section is drawn over the part that shows; nothing of it reaches past that part.
    painter->save();
    painter->setClipRect(shown, Qt::IntersectClip);
    QHeaderView::paintSection(painter, QRect(name.x(), rect.y(), name.width(), rect.height()), section);
    painter->restore();
}

Grid::Grid(QWidget *parent) : QTableView(parent) {
    setHorizontalHeader(new GridHeader(this));
    setModel(&model_);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fit_rows_to_font();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    connect(&model_, &QAbstractItemModel::modelReset, this, &Grid::apply_widths);
    // The header shifts what it drew when the grid scrolls; a name placed in the part of a
    // column that showed must be placed again.
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, horizontalHeader()->viewport(),
            qOverload<>(&QWidget::update));
}

void Grid::fit_rows_to_font() { verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4); }

void Grid::apply_widths() {
    for (size_t c = 0; c < widths_.size() && static_cast<int>(c) < model_.columnCount(); ++c)
        show_width(static_cast<int>(c));
}

void Grid::show_width(int col) {
    const int twips = widths_[static_cast<size_t>(col)];
    if (twips <= 0)
        return;
    int px = twips_to_px(twips);
    if (cell_padding_) {
        // The item view keeps a text margin on either side of a cell and draws its grid line
        // inside the column.
        const int text_margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
        px += 2 * text_margin + (showGrid() ? 1 : 0);
        if (col < model_.columnCount())
            px = std::max(px, horizontalHeader()->sectionSizeHint(col));
    }
    setColumnWidth(col, px);
}

void Grid::set_cell_padding(bool on) {
    cell_padding_ = on;
    apply_widths();
}

void Grid::set_cols(int n) { model_.set_cols(n); }

int Grid::col_width(int col) const {
    if (col >= 0 && static_cast<size_t>(col) < widths_.size() && widths_[static_cast<size_t>(col)] > 0)
        return widths_[static_cast<size_t>(col)];
    return px_to_twips(columnWidth(col));
}

void Grid::set_col_width(int col, int twips) {
    if (col < 0)
        return;
    if (widths_.size() <= static_cast<size_t>(col))
        widths_.resize(static_cast<size_t>(col) + 1, 0);
    widths_[static_cast<size_t>(col)] = twips;
    if (twips > 0)
        show_width(col);
    else
        setColumnWidth(col, 0);
}

int Grid::row() const { return currentIndex().isValid() ? currentIndex().row() + 1 : 0; }

int Grid::col() const { return currentIndex().isValid() ? currentIndex().column() : 0; }

void Grid::set_row(int row) { setCurrentIndex(model_.index(row - 1, std::max(col(), 0))); }

// The scroll bars count rows and columns: the first visible one is their value.
int Grid::top_row() const { return verticalScrollBar()->value() + 1; }

void Grid::set_top_row(int row) { verticalScrollBar()->setValue(std::max(row - 1, 0)); }

void Grid::set_left_col(int col) { horizontalScrollBar()->setValue(std::max(col, 0)); }

void Grid::set_grid_visible(bool visible) {
    if (visible) {
        model_.resume();
        show();
    } else {
        model_.suspend();
        hide();
    }
}

void Grid::changeEvent(QEvent *event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fit_rows_to_font();
        apply_widths(); // the bold headers take the new font as well
    }
}

void Grid::mousePressEvent(QMouseEvent *event) {
    QTableView::mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit cell_pressed(event->button(), index.row() + 1, index.column());
}

} // namespace kestle
