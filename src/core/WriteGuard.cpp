#include "core/WriteGuard.h"

#include "core/Error.h"
#include "core/IBTransaction.h"
#include "core/SqlQuery.h"

namespace kelpora {

namespace {

void rollBack(IBTransaction& tr) noexcept
{
    try {
        tr.rollbackRetaining();
    } catch (...) {
        // The connection itself is gone; the next statement reconnects.
    }
}

} // namespace

QString failureText(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Error& e) {
        return e.text();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) { }
    return QStringLiteral("原因不明のエラーです。");
}

std::optional<QString> guardedWrite(IBTransaction& tr, const std::function<void()>& write)
{
    try {
        write();
        tr.commitRetaining();
        return std::nullopt;
    } catch (const ProgrammingError&) {
        rollBack(tr);
        throw;
    } catch (...) {
        const QString text = failureText(std::current_exception());
        rollBack(tr);
        return text;
    }
}

std::optional<QString> guardedWrite(SqlQuery& query, IBTransaction& tr)
{
    return guardedWrite(tr, [&] { query.execute(); });
}

} // namespace kelpora
