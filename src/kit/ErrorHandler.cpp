#include "kit/ErrorHandler.h"

#include "core/BookLocation.h"
#include "core/Error.h"
#include "core/Seams.h"

#include <QDir>

namespace kelpora {

namespace {

QString explained(const DbError& e)
{
    const QString book = BookLocation::databaseName(QDir::currentPath());
    QString sentence;
    switch (e.cause()) {
    case DbError::Cause::Other:
        return e.text();
    case DbError::Cause::NoBook:
        sentence = BookLocation::isServerBook(book)
            ? QStringLiteral("サーバー %1 に釣果記録のデータベース %2 がありません。")
                  .arg(BookLocation::serverHost(book), BookLocation::serverPath(book))
            : QStringLiteral("このフォルダーに釣果記録のデータベース (KELPORA.FDB) がありません。");
        break;
    case DbError::Cause::NotABook:
        sentence = QStringLiteral("KELPORA.FDB は釣果記録のデータベースではないか、壊れています。");
        break;
    case DbError::Cause::NoPermission:
        sentence = QStringLiteral("KELPORA.FDB に書き込む権限がありません。");
        break;
    case DbError::Cause::BookInUse:
        sentence
            = QStringLiteral("KELPORA.FDB は別の KELPORA で開かれています。そちらを閉じてからもう一度お試しください。");
        break;
    case DbError::Cause::ServerUnreachable:
        sentence = BookLocation::unreachableMessage(book);
        break;
    }
    return sentence + u'\n' + e.text();
}

} // namespace

void reportError(std::exception_ptr error) noexcept
{
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const DbError& e) {
        text = explained(e);
    } catch (const Error& e) {
        text = e.text();
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("予期しないエラーが発生しました");
    }
    try {
        seams::messageBoxes().error(text);
    } catch (...) {
        // Nothing is left to tell the user with; the application must still go on.
    }
}

} // namespace kelpora
