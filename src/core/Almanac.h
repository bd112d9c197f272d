#pragma once

#include <QDate>
#include <QString>

namespace kelpora {

// A date of the Japanese lunisolar calendar (旧暦) as it is reckoned today.
struct LunarDate {
    int month = 0; // 1 to 12
    int day = 0; // 1 to 30
    bool leap = false; // a leap month (閏月), numbered after the month before it
    friend bool operator==(const LunarDate&, const LunarDate&) = default;
};

// What the sky says of a day, for planning and for records that lack it.
struct AlmanacDay {
    LunarDate lunar;
    double moonAge = 0.0; // days since the last new moon at noon JST, to one decimal
    QString tideName; // 大潮, 中潮, 小潮, 長潮 or 若潮
};

// The years the almanac answers for. Outside them Delta T, the earth's slowing, is
// too uncertain for a calendar that hangs on which side of midnight a new moon falls.
constexpr int kAlmanacFirstYear = 1700;
constexpr int kAlmanacLastYear = 2300;
bool almanacCovers(const QDate& date);

// For a calendar date in Japan Standard Time. Computed from the date alone, offline, and
// cached, so a run of consecutive dates costs the new moons and solar terms of their
// years once. Safe from any thread. Throws kelpora::Error for a date not covered.
AlmanacDay almanacFor(const QDate& jstDate);

// The tide name of a date, or empty text where the almanac does not answer: for views
// that fill a gap in what was stored and must not stop on an odd date.
QString almanacTideName(const QDate& jstDate);

// "3/1", or "閏6/1" in a leap month: at most 7 bytes in Shift-JIS.
QString lunarDateText(const LunarDate& date);

// The tide name Japanese tide tables give a lunar day (1 to 30).
QString tideNameOfLunarDay(int day);

} // namespace kelpora
