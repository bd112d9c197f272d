#include "app/RecordGrid.h"

#include "app/ErrorHandler.h"
#include "core/SqlQuery.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyle>
#include <QTableView>

#include <algorithm>

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
    // The record number is the row's name; a row count beside it is noise.
    grid->verticalHeader()->hide();
    return grid;
}

void fitNumbers(QTableView* grid, int column, int minimumWidth)
{
    const auto fit = [grid, column, minimumWidth] {
        const QAbstractItemModel* model = grid->model();
        if (!model)
            return;
        const QFontMetrics metrics(grid->font());
        int widest = 0;
        for (int row = 0, rows = model->rowCount(); row < rows; ++row)
            widest = std::max(widest, metrics.horizontalAdvance(model->index(row, column).data().toString()));
        // A cell draws its text inside a margin on either side and a grid line.
        const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
        grid->setColumnWidth(column, std::max(minimumWidth, widest + 2 * margin + 2));
    };
    fit();
    QAbstractItemModel* model = grid->model();
    onEvent(model, &QAbstractItemModel::modelReset, grid, fit);
    onEvent(model, &QAbstractItemModel::layoutChanged, grid, fit);
    onEvent(model, &QAbstractItemModel::rowsInserted, grid, fit);
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
