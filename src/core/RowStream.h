#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace kelpora {

class Connection;

// The rows of one select read one at a time as the server sends them, nothing kept and
// nothing decoded: for reading a whole book of any size exactly as stored. Where
// SqlQuery suits a window, this suits a tool.
class RowStream {
public:
    // How a column is asked for. An integer width is asked of the engine whatever the
    // file declares (so an old book with SMALLINT or NUMERIC columns reads the same); the
    // engine reports a value that does not fit.
    enum class As { Declared, Integer32, Integer64 };
    // What a column holds, as it arrives.
    enum class Kind { Integer, Text, Blob, Other };

    // as[i] for column i; columns past its end are read as declared.
    RowStream(Connection& connection, const QString& sql, const std::vector<As>& as = {});
    ~RowStream();
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    int columnCount() const;
    Kind kind(int column) const;

    // Moves to the next row; false after the last (and on every call after that).
    bool next();

    bool isNull(int column) const;
    // An integer column of the current row; 0 for NULL.
    qint64 integer(int column) const;
    // A text column's stored bytes (a fixed-width column without its padding blanks), or a
    // BLOB column's contents, read now; empty for NULL.
    QByteArray bytes(int column) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kelpora
