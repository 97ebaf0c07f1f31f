// The main window: its controls, toolbar keys, tree clicks, drag and drop and layout.

#include "zal_master.h"

#include "browser.h"
#include "grid.h"
#include "keyed_toolbar.h"
#include "presentation.h"
#include "program.h"
#include "run_support.h"
#include "runner.h"
#include "session.h"
#include "text_codec.h"
#include "tree.h"
#include "twips.h"
#include "window_support.h"
#include "zal_connect.h"
#include "zal_findpics.h"
#include "zal_output.h"
#include "zal_perf_plot.h"
#include "zal_spatial.h"
#include "zal_sql.h"
#include "zal_viewers.h"
#include "zal_wmf.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDockWidget>
#include <QDragMoveEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace kestle {

namespace {

constexpr const char *caption = "ZAL Meridian Store Demonstration Program";
constexpr int design_width = 15360, design_height = 11520; // twips

QTreeWidget *tree(QWidget *parent) {
    auto *t = new QTreeWidget(parent);
    t->setHeaderHidden(true);
    t->setColumnCount(1);
    t->setUniformRowHeights(true); // a presentation of thousands of records stays quick
    return t;
}

// A tree click hides the timing chart without closing it, so it keeps its chart.
void hide_perf_plot(Program &p) {
    if (p.forms.perf_plot && p.forms.perf_plot->frame()->isVisible())
        p.forms.perf_plot->frame()->hide();
}

// A font size as the variable FONTSIZE holds it: "10", "10.5".
std::string size_text(double size) {
    if (size == std::floor(size) && std::fabs(size) < 1e9)
        return std::to_string(static_cast<long long>(size));
    std::ostringstream s;
    s << size;
    return s.str();
}

} // namespace

ZALMaster::ZALMaster(Program &p) : QMainWindow(nullptr), p_(p) {
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose, false); // the program owns its main window

    mdi = new QMdiArea(this);
    // A window that closes hands the front to the one active before it, not to the oldest.
    mdi->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi);
    p.forms.windows.mdi = mdi;

    CoolBar1 = new QWidget;
    CoolBar1->setMinimumSize(twips_to_px(3885), twips_to_px(5760 + 600));
    CoolBar1->setFixedWidth(twips_to_px(3885));
    auto *dock = new QDockWidget(this);
    dock->setObjectName("CoolBar1");
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    dock->setTitleBarWidget(new QWidget(dock));
    dock->setWidget(CoolBar1);
    addDockWidget(Qt::LeftDockWidgetArea, dock);

    TB = new KeyedToolBar(CoolBar1);
    TB->add_button("exit", "Exit ZALDEMO program", "exit");
    TB->add_button("sql", "Open SQL command window", "sql");
    TB->add_button("runit", "Toggle autorun property on/off", "runon");
    TB->add_button("trash", "Close all SQL Windows", "trash");
    TB->add_button("file", "Load new SQL file", "open");
    TB->add_button("settings", "Change font sizes", "settings");
    TB->add_button("connect", "Connect to new database", "connect");
    TB->add_button("qbe", "Query by Image Colors", "qbe");
    TB->add_button("spatial", "Run Spatial queries", "spatial");
    TB->add_button("info", "Help on ZALDEMO", "info");
    TB->set_button_visible("qbe", false);
    TB->set_button_visible("spatial", false);
    place_twips(TB, 60, 60, 3735, 360);

    Label1 = new QLabel("Commands", CoolBar1);
    TV = tree(CoolBar1);
    Label2 = new QLabel("Query Log", CoolBar1);
    Queries = tree(CoolBar1);
    Label3 = new QLabel("Help", CoolBar1);
    Web = new Browser(CoolBar1);
    place_twips(Web, 60, 5760, 3735, 4335);
    lay_out_panes();

    connect(TB, &KeyedToolBar::button_click, this, [this](const std::string &key) {
        guarded("TB_ButtonClick", [&] { TB_ButtonClick(key); });
    });
    connect(TV, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *n) { guarded("TV_NodeClick", [&] { TV_NodeClick(n); }); });
    connect(Queries, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *n) { guarded("Queries_NodeClick", [&] { Queries_NodeClick(n); }); });

    // A node may be dragged from the tree; over the tree the node under the pointer lights up,
    // and only the client area's background takes the drop.
    TV->setDragEnabled(true);
    TV->setDragDropMode(QAbstractItemView::DragOnly);
    TV->viewport()->setAcceptDrops(true);
    TV->viewport()->installEventFilter(this);
    mdi->viewport()->setAcceptDrops(true);
    mdi->viewport()->installEventFilter(this);
    auto forget = [this] { drop_highlight_ = nullptr; };
    connect(TV->model(), &QAbstractItemModel::rowsAboutToBeRemoved, this, forget);
    connect(TV->model(), &QAbstractItemModel::modelAboutToBeReset, this, forget);

    resize(twips_to_px(design_width), twips_to_px(design_height));
    setFont(window_font(p));
}

