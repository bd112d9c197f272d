#include "entry/DigitFilter.h"

#include <QKeyEvent>

namespace kelpora {

const QString& DigitFilter::digits()
{
    static const QString allowed = QStringLiteral("0123456789");
    return allowed;
}

const QString& DigitFilter::digitsAndPoint()
{
    static const QString allowed = QStringLiteral("0123456789.");
    return allowed;
}

bool DigitFilter::drops(const QString& allowed, const QKeyEvent& key)
{
    switch (key.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false;
    default:
        break;
    }
    // Ctrl with a letter types a control character (Ctrl+V among them), whatever text
    // the platform attaches to it.
    if (key.modifiers().testFlag(Qt::ControlModifier) && key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
        return true;
    return drops(allowed, key.text());
}

bool DigitFilter::drops(const QString& allowed, const QString& committed)
{
    for (const QChar c : committed)
        if (!allowed.contains(c))
            return true;
    return false;
}

} // namespace kelpora
