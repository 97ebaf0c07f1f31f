// The data-grid chart over QtCharts: the model as written, and its drawing as line, bar or pie.
#include "data_chart.h"

#include "text_codec.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QLabel>
#include <QLineSeries>
#include <QLinearGradient>
#include <QPieSeries>
#include <QPieSlice>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace kestle {

namespace {

// The font at a size a chart takes, or none for a size it ignores.
std::optional<QFont> at_size(QFont f, double points) {
    if (!(points > 0 && points <= 1000))
        return std::nullopt;
    f.setPointSizeF(points);
    return f;
}

// QtCharts takes each category once; equal row labels are told apart by a suffix of
// zero-width characters that writes the label's earlier count in binary. They draw nothing and
// are taken off again when the drawing is read back.
constexpr char16_t mark_zero = u'\u200B';
constexpr char16_t mark_one = u'\u200C';

QString without_marks(QString s) { return s.remove(QChar(mark_zero)).remove(QChar(mark_one)); }

QStringList distinct_categories(const std::vector<std::string> &labels) {
    QStringList out;
    std::map<QString, unsigned> seen;
    for (const std::string &l : labels) {
        QString c(""); // never null: QtCharts drops null categories
        c += without_marks(qt(l));
        QString suffix;
        for (unsigned n = seen[c]++; n > 0; n >>= 1)
            suffix.prepend(QChar(n & 1 ? mark_one : mark_zero));
        out << c + suffix;
    }
    return out;
}

std::string plain_label(const QString &s) { return bytes(without_marks(s)); }

// A solid lit from the left: the raised look of the 3-D kinds.
QBrush depth_brush(const QColor &c) {
    QLinearGradient g(0, 0, 1, 0);
    g.setCoordinateMode(QGradient::ObjectBoundingMode);
    g.setColorAt(0, c.lighter(150));
    g.setColorAt(0.45, c);
    g.setColorAt(1, c.darker(170));
    return QBrush(g);
}

constexpr double flat_line_width = 2;
constexpr double depth_line_width = 4;

} // namespace

DataChart::DataChart(QWidget *parent) : QWidget(parent) {
    chart_ = new QChart;
    chart_->legend()->setVisible(false);
    chart_->legend()->setAlignment(Qt::AlignRight); // a list beside the plot, one label a line
    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->viewport()->installEventFilter(this);
    footnote_label_ = new QLabel(this);
    footnote_label_->setTextFormat(Qt::PlainText);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    layout->addWidget(footnote_label_);
    place_footnote();
}

void DataChart::set_row_count(int n) {
    if (n < 0)
        return;
    rows_ = n;
    row_labels_.resize(static_cast<std::size_t>(n));
    data_.erase(data_.lower_bound({n + 1, 0}), data_.end());
    row_ = std::clamp(row_, 1, std::max(n, 1));
    changed();
}

void DataChart::set_column_count(int n) {
    if (n < 0)
        return;
    cols_ = n;
    col_labels_.resize(static_cast<std::size_t>(n));
    std::erase_if(data_, [n](const auto &cell) { return cell.first.second > n; });
    col_ = std::clamp(col_, 1, std::max(n, 1));
    changed();
}

void DataChart::set_row(int r) {
    if (r >= 1 && r <= rows_)
        row_ = r;
}

void DataChart::set_column(int c) {
    if (c >= 1 && c <= cols_)
        col_ = c;
}

void DataChart::set_row_label(const std::string &label) {
    if (row_ < 1 || row_ > rows_)
        return;
    row_labels_[static_cast<std::size_t>(row_ - 1)] = label;
    changed();
}

void DataChart::set_column_label(const std::string &label) {
    if (col_ < 1 || col_ > cols_)
        return;
    col_labels_[static_cast<std::size_t>(col_ - 1)] = label;
    changed();
}

void DataChart::set_data(double value) {
    if (row_ < 1 || row_ > rows_ || col_ < 1 || col_ > cols_ || !std::isfinite(value))
        return;
    data_[{row_, col_}] = value;
    changed();
}

std::string DataChart::row_label(int r) const {
    return r >= 1 && r <= rows_ ? row_labels_[static_cast<std::size_t>(r - 1)] : std::string();
}

std::string DataChart::column_label(int c) const {
    return c >= 1 && c <= cols_ ? col_labels_[static_cast<std::size_t>(c - 1)] : std::string();
}

std::optional<double> DataChart::data(int r, int c) const {
    auto it = data_.find({r, c});
    return it == data_.end() ? std::nullopt : std::optional<double>(it->second);
}

void DataChart::set_chart_type(int type) {
    type_ = type;
    changed();
}

void DataChart::set_show_legend(bool on) {
    chart_->legend()->setVisible(on);
}

void DataChart::set_title(const std::string &text) {
    title_ = text;
    chart_->setTitle(qt(text));
}

double DataChart::title_size() const { return chart_->titleFont().pointSizeF(); }