ZALMaster::~ZALMaster() {
    disconnect_children(*this);
    if (p_.forms.windows.mdi == mdi)
        p_.forms.windows.mdi = nullptr;
}

ZALSQL *ZALMaster::open_sql_window(bool shift, bool show) {
    const int slot = sql_slot_alloc(p_.sql_slots);
    if (slot == -1) {
        p_.message_box(p_.messages.msg_text[msg_too_many_windows]);
        return nullptr;
    }
    auto *w = new ZALSQL(p_);
    p_.forms.cur_sql_form = w;
    p_.forms.cur_sql_slot = slot;
    w->tag = join_fields({window_sql, slot});
    if (shift)
        w->move_twips(w->left_twips() + 100, w->top_twips());
    if (show)
        w->show_form();
    return w;
}

void ZALMaster::TB_ButtonClick(const std::string &key) {
    if (key == "exit") {
        ZAL_disconnect(p_);
        QCoreApplication::exit(0);
    } else if (key == "sql") {
        open_sql_window(true);
    } else if (key == "runit") {
        p_.run.run_on = !p_.run.run_on;
        TB->set_button_image("runit", p_.run.run_on ? "runon" : "runoff");
    } else if (key == "settings") {
        change_fonts();
    } else if (key == "spatial") {
        run_demonstration("zal-makespatial.xmp", [](Program &p) -> Form & { return p.spatial_window(); });
    } else if (key == "info") {
        show_help_page(p_, "kestle.htm");
    } else if (key == "connect") {
        p_.connect_dialog().show_form();
    } else if (key == "trash") {
        // Each close takes the window out of the registry; the bound guards against one that
        // stays.
        for (std::size_t n = p_.forms.windows.open().size(); n > 0; --n) {
            Form *w = form_at(p_, find_form(p_, window_sql, -1));
            if (!w)
                break;
            w->unload();
        }
    } else if (key == "file") {
        load_control_file();
    } else if (key == "qbe") {
        run_demonstration("zal-makepictures.xmp", [](Program &p) -> Form & { return p.findpics(); });
    }
}

void ZALMaster::run_demonstration(const char *script, Form &(*window)(Program &)) {
    runit(p_, false, read_file(script));
    // An open window comes to the front as well.
    Form &w = window(p_);
    w.show_form();
    w.activate();
}

void ZALMaster::change_fonts() {
    const FontChoice preset = program_font(p_);
    // Cancel keeps the preset, which is then applied again.
    const FontChoice f = p_.dialogs.font(preset, "ZALDEMO Fonts").value_or(preset);
    var_add(p_.vars, "font", f.name);
    var_add(p_.vars, "fontsize", size_text(f.size));
    apply_window_font(p_);
    for (Form *w : p_.forms.windows.open()) {
        int kind = 0;
        int slot = 0;
        split_fields(w->tag, kind, slot);
        if (kind == window_sql) {
            if (auto *sql = dynamic_cast<ZALSQL *>(w))
                set_widget_font(sql->SQLCommand, f);
        } else if (kind == window_output) {
            if (auto *out = dynamic_cast<ZALOutput *>(w))
                set_widget_font(out->DataValues, f);
        }
    }
}

void ZALMaster::load_control_file() {
    const std::optional<std::string> file = p_.dialogs.open_file("Load SQL Command File", "*.sql", "*.sql");
    if (!file)
        return;
    readops(p_, *file);
}

void ZALMaster::TV_NodeClick(QTreeWidgetItem *node) {
    if (!node)
        return;
    const int n = static_cast<int>(lenient_integer(node_tag(node), 0, p_.control.stmt_count));
    // A copy: a run may reload the presentation while it yields.
    const stmt_rec r = p_.control.record(n);

    if (!r.info.empty() && r.kind != kind_screen)
        guarded("showhelp", [&] { showhelp(p_, r.title, r.info, r.kind); });

    if (r.kind == kind_screen) {
        p_.cur_screen = n;
        ZALWMF &slides = p_.wmf();
        if (!slides.load_slide(r.file, "TV_NodeClick"))
            return;
        // The caption names the slide shown, whichever way it was reached.
        slides.set_caption(qt(r.title));
        guarded("showhelp", [&] { showhelp(p_, r.title, r.info, kind_screen); });
    } else if (r.kind == kind_sql) {
        p_.run.run_at = false;
        hide_perf_plot(p_);
        p_.perf_plotting = false;
        ZALSQL *target = nullptr;
        if (p_.forms.cur_sql_slot != -1)
            target = dynamic_cast<ZALSQL *>(form_at(p_, find_form(p_, window_sql, p_.forms.cur_sql_slot)));
        // A current slot without its window is taken as none, so the statement is not lost.
        if (!target) {
            target = open_sql_window(false);
            if (!target)
                return;
        }
        target->set_command_text(r.sql);
        target->set_status_text("");
        target->setFocus();
        if (p_.run.run_on) {
            sql_history_push(p_.sql_slots, p_.forms.cur_sql_slot, r.sql);
            runit(p_, true, r.sql);
        }
        yield_events();
    }
    TV->viewport()->update();
}

