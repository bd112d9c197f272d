#include "core/DateText.h"
#include "core/TideValues.h"

#include <gtest/gtest.h>

using kelpora::DateText;
using kelpora::TideValues;

namespace {

const QDate kToday(2026, 7, 14);

QString strict(const QString& text)
{
    const auto date = DateText::parseStrict(text);
    return date ? DateText::format(*date) : QStringLiteral("refused");
}

QString lenient(const QString& text)
{
    const auto date = DateText::parseLenient(text, kToday);
    return date ? DateText::format(*date) : QStringLiteral("refused");
}

} // namespace

TEST(DateText, IsWrittenYearMonthDayWhateverTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(DateText::format(QDate(2026, 5, 3)), QStringLiteral("2026/05/03"));
    EXPECT_EQ(DateText::format(QDate(812, 12, 31)), QStringLiteral("0812/12/31"));
    QLocale::setDefault(QLocale::c());
}

TEST(DateText, TheStrictParseTakesSlashedYearMonthDayOnly)
{
    EXPECT_EQ(strict(QStringLiteral("2026/05/03")), QStringLiteral("2026/05/03"));
    EXPECT_EQ(strict(QStringLiteral("2026/5/3")), QStringLiteral("2026/05/03"));
    EXPECT_EQ(strict(QStringLiteral(" 2026/12/31 ")), QStringLiteral("2026/12/31"));
    EXPECT_EQ(strict(QStringLiteral("2024/02/29")), QStringLiteral("2024/02/29"));
    for (const char* refused :
        {"", "2026/02/30", "2025/02/29", "2026/13/01", "2026/00/10", "0000/01/01", "2026-05-03", "2026.05.03",
            "20260503", "5/3", "26/05/03", "2026/005/03", "2026/05/03/1", "2026年5月3日", "May 3 2026", "2026/05/3x"})
        EXPECT_EQ(strict(QString::fromUtf8(refused)), QStringLiteral("refused")) << refused;
    EXPECT_EQ(strict(QStringLiteral("２０２６/０５/０３")), QStringLiteral("refused"));
}

TEST(DateText, EnterTakesTheUsualWrittenForms)
{
    const std::pair<const char*, const char*> accepted[] = {
        {"2026/05/03", "2026/05/03"},
        {"2026/5/3", "2026/05/03"},
        {"2026-5-3", "2026/05/03"},
        {"2026.05.03", "2026/05/03"},
        {"20260503", "2026/05/03"},
        {"5/3", "2026/05/03"},
        {"12-31", "2026/12/31"},
        {"２０２６／１２／１", "2026/12/01"},
        {"２０２６１２０１", "2026/12/01"},
        {"2026年12月1日", "2026/12/01"},
        {"２０２６年１２月１日", "2026/12/01"},
        {"12月1日", "2026/12/01"},
        {"  2026/12/01\u3000", "2026/12/01"},
    };
    for (const auto& [typed, written] : accepted)
        EXPECT_EQ(lenient(QString::fromUtf8(typed)), QString::fromUtf8(written)) << typed;
}

TEST(DateText, EnterRefusesImpossibleAndUnclearDates)
{
    for (const char* refused : {"", "2026/02/30", "20260230", "2/30", "2026年2月30日", "2026/13/1", "2026/5-3",
             "202653", "2026/5", "あした", "2026/05/03 10:00", "26/5/3", "0000/01/01"})
        EXPECT_EQ(lenient(QString::fromUtf8(refused)), QStringLiteral("refused")) << refused;
}

TEST(TideValues, TimesNeedAValidHourAndMinute)
{
    EXPECT_EQ(TideValues::time(QStringLiteral("7"), QStringLiteral("5")), QStringLiteral("07:05"));
    EXPECT_EQ(TideValues::time(QStringLiteral("0"), QStringLiteral("0")), QStringLiteral("00:00"));
    EXPECT_EQ(TideValues::time(QStringLiteral("23"), QStringLiteral("59")), QStringLiteral("23:59"));
    EXPECT_EQ(TideValues::time(QStringLiteral("007"), QStringLiteral("05")), QStringLiteral("07:05"));
    EXPECT_FALSE(TideValues::time(QStringLiteral("24"), QStringLiteral("0")));
    EXPECT_FALSE(TideValues::time(QStringLiteral("6"), QStringLiteral("60")));
    EXPECT_FALSE(TideValues::time(QStringLiteral("6a"), QStringLiteral("5")));
    EXPECT_FALSE(TideValues::time(QStringLiteral("-1"), QStringLiteral("5")));
    EXPECT_FALSE(TideValues::time(QStringLiteral("６"), QStringLiteral("5")));
    EXPECT_FALSE(TideValues::time(QStringLiteral("99999999999"), QStringLiteral("5")));
}

TEST(TideValues, HeightsRoundHalfToEven)
{
    const std::pair<const char*, qint32> rounded[]
        = {{"12.5", 12}, {"13.5", 14}, {"12.4", 12}, {"12.6", 13}, {"12.50000000000000000001", 13}, {"0.5", 0},
            {".5", 0}, {"1.5", 2}, {"12.", 12}, {"0123", 123}, {"-12.5", -12}, {"-13.5", -14}, {"+7", 7},
            {"2147483647", 2147483647}, {"2147483647.4", 2147483647}, {"-2147483648", -2147483647 - 1}};
    for (const auto& [typed, stored] : rounded)
        EXPECT_EQ(TideValues::height(QString::fromUtf8(typed)), stored) << typed;
    for (const char* refused :
        {".", "12.5.3", "1,5", "12a", "", "-", "2147483647.5", "2147483648", "99999999999999999999"})
        EXPECT_FALSE(TideValues::height(QString::fromUtf8(refused))) << refused;
}
