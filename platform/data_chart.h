// A chart in the manner of a data-grid chart control: RowCount rows by ColumnCount columns,
// each column one series with its label, each row one category with its label; Row and Column
// pick the cell that Data writes. The grid is the model, kept as written; QtCharts draws it, and
// drawn() reads back what QtCharts holds.
#pragma once

#include <QColor>
#include <QList>
#include <QMargins>
#include <QPointF>
#include <QPointer>
#include <QWidget>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QBarCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace kestle {

class DataChart : public QWidget {
    Q_OBJECT
public:
    // The ChartType values the program uses; any other value draws as a 2-D line.
    static constexpr int bar_3d = 0;
    static constexpr int bar_2d = 1;
    static constexpr int line_3d = 2;
    static constexpr int line_2d = 3;
    static constexpr int pie_2d = 14;

    // Footnote locations: 0 top, 1 top left, 2 top right, 3 left, 4 right, 5 bottom,
    // 6 bottom left, 7 bottom right.
    static constexpr int bottom_left = 6;

    explicit DataChart(QWidget *parent = nullptr);

    // The data grid. A value out of range is refused and the property keeps its value, as the
    // control refuses it; Row and Column count from 1.
    int row_count() const { return rows_; }
    void set_row_count(int n);
    int column_count() const { return cols_; }
    void set_column_count(int n);
    int row() const { return row_; }
    void set_row(int r);
    int column() const { return col_; }
    void set_column(int c);
    // The labels of the current row and column.
    void set_row_label(const std::string &label);
    void set_column_label(const std::string &label);
    // The value of the current cell.
    void set_data(double value);

    std::string row_label(int r) const;
    std::string column_label(int c) const;
    // A cell never written since its row or column came is blank: nothing is drawn for it.
    std::optional<double> data(int r, int c) const;

    int chart_type() const { return type_; }
    void set_chart_type(int type);
    void set_show_legend(bool on);

    std::string title() const { return title_; }
    void set_title(const std::string &text);
    double title_size() const;
    void set_title_size(double points);
    std::string footnote() const { return footnote_; }
    void set_footnote(const std::string &text);
    double footnote_size() const;
    void set_footnote_size(double points);
    int footnote_location() const { return footnote_location_; }
    void set_footnote_location(int location);

    // The fill of the plot area; none until one is set.
    std::optional<QColor> base_fill() const { return base_fill_; }
    void set_base_fill(const QColor &c);
    // The pen of series s (1 = the first column); none until one is set. A series without one
    // is drawn in a colour of the chart's palette. Bars are filled with their series' colour.
    std::optional<QColor> series_pen(int s) const;
    void set_series_pen(int s, const QColor &c);

    // What QtCharts draws, read back from its series and axes (pending changes drawn first).
    struct Point {
        std::string label; // the category of a line or bar point, the label of a slice
        double value = 0;
        QColor color; // of its series, or of its slice
    };
    struct Series {
        std::string name;
        std::vector<Point> points;
        QColor color; // of a line or of its bars
    };
    enum class Kind { Line, Bar, Pie };
    struct Drawing {
        Kind kind = Kind::Line;
        bool depth = false; // drawn with the raised look of a 3-D kind
        std::vector<std::string> categories;
        std::vector<Series> series;
        std::string title;
        bool legend = false;
        std::optional<QColor> plot_fill;
    };
    Drawing drawn();

    QChart *chart() const { return chart_; }
    QChartView *view() const { return view_; }

signals:
    // A mouse button released over the chart.
    void clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void changed();
    void redraw();
    void draw_pie();
    void draw_grid(bool bars);
    bool move_lines();
    bool unlabelled() const;
    void fit_position_axis();
    void fit_value_axis();
    QList<QPointF> line_points(int c) const;
    QColor series_color(int c) const;
    void style_line(QLineSeries *line, int c);
    void place_footnote();
    // The texts that depend on the room the chart has: wrapped or turned category labels, the
    // legend's place and the title, each whole.
    void fit_to_plot();
    QStringList category_texts() const;
    void fit_categories();
    void place_legend();
    void fit_title();
    // The row label of the category at a point of the view: under the plot or over it.
    std::optional<std::string> category_at(QPointF at) const;

    int rows_ = 0;
    int cols_ = 1;
    int row_ = 0;
    int col_ = 1;
    std::vector<std::string> row_labels_;
    std::vector<std::string> col_labels_{std::string()};
    std::map<std::pair<int, int>, double> data_; // (row, column) of the cells written
    int type_ = line_2d;
    std::string title_;
    std::string footnote_;
    int footnote_location_ = 5;
    std::optional<QColor> base_fill_;
    std::map<int, QColor> pens_;

    QChart *chart_;
    QChartView *view_;
    QLabel *footnote_label_;
    // The axes of a line or bar chart: rows along categories or, without labels, positions.
    QPointer<QBarCategoryAxis> categories_;
    QPointer<QValueAxis> positions_;
    QPointer<QValueAxis> y_axis_;
    double label_width_ = 0; // the room of a category label, 0 before the chart is laid out
    bool turned_ = false;    // category labels run upwards
    QMargins margins_;       // the chart's own, without the legend's room
    QFont legend_font_;      // the legend's own, where its entries fit
    bool pending_ = false;
};

} // namespace kestle
