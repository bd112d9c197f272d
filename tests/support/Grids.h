#pragma once

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QStyle>
#include <QTableView>

#include <utility>

namespace kelpora::testing {

// Whether the grid shows the cell's text whole, as its delegate draws it, not cut short with "…".
inline bool shownWhole(QTableView* grid, int row, int column)
{
    const QModelIndex index = grid->model()->index(row, column);
    const QString text = index.data().toString();
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    const int room = grid->visualRect(index).width() - 2 * margin;
    return QFontMetrics(grid->font()).elidedText(text, Qt::ElideRight, room) == text;
}

// What lies at the grid's very left edge, in the given row: the cell itself, with the
// point in its coordinates, or (where a row counter stands) something else.
inline std::pair<QWidget*, QPoint> leftEdgeOf(QTableView* grid, int row)
{
    const QPoint edge(grid->frameWidth() + 2, grid->viewport()->y() + grid->rowViewportPosition(row) + 5);
    QWidget* hit = grid->childAt(edge);
    return {hit, hit ? hit->mapFrom(grid, edge) : QPoint()};
}

} // namespace kelpora::testing
