#include "entry/DigitFilter.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>

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

const QString& DigitFilter::dateCharacters()
{
    static const QString allowed = QStringLiteral("0123456789/-.年月日");
    return allowed;
}

namespace {

// The ASCII character a Japanese input method's character stands for in a number or a
// date: full-width forms, and the signs its kana mode makes of "/", "-" and ".".
QChar asciiOf(QChar c)
{
    if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
        return QChar(char16_t(c.unicode() - 0xFEE0));
    switch (c.unicode()) {
    case 0x30FB: // ・
        return u'/';
    case 0x30FC: // ー
    case 0x2212: // −
        return u'-';
    case 0x3002: // 。
        return u'.';
    default:
        return c;
    }
}

} // namespace

QString DigitFilter::narrowed(const QString& allowed, const QString& committed)
{
    QString kept;
    for (const QChar c : committed) {
        if (allowed.contains(c))
            kept += c;
        else if (const QChar ascii = asciiOf(c); ascii != c && allowed.contains(ascii))
            kept += ascii;
    }
    return kept;
}

bool DigitFilter::retypeCommit(QWidget* field, const QInputMethodEvent& event, const QString& allowed)
{
    const QString kept = narrowed(allowed, event.commitString());
    if (kept == event.commitString())
        return false;
    QInputMethodEvent retyped(event.preeditString(), event.attributes());
    retyped.setCommitString(kept, event.replacementStart(), event.replacementLength());
    QCoreApplication::sendEvent(field, &retyped);
    return true;
}

} // namespace kelpora
