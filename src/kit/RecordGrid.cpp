#include "kit/RecordGrid.h"

#include "core/SqlQuery.h"
#include "kit/ErrorHandler.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

namespace kelpora::kit {

QTableView* recordGrid(QWidget* parent, const char* name, const QRect& rect)
{
    auto* grid = new QTableView(parent);
    grid->setObjectName(QLatin1String(name));
    grid->setGeometry(rect);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setDefaultSectionSize(20);
    return grid;
}

void shareCurrentRow(QTableView* grid, SqlQuery& rows)
{
    onEvent(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid, [&rows](const QModelIndex& current) {
        if (current.isValid())
            rows.moveTo(current.row());
    });
    onEvent(&rows, &SqlQuery::currentRowChanged, grid, [grid](int row) { showRow(grid, row); });
}

void showRow(QTableView* grid, int row)
{
    if (row < 0 || !grid->model())
        return;
    const QModelIndex index = grid->model()->index(row, 0);
    if (grid->currentIndex().row() != row)
        grid->setCurrentIndex(index);
    grid->scrollTo(index);
}

} // namespace kelpora::kit
