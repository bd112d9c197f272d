#include "core/TextNumber.h"

#include "core/Error.h"

#include <QRegularExpression>

namespace kelpora {

qint32 toInteger(const QString& text, const QString& fieldLabel)
{
    // ASCII digits only: the database takes nothing else, and " 12 " or "１２" typed
    // into a number field is a mistake to point out, not a number.
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = false;
    const qint32 value = pattern.match(text).hasMatch() ? text.toInt(&ok) : 0;
    if (!ok)
        throw ConversionError(QStringLiteral("「%1」の '%2' は正しい整数値ではありません").arg(fieldLabel, text));
    return value;
}

} // namespace kelpora
