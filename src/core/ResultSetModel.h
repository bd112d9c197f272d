#pragma once

#include <QAbstractTableModel>
#include <QPointer>

#include <vector>

namespace kelpora {

class SqlQuery;

// A data source: what a grid binds to so it shows and moves an existing result
// set rather than running a statement of its own.
class DataSource {
public:
    explicit DataSource(SqlQuery& dataSet) : m_dataSet(dataSet) { }
    SqlQuery& dataSet() const { return m_dataSet; }

private:
    SqlQuery& m_dataSet;
};

// Read-only table over a query's buffered rows, one row per record, cells decoded
// only when the view asks for them.
class ResultSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title;
    };

    ResultSetModel(const DataSource& source, std::vector<Column> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // A column's title may be renamed after the grid is built; nothing else changes.
    bool setHeaderData(
        int section, Qt::Orientation orientation, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    SqlQuery& m_query;
    std::vector<Column> m_columns;
};

} // namespace kelpora
