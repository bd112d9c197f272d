#include "app/ErrorHandler.h"

#include "core/Error.h"
#include "core/Seams.h"

namespace kelpora {

void reportError(std::exception_ptr error) noexcept
{
    QString text;
    try {
        std::rethrow_exception(error);
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
