// The main window: toolbar, presentation tree, query log and notes pane beside the client area
// that holds the SQL and output windows.
#pragma once

#include <QMainWindow>

#include <string>

class QPoint;

class QLabel;
class QMdiArea;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestle {

class Browser;
class Form;
class KeyedToolBar;
class Program;
class ZALSQL;

class ZALMaster : public QMainWindow {
    Q_OBJECT
public:
    explicit ZALMaster(Program &p);
    ~ZALMaster() override;

    QWidget *CoolBar1;  // the panel along the left side
    KeyedToolBar *TB;   // "exit", "sql", "runit", "trash", "file", "settings", "connect", "qbe", "spatial", "info"
    QLabel *Label1;     // "Commands"
    QTreeWidget *TV;    // presentation tree; a node's Tag is " " and its record number
    QLabel *Label2;     // "Query Log"
    QTreeWidget *Queries; // query log
    QLabel *Label3;     // "Help"
    Browser *Web;       // notes pane
    QMdiArea *mdi;      // the client area

    void TB_ButtonClick(const std::string &key);
    void TV_NodeClick(QTreeWidgetItem *node);
    void Queries_NodeClick(QTreeWidgetItem *node);
    // A drag over the tree at a point of its viewport: the node there is drop-highlighted.
    void TV_DragOver(const QPoint &pos);
    QTreeWidgetItem *drop_highlight() const { return drop_highlight_; }
    // A drop on the background of the client area.
    void MDIForm_DragDrop();
    // The notes pane reaches down to 1000 twips above the window's bottom.
    void fit_notes_pane();
    // The tree and the query log share what the window's height has beyond its design height,
    // so the notes pane below them moves down and keeps its own rule.
    void lay_out_panes();
    // Opens a new SQL window in the first free slot and makes it current; null (after the
    // message box) when all slots are in use. `shift` moves it 100 twips to the right.
    ZALSQL *open_sql_window(bool shift, bool show = true);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void set_drop_highlight(QTreeWidgetItem *node);
    void change_fonts();
    void load_control_file();
    void run_demonstration(const char *script, Form &(*window)(Program &));

    Program &p_;
    QTreeWidgetItem *drop_highlight_ = nullptr;
};

} // namespace kestle