void ZALMaster::Queries_NodeClick(QTreeWidgetItem *node) {
    if (!node)
        return;
    node->setExpanded(!node->isExpanded());
    const std::string image = node_image(node);
    if (image == "sql") {
        const std::string statement = expand_marks(node_tag(node), false);
        ZALSQL *w = open_sql_window(false, false);
        if (!w)
            return;
        w->set_caption("SQL Command");
        w->set_command_text(statement);
        w->move_twips(w->left_twips() + 100, w->top_twips());
        w->show_form();
    } else if (image == "warning") {
        p_.dialogs.message(node_tag(node), "SQL Error", MessageIcon::None, MessageButtons::Ok);
    }
}

void ZALMaster::set_drop_highlight(QTreeWidgetItem *node) {
    if (drop_highlight_ == node)
        return;
    if (drop_highlight_)
        drop_highlight_->setData(0, Qt::BackgroundRole, QVariant());
    drop_highlight_ = node;
    if (node)
        node->setData(0, Qt::BackgroundRole, TV->palette().highlight());
}

void ZALMaster::TV_DragOver(const QPoint &pos) { set_drop_highlight(TV->itemAt(pos)); }

void ZALMaster::MDIForm_DragDrop() { p_.message_box("dragdrop"); }

bool ZALMaster::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type t = event->type();
    if (watched == TV->viewport()) {
        if (t == QEvent::DragEnter || t == QEvent::DragMove) {
            auto *e = static_cast<QDragMoveEvent *>(event);
            guarded("TV_DragOver", [&] { TV_DragOver(e->position().toPoint()); });
            e->accept();
            return true;
        }
        if (t == QEvent::DragLeave || t == QEvent::Drop) {
            set_drop_highlight(nullptr);
            event->ignore(); // a drop on the tree does nothing
            return true;
        }
    } else if (watched == mdi->viewport()) {
        if (t == QEvent::DragEnter || t == QEvent::DragMove) {
            static_cast<QDragMoveEvent *>(event)->acceptProposedAction();
            return true;
        }
        if (t == QEvent::Drop) {
            static_cast<QDropEvent *>(event)->acceptProposedAction();
            guarded("MDIForm_DragDrop", [&] { MDIForm_DragDrop(); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void ZALMaster::fit_notes_pane() {
    const int top = px_to_twips(Web->y());
    const int height = px_to_twips(this->height()) - top - 1000;
    Web->resize(Web->width(), twips_to_px(std::max(height, 600)));
}

void ZALMaster::lay_out_panes() {
    const int extra = std::max(px_to_twips(height()) - design_height, 0);
    const int tree_extra = extra / 2;
    // A heading taller than its design row in a large font pushes its pane down; the trees
    // give up that height, so the notes pane keeps its rule.
    const int heading = std::max(px_to_twips(Label1->sizeHint().height()), 255);
    const int grow = heading - 255;
    place_twips(Label1, 60, 480, 3735, heading);
    place_twips(TV, 60, 720 + grow, 3735, 2295 + tree_extra - grow);
    place_twips(Label2, 60, 3120 + tree_extra, 3735, heading);
    place_twips(Queries, 60, 3360 + tree_extra + grow, 3735, 2055 + extra - tree_extra - grow);
    place_twips(Label3, 60, 5520 + extra, 3735, heading);
    Web->move(Web->x(), twips_to_px(5760 + extra + grow));
    fit_notes_pane();
}

void ZALMaster::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        lay_out_panes();
}

void ZALMaster::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    lay_out_panes();
}

void ZALMaster::closeEvent(QCloseEvent *event) {
    guarded("ZALMaster close", [&] {
        // The children go first, each with its own closing steps.
        mdi->closeAllSubWindows();
        ZAL_disconnect(p_);
    });
    event->accept();
}

} // namespace kestle
