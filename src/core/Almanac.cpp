#include "core/Almanac.h"

#include "core/Error.h"
#include "core/SkyEvents.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <vector>

// The calendar is the one Japanese almanacs print as 旧暦: the Tenpō calendar's rules
// applied to modern new moons and solar terms (as the National Astronomical Observatory
// of Japan publishes them), all in Japan Standard Time.
//
// - A month begins on the JST calendar day that holds the instant of the new moon. The
//   instant is computed to a few seconds and its date taken as it falls: 23:59:50 is
//   that day, 00:00:10 the next. A new moon within ten minutes of midnight is computed
//   again with libnova's lunar series at their finest before its date is read; a
//   calendar from a better ephemeris could still disagree on one that falls within a
//   few seconds of midnight, which no source can settle.
// - A principal term (中気, the sun at a multiple of 30 degrees) falls in the month whose
//   days hold its JST date. The month holding the December solstice is the 11th, the
//   next ones follow in order.
// - From one 11th month to the next there are twelve months, or thirteen. With thirteen,
//   the months of the March equinox, the June solstice and the September equinox are the
//   2nd, 5th and 8th, and the leap month is the first month holding no principal term
//   in the one quarter (from the 11th, 2nd, 5th or 8th month to the next of them) that
//   has four months; it takes the number of the month before it. A month without a
//   principal term elsewhere is no leap month: 1852 has 閏2月, not a leap month after
//   its 11th, which holds no principal term either.
// - Where those rules contradict each other, as they do first from 2033 to 2034 (the
//   solstice and equinox months cannot all get their numbers), a twelve-month span is
//   numbered in order and a thirteen-month one takes its first month without a principal
//   term as leap month. That gives 2033 閏11月, the answer the Japan Calendar Culture
//   Association (日本カレンダー暦文化振興協会) recommended in 2015 and most published
//   tables print.

namespace kelpora {

namespace {

// The JST calendar day of an instant, as a Julian day number (QDate::toJulianDay()).
qint64 jstDay(double jdUt)
{
    return qint64(std::floor(jdUt + 0.5 + 9.0 / 24.0));
}

// Noon JST of a day, as a Julian day in Universal Time.
double jstNoon(qint64 day)
{
    return double(day) - 9.0 / 24.0;
}

// The principal term at the December solstice of `year`.
int solsticeTerm(int year)
{
    return 12 * (year - 2000) + 9;
}

struct Month {
    qint64 firstDay = 0;
    int lunation = 0;
    LunarDate first; // its first day
};

// The months from the 11th month of one year up to the 11th of the next.
using Span = std::vector<Month>;

class Calendar {
public:
    AlmanacDay day(qint64 jd)
    {
        const std::lock_guard lock(m_mutex);
        const Span& span = spanOf(jd);
        const auto after
            = std::upper_bound(span.begin(), span.end(), jd, [](qint64 d, const Month& m) { return d < m.firstDay; });
        const Month& month = *(after - 1);

        AlmanacDay result;
        result.lunar = month.first;
        result.lunar.day = int(jd - month.firstDay) + 1;
        // On a month's first day the new moon may come after noon: the age is then
        // still counted from the one before.
        const double noon = jstNoon(jd);
        double newMoon = newMoonOf(month.lunation);
        if (newMoon > noon)
            newMoon = newMoonOf(month.lunation - 1);
        result.moonAge = std::round((noon - newMoon) * 10.0) / 10.0;
        result.tideName = tideNameOfLunarDay(result.lunar.day);
        return result;
    }

private:
    double newMoonOf(int k)
    {
        const auto found = m_newMoons.find(k);
        if (found != m_newMoons.end())
            return found->second;
        return m_newMoons.emplace(k, sky::newMoon(k)).first->second;
    }

    double termOf(int n)
    {
        const auto found = m_terms.find(n);
        if (found != m_terms.end())
            return found->second;
        return m_terms.emplace(n, sky::principalTerm(n)).first->second;
    }

    qint64 firstDayOf(int k) { return jstDay(newMoonOf(k)); }

    // The lunation whose month holds the JST day `day`.
    int lunationHolding(qint64 day)
    {
        int k = int(std::floor((double(day) - 2451550.1) / 29.530588861));
        while (firstDayOf(k) > day)
            --k;
        while (firstDayOf(k + 1) <= day)
            ++k;
        return k;
    }

    // The span that holds `jd`: the one begun by the 11th month of its own year, or of
    // the year before. That month begins less than a lunation before the December
    // solstice, so an earlier day needs no span of its own year built.
    const Span& spanOf(qint64 jd)
    {
        const int year = QDate::fromJulianDay(jd).year();
        if (jd < jstDay(termOf(solsticeTerm(year))) - 30)
            return spanFrom(year - 1);
        const Span& late = spanFrom(year);
        if (jd >= late.front().firstDay)
            return late;
        return spanFrom(year - 1);
    }

    // The months from the 11th month of `year` to the last before the 11th of year + 1.
    const Span& spanFrom(int year)
    {
        const auto found = m_spans.find(year);
        if (found != m_spans.end())
            return found->second;
        return m_spans.emplace(year, buildSpan(year)).first->second;
    }

