#include "core/ResultSetModel.h"

#include "core/SqlQuery.h"

namespace kelpora {

ResultSetModel::ResultSetModel(const DataSource& source, std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_query(source.dataSet()), m_columns(std::move(columns))
{
    // The rows change only when the query is closed or opened again.
    connect(&m_query, &SqlQuery::closed, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&m_query, &SqlQuery::opened, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int ResultSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_query.rowCount();
}

int ResultSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ResultSetModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
        return {};
    const Column& c = m_columns[size_t(index.column())];
    if (!m_query.hasField(c.field))
        return {};
    return m_query.textAt(index.row(), c.field);
}

QVariant ResultSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < int(m_columns.size())) {
        if (role == Qt::DisplayRole)
            return m_columns[size_t(section)].title;
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool ResultSetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(m_columns.size())
        || (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    m_columns[size_t(section)].title = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags ResultSetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable; // never editable
}

} // namespace kelpora
