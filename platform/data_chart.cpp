// The data-grid chart over QtCharts: the model as written, and its drawing as line, bar or pie.
#include "data_chart.h"

#include "text_codec.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QLinearGradient>
#include <QPieSeries>
#include <QPieSlice>
#include <QToolTip>
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

// A fixed palette of strong colours that an audience tells apart, the most distinct first;
// series and slices past its end take its colours again.
constexpr QRgb palette[] = {
    0x0067a5, 0xf38400, 0x008856, 0xbe0032, 0x875692, 0xf3c300, 0xa1caf1, 0x882d17, 0x8db600, 0xe68fac,
    0x848482, 0x00a6a6, 0xc2b280, 0xf99379, 0xb3446c, 0x8b008b, 0x654522, 0xe25822, 0x2b3d26, 0x222222,
};
constexpr int palette_size = static_cast<int>(std::size(palette));

QColor palette_color(int i) { return QColor(palette[i % palette_size]); }

// QtCharts draws every label as rich text: the text is escaped so that it shows as written.
// The lines of a wrapped label are centred under each other.
constexpr const char *line_break = "<br>";
constexpr const char *wrap_open = "<div align=\"center\">";
constexpr const char *wrap_close = "</div>";

QString shown_text(const QString &s) { return s.toHtmlEscaped(); }

// QtCharts takes each category once; equal row labels are told apart by a suffix of
// zero-width characters that writes the label's earlier count in binary. They draw nothing and
// are taken off again when the drawing is read back.
constexpr char16_t mark_zero = u'\u200B';
constexpr char16_t mark_one = u'\u200C';

QString without_marks(QString s) { return s.remove(QChar(mark_zero)).remove(QChar(mark_one)); }

// The text of a label as drawn, back as written.
std::string plain_label(const QString &s) {
    QString t = without_marks(s).replace(line_break, " ").remove(wrap_open).remove(wrap_close);
    t.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
    return bytes(t);
}

// At most this many lines a label; one that needs more is turned instead.
constexpr int max_label_lines = 3;

// The label's lines, broken at blanks, each no wider than width; none when a word is wider or
// more lines are needed.
std::optional<QStringList> wrapped(const QString &label, double width, const QFontMetricsF &m) {
    QStringList lines;
    for (const QString &word : label.split(' ')) {
        if (m.horizontalAdvance(word) > width)
            return std::nullopt;
        if (!lines.isEmpty() && m.horizontalAdvance(lines.last() + ' ' + word) <= width)
            lines.last() += ' ' + word;
        else
            lines << word;
    }
    if (lines.size() > max_label_lines)
        return std::nullopt;
    return lines;
}

// A label as QtCharts takes it: escaped, and wrapped to width when one is given and it can be.
QString label_text(const QString &label, double width, const QFontMetricsF &m) {
    const std::optional<QStringList> lines = width > 0 ? wrapped(label, width, m) : std::nullopt;
    if (!lines || lines->size() == 1)
        return shown_text(label);
    QStringList out;
    for (const QString &l : *lines)
        out << shown_text(l);
    return wrap_open + out.join(line_break) + wrap_close;
}

// The colour a brush fills with; for the raised look of the 3-D kinds, its middle.
QColor fill_color(const QBrush &b) {
    if (const QGradient *g = b.gradient(); g && g->stops().size() > 1)
        return g->stops()[1].second;
    return b.color();
}

// A solid lit from the left: the raised look of the 3-D kinds.
QBrush depth_brush(const QColor &c) {
    QLinearGradient g(0, 0, 1, 0);
    g.setCoordinateMode(QGradient::ObjectBoundingMode);
    g.setColorAt(0, c.lighter(150));
    g.setColorAt(0.45, c);
    g.setColorAt(1, c.darker(170));
    return QBrush(g);
}

// Room beyond the highest and lowest point, as a share of the values' range, so that a point's
// marker is drawn whole inside the plot.
constexpr double headroom = 0.08;
// QtCharts gives a category label the axis's width shared among one more than the categories,
// less its padding and the text's margins: the pixels of those.
constexpr double label_padding = 20;
// The most of the chart's width that the legend takes, and its smallest font.
constexpr double max_legend_share = 0.7;
constexpr double smallest_legend_points = 7;

