// ZAL_sql and ZAL_view: a statement's run, its entry in the query log and its result grid.

#include "sql_exec.h"

#include "grid.h"
#include "icons.h"
#include "program.h"
#include "run_support.h"
#include "session.h"
#include "text.h"
#include "text_codec.h"
#include "tree.h"
#include "twips.h"
#include "zal_master.h"
#include "zal_output.h"
#include "zal_sql.h"
#include "window_support.h"
#include "zal_viewers.h"

#include <QFontMetrics>
#include <QTreeWidget>

#include <algorithm>
#include <optional>
#include <span>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kestle {

namespace {

std::string seconds_text(double t) {
    char b[64];
    std::snprintf(b, sizeof b, "%.3fs", t);
    return b;
}

QTreeWidgetItem *add_child(QTreeWidgetItem *parent, const std::string &text, const std::string &image) {
    auto *n = new QTreeWidgetItem(parent);
    n->setText(0, qt(text));
    set_node_image(n, image);
    return n;
}

void log_time(QTreeWidgetItem *node, double t) { add_child(node, "Execution Time: " + seconds_text(t), "clock"); }

void show_time(Program &p) {
    p.show_msg(show_text, popup_no, msg_none, "Execution time=" + seconds_text(p.exec.sql_time), "ZAL_sql");
}

// The alignment of a result column by its SQL type: numbers at the bottom, all else centred.
int alignment_for(SQLSMALLINT type) {
    switch (type) {
    case SQL_NUMERIC: case SQL_DECIMAL: case SQL_INTEGER: case SQL_SMALLINT: case SQL_BIGINT:
    case SQL_FLOAT: case SQL_REAL: case SQL_DOUBLE:
        return align_left_bottom;
    default:
        return align_left_centre;
    }
}

// The output window of the current SQL window's slot, made below that window on first use.
ZALOutput *output_window(Program &p) {
    const int slot = p.forms.cur_sql_slot;
    if (auto *found = dynamic_cast<ZALOutput *>(form_at(p, find_form(p, window_output, slot))))
        return found;
    auto *out = new ZALOutput(p);
    out->tag = join_fields({window_output, slot});
    if (ZALSQL *sql = p.forms.cur_sql_form)
        out->move_twips(sql->left_twips(), sql->top_twips() + sql->height_twips() + 100);
    return out;
}

// The output window takes the size of FONTSIZE rounded to whole points.
void apply_font(Program &p, ZALOutput &out) {
    FontChoice f = program_font(p);
    f.size = std::nearbyint(f.size);
    set_widget_font(&out, f);
    set_widget_font(out.DataValues, f);
}

// The run's node at the top of the query log, with the statement as it was written under it.
QTreeWidgetItem *log_run(Program &p, const std::string &title, const std::string &display) {
    auto *node = new QTreeWidgetItem();
    node->setText(0, qt(title));
    set_node_key(node, "x" + std::to_string(++p.exec.run_count));
    set_node_image(node, "run");
    p.master().Queries->insertTopLevelItem(0, node);
    set_node_tag(add_child(node, "SQL Information", "sql"), display);
    set_node_image(node, "sql-ok");
    return node;
}

// The output window of a result in the next colour, its grid emptied to count columns.
ZALOutput &open_output(Program &p, QTreeWidgetItem *node, const std::string &title, int count) {
    Execution &e = p.exec;
    e.out_color = e.out_color == 14 ? 1 : e.out_color + 1;
    set_node_image(node, "c" + std::to_string(e.out_color));

    ZALOutput *out = output_window(p);
    apply_font(p, *out);
    out->set_caption(qt(title + "..."));
    out->set_query_colour(palette_colour(e.out_color));

    Grid &grid = *out->DataValues;
    grid.set_grid_visible(false);
    grid.set_rows(1); // the earlier rows go at once, so new ones are added at the end
    grid.clear();
    grid.set_cols(count);
    return *out;
}

// Describes the result's columns into the grid's header and widths and binds them one after
// another into the row buffer; the bytes bound, or none when a column cannot be (reported).
std::optional<int> bind_columns(Program &p, ZALOutput &out, int count, SQLINTEGER &indicator) {
    Session &s = p.session;
    Execution &e = p.exec;
    Grid &grid = *out.DataValues;
    const QFontMetrics metrics(out.font());
    auto text_width = [&](const QString &t) { return px_to_twips(metrics.horizontalAdvance(t)); };

    int pos = 1;
    for (int i = 0; i < count; ++i) {
        std::array<SQLCHAR, 33> name{};
        SQLSMALLINT name_len = 0, type = 0, scale = 0, nullable = 0;
        SQLUINTEGER size = 0;
        s.sql_rc = s.cli.DescribeCol(s.hstmt, static_cast<SQLUSMALLINT>(i + 1), name.data(), 32, &name_len, &type,
                                     &size, &scale, &nullable);
        const auto stored = std::strlen(reinterpret_cast<const char *>(name.data()));
        const std::string col_name =
            trim(std::string(reinterpret_cast<const char *>(name.data()),
                             std::min<std::size_t>(stored, static_cast<std::size_t>(std::max<int>(name_len, 0)))));
        grid.set_text_matrix(0, i, col_name);

        const int col_size = static_cast<int>(std::min<SQLUINTEGER>(size, 1000));
        col_info_rec &c = e.col_info[static_cast<std::size_t>(i + 1)];
        c.length = col_size + 16;
        c.wide = col_size > 32;
        const int sample = c.wide ? 32 : col_size;
        grid.set_col_width(i, std::max(text_width(qt(col_name)) + 100, text_width(QString(sample, 'O')) + 100));
        grid.set_col_alignment(i, alignment_for(type));

        // A layout that would pass the end of the row buffer is refused before it is bound.
        if (pos + c.length >= Execution::fetch_buf_size) {
            p.show_failure(show_entry, popup_no, msg_record_too_long, "", "ZAL_sql");
            s.sql_rc = ZAL_close(p);
            return std::nullopt;
        }
        c.offset = pos;
        s.sql_rc = s.cli.BindCol(s.hstmt, static_cast<SQLUSMALLINT>(i + 1), SQL_C_CHAR, &e.fetch_buf[pos], c.length,
                                 &indicator);
        if (cli_failed(s.sql_rc)) {
            s.sql_rc = ZAL_error(p);
            return std::nullopt;
        }
        pos += c.length;
    }
    return pos - 1;
}

// Adds the fetched row and every further one to the grid, each cell up to its NUL; the code of
// the fetch that ended it.
SQLRETURN add_rows(Program &p, Grid &grid, int count, std::span<unsigned char> used, int &n) {
    const Execution &e = p.exec;
    SQLRETURN rc = SQL_SUCCESS;
    std::string row;
    while (row_fetched(rc)) {
        ++n;
        row.clear();
        for (int j = 1; j <= count; ++j) {
            const col_info_rec &c = e.col_info[static_cast<std::size_t>(j)];
            const auto *b = reinterpret_cast<const char *>(&e.fetch_buf[static_cast<std::size_t>(c.offset)]);
            const void *zero = std::memchr(b, 0, static_cast<std::size_t>(c.length));
            if (j > 1)
                row += '\t';
            row.append(b, zero ? static_cast<const char *>(zero) - b : c.length);
        }
        grid.add_item(row, n);
        std::ranges::fill(used, 0);
        rc = p.session.cli.Fetch(p.session.hstmt);
    }
    return rc;
}

// The grid with its n rows, the last current without the view scrolling to it when it is next
// shown, and the view at the top left.
void show_rows(Grid &grid, int n) {
    grid.set_rows(n + 1);
    grid.set_grid_visible(true);
    const bool scrolls = grid.hasAutoScroll();
    grid.setAutoScroll(false);
    grid.set_row(n);
    grid.setAutoScroll(scrolls);
    grid.set_top_row(1);
    grid.set_left_col(0);
}

} // namespace

