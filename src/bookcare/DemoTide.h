#pragma once

#include <QDate>
#include <QString>

#include <vector>

// Tides: the two half-day tides of moon and sun and a day-long one, enough to give
// springs at new and full moon, neaps between, and two unequal highs a day.
namespace kelpora::bookcare::demo {

struct Port;

// Hours from 2000-01-01 00:00 JST to that minute of the day.
double hoursSinceEpoch(const QDate& day, double minute);

// The height above chart datum, in cm, at a moment given as hoursSinceEpoch.
double tideLevel(const Port& port, double hours);

struct Extreme {
    int minute;
    int height;
    bool high;
};

// The day's high and low waters, to the minute and the centimetre.
std::vector<Extreme> tideExtremes(const Port& port, const QDate& day);

QString hhmm(int minute);

// What a tide table prints over a day: the tide's name ("大潮"), the lunar date as
// "month/day" and the moon's age at noon.
struct TideDay {
    QString tideName;
    QString lunarText;
    double moonAge = 0;
};

// As the almanac computes it; the tide curve itself still runs on a mean lunar month, which
// is near enough for demo charts.
TideDay tideDayOf(const QDate& day);

} // namespace kelpora::bookcare::demo