constexpr double flat_line_width = 2;
constexpr double depth_line_width = 4;

} // namespace

DataChart::DataChart(QWidget *parent) : QWidget(parent) {
    chart_ = new QChart;
    margins_ = chart_->margins();
    // An attached legend is one column, and what does not fit is scrolled out of sight: this
    // one is placed beside the plot by place_legend, in as many columns as its entries need.
    QLegend *legend = chart_->legend();
    legend->setVisible(false);
    legend->detachFromChart();
    legend->setAlignment(Qt::AlignLeft); // entries flow down a column, then into the next
    legend->setShowToolTips(true);
    legend_font_ = legend->font();
    connect(chart_, &QChart::plotAreaChanged, this, [this] { fit_to_plot(); });
    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->viewport()->installEventFilter(this);
    footnote_label_ = new QLabel(this);
    footnote_label_->setTextFormat(Qt::PlainText);
    footnote_label_->setWordWrap(true);
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
    place_legend();
}

void DataChart::set_title(const std::string &text) {
    title_ = text;
    fit_title();
}

void DataChart::fit_title() {
    const QMargins m = chart_->margins();
    const double width = chart_->size().width() - m.left() - m.right() - label_padding;
    const QString shown = label_text(qt(title_), width, QFontMetricsF(chart_->titleFont()));
    if (chart_->title() != shown)
        chart_->setTitle(shown);
}

double DataChart::title_size() const { return chart_->titleFont().pointSizeF(); }

void DataChart::set_title_size(double points) {
    if (const std::optional<QFont> f = at_size(chart_->titleFont(), points)) {
        chart_->setTitleFont(*f);
        fit_title();
    }
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
    fit_to_plot();
}

void DataChart::fit_to_plot() {
    fit_categories();
    place_legend();
    fit_title();
}

void DataChart::draw_pie() {
    // One pie, of the first row: each column a slice, named in the legend by its label.
    auto *pie = new QPieSeries;
    pie->setName(shown_text(qt(row_label(1))));
    for (int c = 1; c <= cols_; ++c)
        if (const std::optional<double> v = data(1, c))
            pie->append(shown_text(qt(column_label(c))), std::fabs(*v));
    chart_->addSeries(pie); // the theme colours the slices here
    const QList<QPieSlice *> slices = pie->slices();
    for (int i = 0; i < slices.size(); ++i) {
        // The last slice meets the first: it never takes the first one's colour.
        const bool meets_first = i > 0 && i == slices.size() - 1 && i % palette_size == 0;
        slices[i]->setBrush(palette_color(meets_first ? i + 1 : i));
    }
}

// The points of a line have their markers whole, and bars their tops, inside the plot; the
// foot of a bar at zero needs no room.
void DataChart::fit_value_axis() {
    double least = 0, most = 0;
    for (const auto &cell : data_) {
        least = std::min(least, cell.second);
        most = std::max(most, cell.second);
    }
    const bool bars = type_ == bar_3d || type_ == bar_2d;
    const double span = most > least ? most - least : 1;
    auto reached = [&](double end) {
        return (!bars || end != 0) && std::any_of(data_.begin(), data_.end(), [end](const auto &cell) {
                   return cell.second == end;
               });
    };
    const double lo = reached(least) ? least - span * headroom : least;
    const double hi = std::max(reached(most) ? most + span * headroom : most, lo + span);
    y_axis_->setRange(lo, hi);
    y_axis_->applyNiceNumbers();
    // Ticks counted from zero: added up from the axis's foot, zero would read "-0.00".
    y_axis_->setTickType(QValueAxis::TicksDynamic);
    y_axis_->setTickAnchor(0);
    y_axis_->setTickInterval((y_axis_->max() - y_axis_->min()) / (y_axis_->tickCount() - 1));
}

