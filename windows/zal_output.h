// An output window: the colour bar of the query and the result grid.
#pragma once

#include "form.h"

namespace kestle {

class Grid;
class Program;

class ZALOutput : public Form {
    Q_OBJECT
public:
    explicit ZALOutput(Program &p);

    QWidget *QueryNo; // colour bar
    Grid *DataValues; // row 0 the column names, then one row per fetched row

    void set_query_colour(const QColor &c);
    QColor query_colour() const;
    // A mouse button pressed over a cell of the grid: a wide cell opens in the text viewer.
    void DataValues_MouseDown(Qt::MouseButton button, int row, int col);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    Program &p_;
};

} // namespace kestle
