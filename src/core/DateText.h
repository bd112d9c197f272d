#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace kelpora {

// The record's date text. Stored dates are always "yyyy/mm/dd", whatever the desktop's
// locale says: the month search reads the month from a fixed position, and a Linux
// locale's short date is rarely in that order.
class DateText {
public:
    DateText() = delete;

    // "2026/05/03": four-digit year, two-digit month and day.
    static QString format(const QDate& date);

    // What the entry accepts at confirmation: year/month/day separated by "/", with a
    // four-digit year and a one- or two-digit month and day. Impossible dates fail.
    static std::optional<QDate> parseStrict(const QString& text);

    // What Enter in the date field accepts: the strict form, "-" or "." as separator,
    // eight digits "yyyymmdd", month/day alone (of `today`'s year), full-width digits
    // and separators, and "2026年12月1日" or "12月1日". Impossible dates fail.
    static std::optional<QDate> parseLenient(const QString& text, const QDate& today);
};

} // namespace kelpora
