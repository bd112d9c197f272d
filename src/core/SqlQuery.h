#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace kelpora {

class Connection;
class IBDatabase;
class IBTransaction;

// A query object in the manner every window uses: close, clear the text, add lines,
// bind by name, then open (rows) or execute (everything else). Rows are buffered on
// open; BLOB contents stay in the database until fieldBlob() asks for them.
class SqlQuery : public QObject {
    Q_OBJECT
public:
    SqlQuery(IBDatabase& db, IBTransaction& tr, QObject* parent = nullptr);
    explicit SqlQuery(Connection& connection, QObject* parent = nullptr);
    ~SqlQuery() override;

    // --- statement text ---
    void close();
    void clearSql();
    void addSql(const QString& line);
    QString sqlText() const;

    // --- parameters, by the name written after the colon ---
    // Bindings last until the text is cleared or changed, so a reopen sends the same
    // values again; a statement built afresh starts with every parameter NULL.
    void bindText(const QString& name, const QString& value);
    void bindInteger(const QString& name, qint32 value);
    void bindMemo(const QString& name, const QString& value);
    // Shift-JIS bytes as they are, for text read from the database and written back
    // untouched: re-encoding would not give the same bytes for every stored text.
    void bindTextBytes(const QString& name, const QByteArray& sjisBytes);
    void bindMemoBytes(const QString& name, const QByteArray& sjisBytes);
    void bindBlob(const QString& name, const QByteArray& bytes);
    void bindNull(const QString& name);
    QStringList paramNames() const;

    // --- running ---
    void open();
    void execute();
    bool isOpen() const;

    // --- reading the current row ---
    int rowCount() const;
    int currentRow() const; // 0-based, -1 when empty or closed
    bool isEmpty() const;
    bool hasField(const QString& column) const;
    bool isNull(const QString& column) const;
    QString fieldText(const QString& column) const;
    qint32 fieldInteger(const QString& column) const;
    QByteArray fieldBlob(const QString& column) const;
    // Which stored bytes a BLOB column holds, without reading them: every BLOB written
    // gets an id of its own, so new contents always come with a new id. nullopt for NULL.
    std::optional<quint64> blobId(const QString& column) const;
    // The stored bytes of a text or memo column, undecoded; empty for NULL.
    QByteArray fieldBytes(const QString& column) const;
    qint32 aggregateInteger() const; // first column of the first row; NULL reads 0
    QStringList columnNames() const;
    // Reading any row without moving, for the grid that shares this result set.
    bool isNullAt(int row, const QString& column) const;
    QString textAt(int row, const QString& column) const;
    // The column's text in every row, in order, the rows where it is NULL left out.
    QStringList textsOf(const QString& column) const;
    std::optional<quint64> blobIdAt(int row, const QString& column) const;
    QByteArray blobAt(int row, const QString& column) const; // empty for NULL
    // Passes over every row look a column up once and read it by its number.
    int columnNumber(const QString& column) const;
    bool nullAt(int row, int column) const;
    // A text column's stored bytes, undecoded, valid while the query stays open; empty for NULL.
    QByteArrayView textBytesAt(int row, int column) const;
    std::optional<qint32> integerAt(int row, int column) const; // nullopt for NULL

    // --- moving; every move clamps at the ends ---
    void first();
    void last();
    void next();
    void prior();
    void moveBy(int delta);
    void moveTo(int row);

    // --- position keys: the ordinal as opaque text ---
    QString positionKey() const;
    void gotoPositionKey(const QString& key);

signals:
    void opened();
    void closed();
    void currentRowChanged(int row);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kelpora
