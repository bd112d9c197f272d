#include "core/TideValues.h"

#include <QRegularExpression>

#include <limits>

namespace kelpora {

namespace {

std::optional<int> wholeNumber(const QString& text, int highest)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value > highest)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<QString> TideValues::time(const QString& hour, const QString& minute)
{
    const std::optional<int> h = wholeNumber(hour, 23);
    const std::optional<int> m = wholeNumber(minute, 59);
    if (!h || !m)
        return std::nullopt;
    return QStringLiteral("%1:%2").arg(*h, 2, 10, QChar(u'0')).arg(*m, 2, 10, QChar(u'0'));
}

std::optional<qint32> TideValues::height(const QString& text)
{
    // Rounded on the decimal digits themselves: going through a double would turn
    // "2.5000000000000000001" into an exact half and round it the wrong way.
    static const QRegularExpression form(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return std::nullopt;

    QString whole = m.captured(2);
    while (whole.size() > 1 && whole.front() == u'0')
        whole.remove(0, 1);
    if (whole.size() > 11)
        return std::nullopt;
    qint64 value = whole.isEmpty() ? 0 : whole.toLongLong();

    const QString fraction = m.captured(3);
    if (!fraction.isEmpty()) {
        const QChar first = fraction.front();
        const bool restNonZero = fraction.mid(1).contains(QRegularExpression(QStringLiteral("[1-9]")));
        if (first > u'5' || (first == u'5' && (restNonZero || value % 2 == 1)))
            ++value;
    }
    if (m.captured(1) == QLatin1String("-"))
        value = -value;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

} // namespace kelpora
