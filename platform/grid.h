// A result grid in the manner of a flex grid: row 0 is the fixed header row, every further row
// one row of cells. The rows live in a model; the view draws only what is on the screen.
#pragma once

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTableView>

#include <string>
#include <vector>

namespace kestle {

// A column's alignment: 0 to 8 are left, centre and right, each by top, centre and bottom.
enum GridAlignment : int {
    align_left_centre = 1,
    align_left_bottom = 2,
    align_general = 9,
};

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Rows counts the header row; Cols the columns.
    int rows() const { return static_cast<int>(rows_.size()) + blank_rows_; }
    int cols() const { return cols_; }
    void set_rows(int n);
    void set_cols(int n);
    std::string text_matrix(int row, int col) const;
    void set_text_matrix(int row, int col, const std::string &text);
    // Inserts a row at index (1 to Rows); its cells are the TAB-separated fields of text.
    void add_item(const std::string &text, int index);
    // Empties every cell; Rows and Cols stay.
    void clear();
    int col_alignment(int col) const;
    void set_col_alignment(int col, int alignment);

    // While suspended the model tells its view nothing; resume() tells it all at once.
    void suspend() { suspended_ = true; }
    void resume();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void changed();

    // Each row is its cells joined by TAB, as rows are added; rows past the last stored one
    // are blank and cost nothing (a grid is often given spare rows before it is filled).
    std::vector<std::string> rows_{std::string()};
    int blank_rows_ = 0;
    int cols_ = 0;
    std::vector<int> alignment_;
    bool suspended_ = false;
    bool dirty_ = false;
    // What the view was last told; a suspended model keeps answering with these.
    int published_rows_ = 0;
    int published_cols_ = 0;
};

// The header row of a grid. A column wider than the view has its name in the part that shows,
// so the name is seen wherever the grid is scrolled.
class GridHeader : public QHeaderView {
public:
    explicit GridHeader(QWidget *parent);
    // Where the name of a section is drawn, centred, in the header's viewport; empty when the
    // section is out of view. A name wider than the part that shows starts at its left edge.
    QRect name_rect(int section) const;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int section) const override;
};

class Grid : public QTableView {
    Q_OBJECT
public:
    explicit Grid(QWidget *parent = nullptr);

    int rows() const { return model_.rows(); }
    int cols() const { return model_.cols(); }
    void set_rows(int n) { model_.set_rows(n); }
    void set_cols(int n);
    std::string text_matrix(int row, int col) const { return model_.text_matrix(row, col); }
    void set_text_matrix(int row, int col, const std::string &text) { model_.set_text_matrix(row, col, text); }
    void add_item(const std::string &text, int index) { model_.add_item(text, index); }
    void clear() { model_.clear(); }
    int col_width(int col) const;      // twips
    void set_col_width(int col, int twips);
    // With padding a column width is the room for its text: the view adds its own cell margins,
    // and a column is never narrower than its header in bold, as the current column shows it.
    void set_cell_padding(bool on);
    int col_alignment(int col) const { return model_.col_alignment(col); }
    void set_col_alignment(int col, int alignment) { model_.set_col_alignment(col, alignment); }

    // The current cell, in grid rows (1 is the first data row).
    int row() const;
    int col() const;
    void set_row(int row);
    int top_row() const;
    void set_top_row(int row);
    void set_left_col(int col);

    // Hidden while it is filled: the view hears of the new rows only when it is shown again.
    void set_grid_visible(bool visible);

signals:
    // A mouse button pressed over a data cell, after that cell became the current one.
    void cell_pressed(Qt::MouseButton button, int row, int col);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void apply_widths();
    void show_width(int col);
    // Rows as high as a line of the grid's font.
    void fit_rows_to_font();

    GridModel model_;
    std::vector<int> widths_; // twips, kept across the model's resets; 0: not set
    bool cell_padding_ = false;
};

} // namespace kestle