void DataChart::set_title_size(double points) {
    if (const std::optional<QFont> f = at_size(chart_->titleFont(), points))
        chart_->setTitleFont(*f);
}

void DataChart::set_footnote(const std::string &text) {
    footnote_ = text;
    footnote_label_->setText(qt(text));
}

double DataChart::footnote_size() const { return footnote_label_->font().pointSizeF(); }

void DataChart::set_footnote_size(double points) {
    if (const std::optional<QFont> f = at_size(footnote_label_->font(), points))
        footnote_label_->setFont(*f);
}

void DataChart::set_footnote_location(int location) {
    if (location < 0 || location > 7)
        return;
    footnote_location_ = location;
    place_footnote();
}

void DataChart::place_footnote() {
    const int at = footnote_location_;
    Qt::Alignment across = Qt::AlignHCenter;
    if (at == 1 || at == 3 || at == 6)
        across = Qt::AlignLeft;
    else if (at == 2 || at == 4 || at == 7)
        across = Qt::AlignRight;
    footnote_label_->setAlignment(across | Qt::AlignVCenter);
    auto *box = static_cast<QVBoxLayout *>(layout());
    box->removeWidget(footnote_label_);
    box->insertWidget(at <= 2 ? 0 : 1, footnote_label_);
}

void DataChart::set_base_fill(const QColor &c) {
    base_fill_ = c;
    chart_->setPlotAreaBackgroundBrush(c);
    chart_->setPlotAreaBackgroundVisible(true);
}

std::optional<QColor> DataChart::series_pen(int s) const {
    auto it = pens_.find(s);
    return it == pens_.end() ? std::nullopt : std::optional<QColor>(it->second);
}

void DataChart::set_series_pen(int s, const QColor &c) {
    if (s < 1)
        return;
    pens_[s] = c;
    changed();
}

// Many properties change in a row while a chart is written; it is drawn once they are done.
void DataChart::changed() {
    if (pending_)
        return;
    pending_ = true;
    QMetaObject::invokeMethod(
        this, [this] {
            if (pending_)
                redraw();
        },
        Qt::QueuedConnection);
}

