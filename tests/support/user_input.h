// What the presenter does with the mouse, sent as events to the real widgets, so that the
// windows' connections and event filters run as they do in use.
#pragma once

#include <QPoint>

class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace kestle {
class Grid;
}

namespace kestle_test {

// A left click on a node where it is drawn: its parents opened and the node scrolled into view.
void click_node(QTreeWidget &tree, QTreeWidgetItem *node);
// A click on a cell of a grid in grid rows (1 is the first data row; 0 the header row).
void click_cell(kestle::Grid &grid, int row, int col, Qt::MouseButton button = Qt::LeftButton);

// A drag carrying `data` that enters `target` and moves to `at`; true when the target takes it.
bool drag_over(QWidget *target, QPoint at, const QMimeData &data);
// The drag let go at `at`; true when the target takes the drop.
bool drop_on(QWidget *target, QPoint at, const QMimeData &data);
void drag_leave(QWidget *target);

} // namespace kestle_test
