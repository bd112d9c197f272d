#include "core/Almanac.h"
#include "core/Error.h"
#include "core/SjisCodec.h"

#include <gtest/gtest.h>

// The dates below are those of the lunisolar calendar as the National Astronomical
// Observatory of Japan's new-moon and solar-term tables (暦要項) give them and as Japanese
// almanacs commonly print them:
// - 旧正月 (1/1): 1997-02-08 (in China 02-07: the new moon was 00:06 JST), 2010-02-14,
//   2011-02-03, 2012-01-23, 2013-02-10, 2014-01-31, 2015-02-19, 2016-02-08, 2017-01-28,
//   2018-02-16, 2019-02-05, 2020-01-25, 2021-02-12, 2022-02-01, 2023-01-22, 2024-02-10,
//   2025-01-29, 2026-02-17, 2027-02-07 (in China 02-06), 2028-01-27 (in China 01-26),
//   2029-02-13, 2030-02-03.
// - Leap months: 閏3月 2012-04-21, 閏9月 2014-10-24, 閏5月 2017-06-24, 閏4月 2020-05-23,
//   閏2月 2023-03-22, 閏6月 2025-07-25, 閏5月 2028-06-23, and 閏11月 2033-12-22, the
//   reading the Japan Calendar Culture Association recommended for the year the Tenpō
//   rule leaves open; and 閏2月 1852-03-21 (嘉永5年閏2月), where the Tenpō rule passes
//   over a month without a principal term right after the 11th.
// - New and full moons (NAOJ, UTC): new 2023-12-12 23:32, 2024-01-11 11:57, 2024-04-08
//   18:21, 2022-10-25 10:49; full 2024-04-23 23:49, 2022-11-08 11:02.

using kelpora::almanacFor;
using kelpora::LunarDate;

namespace {

LunarDate lunar(int y, int m, int d)
{
    return almanacFor(QDate(y, m, d)).lunar;
}

std::string shown(const LunarDate& date)
{
    return kelpora::lunarDateText(date).toStdString();
}

} // namespace

TEST(Almanac, TheLunarYearBeginsOnThePublishedDays)
{
    const QDate newYears[] = {{1997, 2, 8}, {2010, 2, 14}, {2011, 2, 3}, {2012, 1, 23}, {2013, 2, 10}, {2014, 1, 31},
        {2015, 2, 19}, {2016, 2, 8}, {2017, 1, 28}, {2018, 2, 16}, {2019, 2, 5}, {2020, 1, 25}, {2021, 2, 12},
        {2022, 2, 1}, {2023, 1, 22}, {2024, 2, 10}, {2025, 1, 29}, {2026, 2, 17}, {2027, 2, 7}, {2028, 1, 27},
        {2029, 2, 13}, {2030, 2, 3}};
    for (const QDate& day : newYears) {
        EXPECT_EQ(shown(almanacFor(day).lunar), "1/1") << qPrintable(day.toString(Qt::ISODate));
        const LunarDate eve = almanacFor(day.addDays(-1)).lunar;
        EXPECT_TRUE(eve.month == 12 && !eve.leap && (eve.day == 29 || eve.day == 30)) << shown(eve);
    }
}

TEST(Almanac, LeapMonthsFallWhereThePublishedTablesPutThem)
{
    const std::pair<QDate, const char*> leaps[] = {{{1852, 3, 21}, "閏2/1"}, {{2012, 4, 21}, "閏3/1"},
        {{2014, 10, 24}, "閏9/1"}, {{2017, 6, 24}, "閏5/1"}, {{2020, 5, 23}, "閏4/1"}, {{2023, 3, 22}, "閏2/1"},
        {{2025, 7, 25}, "閏6/1"}, {{2028, 6, 23}, "閏5/1"}, {{2033, 12, 22}, "閏11/1"}};
    for (const auto& [day, text] : leaps) {
        const LunarDate first = almanacFor(day).lunar;
        EXPECT_EQ(shown(first), text) << qPrintable(day.toString(Qt::ISODate));
        const LunarDate before = almanacFor(day.addDays(-1)).lunar;
        EXPECT_EQ(before.month, first.month);
        EXPECT_FALSE(before.leap);
        const LunarDate last = almanacFor(day.addDays(28)).lunar; // months have 29 or 30 days
        EXPECT_TRUE(last.leap && last.month == first.month) << shown(last);
    }
    // 2033's puzzle settled as 閏11月: the months around it run on without a gap.
    EXPECT_EQ(shown(lunar(2033, 11, 22)), "11/1");
    EXPECT_EQ(shown(lunar(2034, 1, 20)), "12/1");
    EXPECT_EQ(shown(lunar(2034, 2, 19)), "1/1");
}

TEST(Almanac, TheMoonsAgeIsCountedAtNoonFromTheLastNewMoon)
{
    EXPECT_DOUBLE_EQ(almanacFor(QDate(2024, 4, 9)).moonAge, 0.4); // new moon 03:21 JST
    EXPECT_DOUBLE_EQ(almanacFor(QDate(2024, 4, 10)).moonAge, 1.4);
    EXPECT_DOUBLE_EQ(almanacFor(QDate(2024, 4, 24)).moonAge, 15.4); // full moon 08:49 JST
    EXPECT_DOUBLE_EQ(almanacFor(QDate(2022, 11, 8)).moonAge, 13.7); // full moon 20:02 JST
    // The month begins on the day of a new moon at 20:57 JST: at noon the old moon is
    // still 29.1 days old.
    const kelpora::AlmanacDay first = almanacFor(QDate(2024, 1, 11));
    EXPECT_EQ(first.lunar.day, 1);
    EXPECT_DOUBLE_EQ(first.moonAge, 29.1);
}

TEST(Almanac, TideNamesTurnAroundANewAndAFullMoon)
{
    // 2024/04/06 to 04/11 are lunar 2/28, 2/29, 2/30, 3/1, 3/2, 3/3.
    const char* aroundNewMoon[] = {"中潮", "大潮", "大潮", "大潮", "大潮", "中潮"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(almanacFor(QDate(2024, 4, 6 + i)).tideName.toStdString(), aroundNewMoon[i]) << i;
    // Lunar 3/9 to 3/18: neap, its long and young tides, then the spring tide of the full moon.
    const char* afterIt[] = {"小潮", "長潮", "若潮", "中潮", "中潮", "大潮", "大潮", "大潮", "大潮", "中潮"};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(almanacFor(QDate(2024, 4, 17 + i)).tideName.toStdString(), afterIt[i]) << i;
}

TEST(Almanac, EveryLunarDateFitsTheTenByteColumn)
{
    int leapDays = 0;
    for (QDate day(2000, 1, 1); day.year() < 2040; day = day.addDays(1)) {
        const LunarDate date = almanacFor(day).lunar;
        leapDays += date.leap ? 1 : 0;
        ASSERT_LE(kelpora::sjis::encode(kelpora::lunarDateText(date)).size(), 10) << shown(date);
    }
    EXPECT_EQ(shown({12, 30, true}), "閏12/30");
    EXPECT_GT(leapDays, 14 * 29); // fourteen leap months in those forty years
}

TEST(Almanac, RefusesDatesItCannotReckon)
{
    EXPECT_THROW(almanacFor(QDate(1699, 12, 31)), kelpora::Error);
    EXPECT_THROW(almanacFor(QDate(2301, 1, 1)), kelpora::Error);
    EXPECT_THROW(almanacFor(QDate()), kelpora::Error);
    EXPECT_NO_THROW(almanacFor(QDate(1700, 1, 1)));
}