void DataChart::redraw() {
    pending_ = false;
    const bool bars = type_ == bar_3d || type_ == bar_2d;
    if (type_ != pie_2d && !bars && move_lines())
        return;
    chart_->removeAllSeries();
    for (QAbstractAxis *axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    if (type_ == pie_2d)
        draw_pie();
    else if (rows_ > 0 && cols_ > 0)
        draw_grid(bars);
}

void DataChart::draw_pie() {
    // One pie, of the first row: each column a slice, named in the legend by its label.
    auto *pie = new QPieSeries;
    pie->setName(qt(row_label(1)));
    for (int c = 1; c <= cols_; ++c)
        if (const std::optional<double> v = data(1, c))
            pie->append(qt(column_label(c)), std::fabs(*v));
    chart_->addSeries(pie);
}

void DataChart::fit_value_axis() {
    double lo = 0, hi = 0;
    for (const auto &cell : data_) {
        lo = std::min(lo, cell.second);
        hi = std::max(hi, cell.second);
    }
    y_axis_->setRange(lo, hi > lo ? hi : lo + 1);
    y_axis_->applyNiceNumbers();
}

QList<QPointF> DataChart::line_points(int c) const {
    QList<QPointF> points;
    for (int r = 1; r <= rows_; ++r)
        if (const std::optional<double> v = data(r, c))
            points.append(QPointF(r - 1, *v));
    return points;
}

void DataChart::style_line(QLineSeries *line, int c) {
    const bool depth = type_ == line_3d;
    line->setName(qt(column_label(c)));
    QPen pen = line->pen();
    pen.setWidthF(depth ? depth_line_width : flat_line_width);
    if (const std::optional<QColor> colour = series_pen(c))
        pen.setColor(*colour);
    line->setPen(pen);
    line->setPointsVisible(depth);
}

bool DataChart::unlabelled() const {
    return std::all_of(row_labels_.begin(), row_labels_.end(), [](const std::string &l) { return l.empty(); });
}

// Positions of the rows for lines without labels: row r at r - 1, as a category would centre it.
void DataChart::fit_position_axis() { positions_->setRange(-0.5, rows_ - 0.5); }

// A line chart with as many series as columns only moves its points and labels: a timing run
// adds a point at a time, and the chart is not built again for each.
bool DataChart::move_lines() {
    const QList<QAbstractSeries *> drawn = chart_->series();
    if (!y_axis_ || rows_ == 0 || drawn.size() != cols_ || unlabelled() != bool(positions_))
        return false;
    for (QAbstractSeries *s : drawn)
        if (!qobject_cast<QLineSeries *>(s))
            return false;
    // What only grew is appended to: every change makes QtCharts lay out and draw again.
    if (positions_) {
        fit_position_axis();
    } else {
        const QStringList wanted = distinct_categories(row_labels_);
        const QStringList shown = categories_->categories();
        if (wanted.size() >= shown.size() && wanted.first(shown.size()) == shown)
            categories_->append(wanted.mid(shown.size()));
        else
            categories_->setCategories(wanted);
    }
    fit_value_axis();
    for (int c = 1; c <= cols_; ++c) {
        auto *line = static_cast<QLineSeries *>(drawn[c - 1]);
        const QList<QPointF> points = line_points(c);
        const QList<QPointF> old = line->points();
        if (points.size() >= old.size() && points.first(old.size()) == old)
            line->append(points.mid(old.size()));
        else
            line->replace(points);
        style_line(line, c);
    }
    return true;
}

void DataChart::draw_grid(bool bars) {
    // Rows without labels (the points of a timing run) need no category each: a plain axis of
    // positions is far cheaper for QtCharts to lay out again as points come.
    QAbstractAxis *x = nullptr;
    if (!bars && unlabelled()) {
        positions_ = new QValueAxis;
        positions_->setLabelsVisible(false);
        fit_position_axis();
        x = positions_;
    } else {
        categories_ = new QBarCategoryAxis;
        categories_->append(distinct_categories(row_labels_));
        x = categories_;
    }
    y_axis_ = new QValueAxis;
    chart_->addAxis(x, Qt::AlignBottom);
    chart_->addAxis(y_axis_, Qt::AlignLeft);
    fit_value_axis();

    if (bars) {
        auto *series = new QBarSeries;
        for (int c = 1; c <= cols_; ++c) {
            auto *set = new QBarSet(qt(column_label(c)));
            for (int r = 1; r <= rows_; ++r)
                set->append(data(r, c).value_or(0));
            series->append(set);
        }
        chart_->addSeries(series); // the theme colours the sets here
        series->attachAxis(x);
        series->attachAxis(y_axis_);
        const QList<QBarSet *> sets = series->barSets();
        for (int c = 1; c <= sets.size(); ++c) {
            QBarSet *set = sets[c - 1];
            if (type_ == bar_3d)
                set->setBrush(depth_brush(set->color()));
            if (const std::optional<QColor> pen = series_pen(c))
                set->setPen(QPen(*pen));
        }
        return;
    }
    for (int c = 1; c <= cols_; ++c) {
        auto *line = new QLineSeries;
        line->append(line_points(c));
        chart_->addSeries(line); // the theme colours the line here
        line->attachAxis(x);
        line->attachAxis(y_axis_);
        style_line(line, c);
    }
}

DataChart::Drawing DataChart::drawn() {
    if (pending_)
        redraw();
    Drawing d;
    d.title = bytes(chart_->title());
    d.legend = chart_->legend()->isVisible();
    if (chart_->isPlotAreaBackgroundVisible())
        d.plot_fill = chart_->plotAreaBackgroundBrush().color();
    for (QAbstractAxis *axis : chart_->axes(Qt::Horizontal))
        if (auto *x = qobject_cast<QBarCategoryAxis *>(axis))
            for (const QString &c : x->categories())
                d.categories.push_back(plain_label(c));
    auto category = [&d](qsizetype i) {
        return i >= 0 && static_cast<std::size_t>(i) < d.categories.size() ? d.categories[static_cast<std::size_t>(i)]
                                                                            : std::string();
    };
    for (QAbstractSeries *s : chart_->series()) {
        if (auto *line = qobject_cast<QLineSeries *>(s)) {
            d.kind = Kind::Line;
            d.depth = line->pen().widthF() > flat_line_width;
            Series out{bytes(line->name()), {}, line->pen().color()};
            for (const QPointF &pt : line->points())
                out.points.push_back({category(std::llround(pt.x())), pt.y()});
            d.series.push_back(std::move(out));
        } else if (auto *bars = qobject_cast<QBarSeries *>(s)) {
            d.kind = Kind::Bar;
            for (QBarSet *set : bars->barSets()) {
                d.depth = set->brush().gradient() != nullptr;
                Series out{bytes(set->label()), {}, set->pen().color()};
                for (qsizetype i = 0; i < set->count(); ++i)
                    out.points.push_back({category(i), set->at(i)});
                d.series.push_back(std::move(out));
            }
        } else if (auto *pie = qobject_cast<QPieSeries *>(s)) {
            d.kind = Kind::Pie;
            Series out{bytes(pie->name()), {}, QColor()};
            for (QPieSlice *slice : pie->slices())
                out.points.push_back({bytes(slice->label()), slice->value()});
            d.series.push_back(std::move(out));
        }
    }
    if (d.series.empty())
        d.kind = chart_type() == pie_2d ? Kind::Pie
                 : chart_type() == bar_3d || chart_type() == bar_2d ? Kind::Bar
                                                                     : Kind::Line;
    return d;
}

bool DataChart::eventFilter(QObject *watched, QEvent *event) {
    if (watched == view_->viewport() && event->type() == QEvent::MouseButtonRelease)
        emit clicked();
    return QWidget::eventFilter(watched, event);
}

} // namespace kestle