SQLRETURN prepare_execute(Program &p, std::string_view text) {
    Session &s = p.session;
    std::string sql(text);
    s.sql_rc = s.cli.Prepare(s.hstmt, reinterpret_cast<SQLCHAR *>(sql.data()), static_cast<SQLINTEGER>(sql.size()));
    if (!cli_failed(s.sql_rc))
        s.sql_rc = s.cli.Execute(s.hstmt);
    return static_cast<SQLRETURN>(s.sql_rc);
}

SQLRETURN run_statement(Program &p, std::string_view text) {
    if (cli_failed(alloc_statement(p)))
        return static_cast<SQLRETURN>(p.session.sql_rc);
    return prepare_execute(p, text);
}

int ZAL_sql(Program &p, const std::string &sql, bool interactive) {
    Session &s = p.session;
    Execution &e = p.exec;
    e.no_rows = false;
    e.silent_error.clear();
    const std::string display = expand_marks(sql, false);
    const std::string run_text = expand_marks(sql, true);
    const std::string title(utf8_prefix(run_text, 40));
    if (trim(run_text).empty())
        return -1;
    QTreeWidgetItem *node = interactive ? log_run(p, title, display) : nullptr;

    // A silent run reports nothing: its failure only takes the diagnostic, kept for its caller,
    // and the handle.
    auto fail = [&] {
        if (interactive) {
            ZAL_sqlerror(p, node);
        } else {
            e.silent_error = error_text(p);
            drop_statement(p);
        }
        return -1;
    };

    if (cli_failed(alloc_statement(p)))
        return fail();
    const double t0 = clock_seconds();
    if (cli_failed(prepare_execute(p, run_text)))
        return fail();
    double t1 = clock_seconds();
    SQLSMALLINT columns = 0;
    if (cli_failed(s.cli.NumResultCols(s.hstmt, &columns)))
        columns = 0;
    e.sql_time = t1 - t0;

    if (!interactive || columns <= 0) {
        s.sql_rc = ZAL_close(p);
        if (interactive)
            log_time(node, e.sql_time);
        show_time(p);
        return 0;
    }

    const int count = std::min<int>(columns, Execution::max_columns);
    ZALOutput &out = open_output(p, node, title, count);
    Grid &grid = *out.DataValues;
    SQLINTEGER indicator = 0; // shared by every column and never read
    const std::optional<int> bound = bind_columns(p, out, count, indicator);
    if (!bound)
        return -1;

    grid.set_rows(1000);
    // Only the bound part of the buffer is ever read, so only that part needs clearing.
    const std::span<unsigned char> used(&e.fetch_buf[1], static_cast<std::size_t>(*bound));
    std::ranges::fill(used, 0);
    const SQLRETURN first = s.cli.Fetch(s.hstmt);
    if (!row_fetched(first)) {
        grid.set_rows(1);
        grid.set_grid_visible(true);
        if (first == SQL_NO_DATA_FOUND) {
            e.no_rows = true;
            p.show_failure(show_entry, popup_no, msg_no_records, "", "ZAL_sql");
            s.sql_rc = ZAL_close(p);
        } else {
            s.sql_rc = first;
            ZAL_sqlerror(p, node);
        }
        return -1;
    }

    int n = 0;
    const SQLRETURN rc = add_rows(p, grid, count, used, n);
    s.sql_rc = rc;
    // A fetch that fails after some rows leaves them shown, and the failure is reported.
    const bool broken = rc != SQL_NO_DATA_FOUND;
    t1 = clock_seconds();
    e.sql_time = t1 - t0;

    show_rows(grid, n);
    add_child(node, "Records found: " + std::to_string(n), "info");
    log_time(node, e.sql_time);
    show_in_front(out);
    if (broken) {
        ZAL_sqlerror(p, node);
        return -1;
    }
    show_time(p);
    s.sql_rc = ZAL_close(p);
    return 0;
}