QList<QPointF> DataChart::line_points(int c) const {
    QList<QPointF> points;
    for (int r = 1; r <= rows_; ++r)
        if (const std::optional<double> v = data(r, c))
            points.append(QPointF(r - 1, *v));
    return points;
}

QColor DataChart::series_color(int c) const { return series_pen(c).value_or(palette_color(c - 1)); }

void DataChart::style_line(QLineSeries *line, int c) {
    const bool depth = type_ == line_3d;
    line->setName(shown_text(qt(column_label(c))));
    QPen pen = line->pen();
    pen.setWidthF(depth ? depth_line_width : flat_line_width);
    pen.setColor(series_color(c));
    line->setPen(pen);
    line->setPointsVisible(depth);
}

QStringList DataChart::category_texts() const {
    const QFontMetricsF m(categories_ ? categories_->labelsFont() : QFont());
    QStringList out;
    std::map<QString, unsigned> seen;
    for (const std::string &l : row_labels_) {
        QString c(""); // never null: QtCharts drops null categories
        c += label_text(without_marks(qt(l)), turned_ ? 0 : label_width_, m);
        QString suffix;
        for (unsigned n = seen[c]++; n > 0; n >>= 1)
            suffix.prepend(QChar(n & 1 ? mark_one : mark_zero));
        out << c + suffix;
    }
    return out;
}

// Labels that fit the width of their category stay on one line, longer ones are wrapped at
// blanks, and when one of them cannot be wrapped all are turned to run upwards.
void DataChart::fit_categories() {
    if (!categories_ || rows_ == 0 || chart_->plotArea().width() <= 0)
        return;
    const QFontMetricsF m(categories_->labelsFont());
    label_width_ = chart_->plotArea().width() / (rows_ + 1) - label_padding;
    turned_ = !std::all_of(row_labels_.begin(), row_labels_.end(), [&](const std::string &l) {
        return wrapped(without_marks(qt(l)), label_width_, m).has_value();
    });
    const int angle = turned_ ? -90 : 0;
    if (categories_->labelsAngle() != angle)
        categories_->setLabelsAngle(angle);
    // What only grew is appended to: every change makes QtCharts lay out and draw again.
    const QStringList wanted = category_texts();
    const QStringList shown = categories_->categories();
    if (wanted.size() >= shown.size() && wanted.first(shown.size()) == shown)
        categories_->append(wanted.mid(shown.size()));
    else
        categories_->setCategories(wanted);
}

