#include "bookcare/BookConnection.h"

#include "bookcare/BookInUseError.h"

#include "core/BookLocation.h"
#include "core/CatchRecord.h"
#include "core/Error.h"
#include "core/SqlQuery.h"

#include <QDir>
#include <QFileInfo>

namespace kelpora::bookcare {

namespace {

// A file of this computer by its full path; a server book as it is named.
QString located(const QString& path)
{
    return BookLocation::isServerBook(path) ? path : QFileInfo(path).absoluteFilePath();
}

} // namespace

BookConnection::BookConnection(const QString& path)
    : Connection(located(path)), m_path(located(path))
{
    // A server's files are not this computer's to look at; the server says what is missing.
    if (!BookLocation::isServerBook(m_path) && !QFileInfo(m_path).isFile())
        throw Error(QStringLiteral("釣果記録 %1 がありません。").arg(QDir::toNativeSeparators(m_path)));
    try {
        open();
    } catch (const DbError& e) {
        if (e.cause() == DbError::Cause::BookInUse)
            throw BookInUseError(inUseMessage(m_path));
        throw Error(openFailure(m_path, e));
    }
}

bool BookConnection::isOnline()
{
    SqlQuery q(*this);
    q.addSql(QStringLiteral("select MON$SHUTDOWN_MODE from MON$DATABASE"));
    q.open();
    return q.aggregateInteger() == 0;
}

void BookConnection::requireCatchTable()
{
    SqlQuery q(*this);
    q.addSql(QStringLiteral("select trim(RDB$FIELD_NAME) as NAME from RDB$RELATION_FIELDS"
                            " where RDB$RELATION_NAME = 'FISH_DATA'"));
    q.open();
    QStringList present;
    for (int row = 0; row < q.rowCount(); ++row)
        present << q.textAt(row, QStringLiteral("NAME"));
    if (present.isEmpty())
        throw Error(QStringLiteral("%1 は釣果記録ではありません（FISH_DATA 表がありません）。")
                        .arg(QDir::toNativeSeparators(m_path)));
    QStringList missing;
    for (const record::Column& c : record::columns())
        if (!present.contains(QLatin1String(c.name)))
            missing << QLatin1String(c.name);
    if (!missing.isEmpty())
        throw Error(QStringLiteral("%1 の FISH_DATA 表に列 %2 がありません。")
                        .arg(QDir::toNativeSeparators(m_path), missing.join(QStringLiteral(", "))));
}

QString BookConnection::openFailure(const QString& path, const DbError& e)
{
    const QString file = QDir::toNativeSeparators(path);
    switch (e.cause()) {
    case DbError::Cause::NoPermission:
        // The engine opens a book for reading and writing, also only to read it.
        return QStringLiteral("釣果記録 %1 を開けません。ファイルかフォルダーが書き込み禁止か、"
                              "読み書きする権限がありません。何も変更していません。")
            .arg(file);
    case DbError::Cause::NotABook:
        return QStringLiteral("%1 は釣果記録ではないか、壊れています。何も変更していません。").arg(file);
    case DbError::Cause::NoBook:
        return QStringLiteral("釣果記録 %1 がありません。").arg(file);
    default:
        return QStringLiteral("釣果記録 %1 を開けません（%2）。何も変更していません。").arg(file, e.text());
    }
}

QString BookConnection::inUseMessage(const QString& path)
{
    return QStringLiteral("釣果記録 %1 は他のプログラム（釣果記録アプリなど）が開いています。"
                          "アプリを閉じてからもう一度実行してください。何も変更していません。")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace kelpora::bookcare
