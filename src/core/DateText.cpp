#include "core/DateText.h"

#include <QRegularExpression>

namespace kelpora {

namespace {

std::optional<QDate> dateOf(int year, int month, int day)
{
    // Year 0 does not exist, and QDate would read it as 1 BC.
    if (year < 1)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

int number(const QRegularExpressionMatch& m, int group)
{
    return m.captured(group).toInt();
}

// Full-width digits and separators, as a Japanese input method types them, become ASCII.
QString halfWidth(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            c = QChar(u'0' + (u - u'０'));
        else if (u == u'／')
            c = QChar(u'/');
        else if (u == u'－' || u == u'ー')
            c = QChar(u'-');
        else if (u == u'．')
            c = QChar(u'.');
    }
    return out;
}

} // namespace

QString DateText::format(const QDate& date)
{
    return QStringLiteral("%1/%2/%3")
        .arg(date.year(), 4, 10, QChar(u'0'))
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.day(), 2, 10, QChar(u'0'));
}

std::optional<QDate> DateText::parseStrict(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})/([0-9]{1,2})/([0-9]{1,2})$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    return dateOf(number(m, 1), number(m, 2), number(m, 3));
}

std::optional<QDate> DateText::parseLenient(const QString& text, const QDate& today)
{
    const QString t = halfWidth(text.trimmed());
    // One separator throughout: "2026/12-1" is more likely a slip than a date.
    static const QRegularExpression full(QStringLiteral("^([0-9]{4})([/.-])([0-9]{1,2})\\2([0-9]{1,2})$"));
    static const QRegularExpression packed(QStringLiteral("^([0-9]{4})([0-9]{2})([0-9]{2})$"));
    static const QRegularExpression monthDay(QStringLiteral("^([0-9]{1,2})[/.-]([0-9]{1,2})$"));
    static const QRegularExpression kanji(
        QStringLiteral("^(?:([0-9]{4})\\s*年)?\\s*([0-9]{1,2})\\s*月\\s*([0-9]{1,2})\\s*日?$"));

    if (const auto m = full.match(t); m.hasMatch())
        return dateOf(number(m, 1), number(m, 3), number(m, 4));
    if (const auto m = packed.match(t); m.hasMatch())
        return dateOf(number(m, 1), number(m, 2), number(m, 3));
    if (const auto m = monthDay.match(t); m.hasMatch())
        return dateOf(today.year(), number(m, 1), number(m, 2));
    if (const auto m = kanji.match(t); m.hasMatch()) {
        const int year = m.captured(1).isEmpty() ? today.year() : number(m, 1);
        return dateOf(year, number(m, 2), number(m, 3));
    }
    return std::nullopt;
}

} // namespace kelpora