    // Twelve months need no principal terms but the solstices to be numbered; only
    // thirteen ask for the others, and only those the leap month rule looks at.
    Span buildSpan(int year)
    {
        const int firstTerm = solsticeTerm(year);
        const int begin = lunationHolding(jstDay(termOf(firstTerm)));
        const int end = lunationHolding(jstDay(termOf(solsticeTerm(year + 1))));
        const int count = end - begin;
        if (count != 12 && count != 13)
            throw std::logic_error("a lunisolar year of neither twelve nor thirteen months");
        const int leap = count == 13 ? leapMonth(begin, firstTerm, count) : -1;

        Span span;
        int number = 10;
        for (int i = 0; i < count; ++i) {
            if (i != leap)
                number = number % 12 + 1;
            span.push_back(Month{firstDayOf(begin + i), begin + i, LunarDate{number, 1, i == leap}});
        }
        return span;
    }

    // The leap month (counted from the span's first) of a thirteen-month span beginning
    // with lunation `begin` and principal term `firstTerm`, by the rules above. Terms are
    // in order, so only the two inside a quarter can fall in its inner months.
    int leapMonth(int begin, int firstTerm, int count)
    {
        std::array<int, 12> termMonth{};
        termMonth.fill(-1);
        const auto monthOf = [&](int i) {
            if (termMonth[size_t(i)] < 0)
                termMonth[size_t(i)] = lunationHolding(jstDay(termOf(firstTerm + i))) - begin;
            return termMonth[size_t(i)];
        };
        // The first month from `from` up to `to` holding none of the terms first..last.
        const auto firstWithout = [&](int from, int to, int first, int last) {
            for (int month = from; month < to; ++month) {
                bool holds = false;
                for (int i = first; i <= last && !holds; ++i)
                    holds = monthOf(i) == month;
                if (!holds)
                    return month;
            }
            return -1;
        };
        const int quarters[] = {0, monthOf(3), monthOf(6), monthOf(9), count};
        for (int q = 0; q < 4; ++q) {
            const int length = quarters[q + 1] - quarters[q];
            if (length == 4) {
                if (const int leap = firstWithout(quarters[q] + 1, quarters[q + 1], 3 * q + 1, 3 * q + 2); leap >= 0)
                    return leap;
            }
            if (length != 3)
                break;
        }
        const int leap = firstWithout(1, count, 0, 11);
        if (leap < 0)
            throw std::logic_error("a lunisolar year of thirteen months without a month lacking a principal term");
        return leap;
    }

    std::mutex m_mutex;
    std::unordered_map<int, double> m_newMoons; // UT instants by lunation
    std::unordered_map<int, double> m_terms; // UT instants by principal term
    std::map<int, Span> m_spans; // by the year of their first month
};

Calendar& calendar()
{
    static Calendar instance;
    return instance;
}

} // namespace

bool almanacCovers(const QDate& date)
{
    return date.isValid() && date.year() >= kAlmanacFirstYear && date.year() <= kAlmanacLastYear;
}

AlmanacDay almanacFor(const QDate& jstDate)
{
    if (!almanacCovers(jstDate))
        throw Error(QStringLiteral("旧暦・潮・月齢は %1 年から %2 年までの日付について計算できます")
                        .arg(kAlmanacFirstYear)
                        .arg(kAlmanacLastYear));
    return calendar().day(jstDate.toJulianDay());
}

QString almanacTideName(const QDate& jstDate)
{
    return almanacCovers(jstDate) ? almanacFor(jstDate).tideName : QString();
}

QString lunarDateText(const LunarDate& date)
{
    const QString text = QStringLiteral("%1/%2").arg(date.month).arg(date.day);
    return date.leap ? QStringLiteral("閏") + text : text;
}

// The names by lunar day that Japanese tide tables and newspapers print, as the Japan
// Coast Guard's Hydrographic and Oceanographic Department gives them ("潮の名前",
// 海上保安庁海洋情報部): 大潮 1-2, 中潮 3-6, 小潮 7-9, 長潮 10, 若潮 11, 中潮 12-13,
// 大潮 14-17, 中潮 18-21, 小潮 22-24, 長潮 25, 若潮 26, 中潮 27-28, 大潮 29-30.
QString tideNameOfLunarDay(int day)
{
    struct Run {
        int lastDay;
        const char16_t* name;
    };
    static constexpr Run kRuns[]
        = {{2, u"大潮"}, {6, u"中潮"}, {9, u"小潮"}, {10, u"長潮"}, {11, u"若潮"}, {13, u"中潮"}, {17, u"大潮"},
            {21, u"中潮"}, {24, u"小潮"}, {25, u"長潮"}, {26, u"若潮"}, {28, u"中潮"}, {30, u"大潮"}};
    // Built once, so a day's name is a shared copy rather than a new string.
    static const std::array<QString, 30> kByDay = [] {
        std::array<QString, 30> names;
        int d = 1;
        for (const Run& run : kRuns)
            for (; d <= run.lastDay; ++d)
                names[size_t(d - 1)] = QString::fromUtf16(run.name);
        return names;
    }();
    if (day < 1 || day > 30)
        throw std::out_of_range("a lunar day outside 1 to 30");
    return kByDay[size_t(day - 1)];
}

} // namespace kelpora