int ZAL_view(Program &p, const std::string &sql) {
    Session &s = p.session;
    if (cli_failed(run_statement(p, sql))) {
        s.sql_rc = ZAL_error(p);
        return 0;
    }
    SQLSMALLINT columns = 0;
    s.cli.NumResultCols(s.hstmt, &columns);
    if (columns <= 0) {
        s.sql_rc = ZAL_close(p);
        p.show_failure(show_entry, popup_yes, msg_no_records, "", "ZAL_view");
        return 0;
    }
    s.sql_rc = s.cli.Fetch(s.hstmt);
    if (!row_fetched(static_cast<SQLRETURN>(s.sql_rc))) {
        p.show_failure(show_entry, popup_yes, msg_no_records, "", "ZAL_view");
    } else {
        std::vector<SQLCHAR> field(10000, 0);
        SQLINTEGER ind = 0;
        s.sql_rc = s.cli.GetData(s.hstmt, 1, SQL_C_CHAR, field.data(), 1000, &ind);
        if (cli_failed(s.sql_rc)) {
            s.sql_rc = ZAL_error(p);
            return 0;
        }
        std::string value = ind == SQL_NULL_DATA ? std::string() : strip(reinterpret_cast<const char *>(field.data()));
        for (std::size_t at = value.find("++"); at != std::string::npos; at = value.find("++", at))
            value.replace(at, 2, "\r\n");
        ZALViewText &viewer = p.view_text();
        viewer.set_text(value);
        viewer.show_form();
        viewer.activateWindow();
        viewer.setFocus();
    }
    drop_statement(p);
    return 0;
}

} // namespace kestle
