#pragma once

#include <QRect>

class QTableView;
class QWidget;

namespace kelpora {
class SqlQuery;
}

namespace kelpora::kit {

// A read-only grid of records, chosen a whole row at a time.
QTableView* recordGrid(QWidget* parent, const char* name, const QRect& rect);

// The column of the grid's model keeps at least `minimumWidth` and grows to show every
// number it holds whole, also as the rows change.
void fitNumbers(QTableView* grid, int column, int minimumWidth);

// The grid, which already shows `rows` through its model, and the query share one
// current row: choosing a row in the grid moves the query there, and wherever the query
// moves the grid selects and shows that row.
void shareCurrentRow(QTableView* grid, SqlQuery& rows);

// Selects and shows `row` in the grid; nothing for no row.
void showRow(QTableView* grid, int row);

} // namespace kelpora::kit
