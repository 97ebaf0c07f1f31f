#include "user_input.h"

#include "grid.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>

namespace kestle_test {

void click_node(QTreeWidget &tree, QTreeWidgetItem *node) {
    for (QTreeWidgetItem *up = node->parent(); up; up = up->parent())
        up->setExpanded(true);
    tree.scrollToItem(node);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(node).center());
}

void click_cell(kestle::Grid &grid, int row, int col, Qt::MouseButton button) {
    if (row == 0) {
        QHeaderView &header = *grid.horizontalHeader();
        const QPoint at(header.sectionViewportPosition(col) + header.sectionSize(col) / 2, header.height() / 2);
        QTest::mouseClick(header.viewport(), button, {}, at);
        return;
    }
    const QModelIndex index = grid.model()->index(row - 1, col);
    grid.scrollTo(index);
    QTest::mouseClick(grid.viewport(), button, {}, grid.visualRect(index).center());
}

bool drag_over(QWidget *target, QPoint at, const QMimeData &data) {
    QDragEnterEvent enter(at, Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    return move.isAccepted();
}

bool drop_on(QWidget *target, QPoint at, const QMimeData &data) {
    QDropEvent drop(at, Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

void drag_leave(QWidget *target) {
    QDragLeaveEvent leave;
    QApplication::sendEvent(target, &leave);
}

} // namespace kestle_test
