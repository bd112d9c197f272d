#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <optional>

namespace kelpora {

class IBTransaction;
class SqlQuery;

// What a failure says to the user: the originating library's own wording where it has one.
QString failureText(const std::exception_ptr& error);

// The write convention: run the write, then commit retaining. When anything fails (the
// database, a picture too large for memory, anything), the transaction is rolled back
// retaining so nothing half-done stays pending, and the failure's text is returned;
// nullopt once the write is committed. A programming mistake is rolled back and thrown on.
std::optional<QString> guardedWrite(IBTransaction& tr, const std::function<void()>& write);
// The same for one statement: executes query.
std::optional<QString> guardedWrite(SqlQuery& query, IBTransaction& tr);

} // namespace kelpora