// The legend at the right of the plot, its entries in columns of the plot's height, and the
// plot narrowed to leave it room. Entries too many for that room at the legend's own font take
// a smaller one, down to the smallest that still reads.
void DataChart::place_legend() {
    QLegend *legend = chart_->legend();
    const qsizetype n = legend->markers().size();
    QMargins margins = margins_;
    if (legend->isVisible() && n > 0 && legend->layout()) {
        qreal left, top, right, bottom;
        legend->layout()->getContentsMargins(&left, &top, &right, &bottom);
        const QRectF plot = chart_->plotArea();
        const double room = chart_->size().width() * max_legend_share - left - right;
        QFont font = legend_font_;
        QSizeF entry;
        qsizetype rows = 1, columns = 1;
        for (;;) {
            if (legend->font() != font)
                legend->setFont(font);
            const QSizeF widest = legend->effectiveSizeHint(Qt::PreferredSize);
            entry = QSizeF(widest.width() - left - right, widest.height() - top - bottom);
            rows = std::max<qsizetype>(1, static_cast<qsizetype>((plot.height() - top - bottom) / entry.height()));
            columns = std::clamp<qsizetype>((n + rows - 1) / rows, 1,
                                            std::max<qsizetype>(1, static_cast<qsizetype>(room / entry.width())));
            if (rows * columns >= n || font.pointSizeF() <= smallest_legend_points)
                break;
            font.setPointSizeF(font.pointSizeF() - 0.5);
        }
        rows = (n + columns - 1) / columns;
        // Half an entry more than the rows: QtCharts starts a column when the next entry would
        // not fit in whole.
        const QSizeF size(columns * entry.width() + left + right, (rows + 0.5) * entry.height() + top + bottom);
        const QRectF at(chart_->size().width() - margins_.right() - size.width(),
                        std::max(plot.top(), plot.center().y() - size.height() / 2), size.width(), size.height());
        if (legend->geometry() != at)
            legend->setGeometry(at);
        margins.setRight(margins_.right() + static_cast<int>(std::ceil(size.width())));
    }
    if (chart_->margins() != margins)
        chart_->setMargins(margins);
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
    if (positions_)
        fit_position_axis();
    else
        fit_categories();
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
        categories_->append(category_texts());
        x = categories_;
    }
    y_axis_ = new QValueAxis;
    chart_->addAxis(x, Qt::AlignBottom);
    chart_->addAxis(y_axis_, Qt::AlignLeft);
    fit_value_axis();

    if (bars) {
        auto *series = new QBarSeries;
        for (int c = 1; c <= cols_; ++c) {
            auto *set = new QBarSet(shown_text(qt(column_label(c))));
            for (int r = 1; r <= rows_; ++r)
                set->append(data(r, c).value_or(0));
            series->append(set);
        }
        chart_->addSeries(series); // the theme colours the sets here
        series->attachAxis(x);
        series->attachAxis(y_axis_);
        // A bar is its series' colour, without an outline: an outline of another colour shows as
        // a stray line around the bar and across the foot of a bar of 0.
        const QList<QBarSet *> sets = series->barSets();
        for (int c = 1; c <= sets.size(); ++c) {
            QBarSet *set = sets[c - 1];
            const QColor colour = series_color(c);
            set->setBrush(type_ == bar_3d ? depth_brush(colour) : QBrush(colour));
            set->setPen(Qt::NoPen);
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
    d.title = plain_label(chart_->title());
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
            Series out{plain_label(line->name()), {}, line->pen().color()};
            for (const QPointF &pt : line->points())
                out.points.push_back({category(std::llround(pt.x())), pt.y(), out.color});
            d.series.push_back(std::move(out));
        } else if (auto *bars = qobject_cast<QBarSeries *>(s)) {
            d.kind = Kind::Bar;
            for (QBarSet *set : bars->barSets()) {
                d.depth = set->brush().gradient() != nullptr;
                Series out{plain_label(set->label()), {}, fill_color(set->brush())};
                for (qsizetype i = 0; i < set->count(); ++i)
                    out.points.push_back({category(i), set->at(i), out.color});
                d.series.push_back(std::move(out));
            }
        } else if (auto *pie = qobject_cast<QPieSeries *>(s)) {
            d.kind = Kind::Pie;
            Series out{plain_label(pie->name()), {}, QColor()};
            for (QPieSlice *slice : pie->slices())
                out.points.push_back({plain_label(slice->label()), slice->value(), slice->brush().color()});
            d.series.push_back(std::move(out));
        }
    }
    if (d.series.empty())
        d.kind = chart_type() == pie_2d ? Kind::Pie
                 : chart_type() == bar_3d || chart_type() == bar_2d ? Kind::Bar
                                                                     : Kind::Line;
    return d;
}

std::optional<std::string> DataChart::category_at(QPointF at) const {
    if (!categories_ || rows_ == 0)
        return std::nullopt;
    const QPointF p = chart_->mapFromScene(view_->mapToScene(at.toPoint()));
    const QRectF plot = chart_->plotArea();
    if (p.x() < plot.left() || p.x() >= plot.right() || p.y() < plot.top())
        return std::nullopt;
    return row_label(static_cast<int>((p.x() - plot.left()) / plot.width() * rows_) + 1);
}

bool DataChart::eventFilter(QObject *watched, QEvent *event) {
    if (watched == view_->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease)
            emit clicked();
        // A category's whole label, also when the axis had to cut it.
        if (event->type() == QEvent::ToolTip) {
            const auto *help = static_cast<QHelpEvent *>(event);
            if (const std::optional<std::string> label = category_at(help->pos())) {
                QToolTip::showText(help->globalPos(), qt(*label), view_->viewport());
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kestle
