#include "bookcare/DemoTide.h"

#include "bookcare/DemoBasics.h"
#include "bookcare/DemoWorld.h"
#include "core/Almanac.h"

namespace kelpora::bookcare::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSynodicMonth = 29.530588853; // days
constexpr double kTropicalMonth = 27.321582; // days
constexpr double kNewMoonHours = 147.233; // 2000-01-07 03:14 JST, hours after 2000-01-01 00:00 JST

double moonAgeDays(double hours)
{
    double age = std::fmod((hours - kNewMoonHours) / 24.0, kSynodicMonth);
    return age < 0 ? age + kSynodicMonth : age;
}

} // namespace

double hoursSinceEpoch(const QDate& day, double minute)
{
    return double(QDate(2000, 1, 1).daysTo(day)) * 24.0 + minute / 60.0;
}

double tideLevel(const Port& port, double hours)
{
    const double solar = 2 * kPi * (std::fmod(hours, 24.0) - 12.0) / 24.0;
    const double lunar = solar - 2 * kPi * moonAgeDays(hours) / kSynodicMonth;
    const double g = 2 * 2 * kPi * (port.intervalMinutes / 60.0) / 24.84;
    // Springs follow new and full moon by about a day and a half.
    const double springLag = 4 * kPi * 1.5 / kSynodicMonth;
    const double declination = std::sin(2 * kPi * (hours / 24.0) / kTropicalMonth + 0.3);
    return port.meanLevel + port.m2 * std::cos(2 * lunar - g) + port.s2 * std::cos(2 * solar - g - springLag)
        + port.diurnal * declination * std::cos(lunar - g / 2 - 0.8);
}

std::vector<Extreme> tideExtremes(const Port& port, const QDate& day)
{
    constexpr int step = 5;
    constexpr int from = -180;
    constexpr int to = 1440 + 180;
    std::vector<double> v;
    for (int m = from; m <= to; m += step)
        v.push_back(tideLevel(port, hoursSinceEpoch(day, m)));
    std::vector<Extreme> out;
    for (size_t i = 1; i + 1 < v.size(); ++i) {
        const bool high = v[i] > v[i - 1] && v[i] >= v[i + 1];
        const bool low = v[i] < v[i - 1] && v[i] <= v[i + 1];
        if (!high && !low)
            continue;
        const double curvature = v[i - 1] - 2 * v[i] + v[i + 1];
        const double offset = curvature != 0 ? 0.5 * (v[i - 1] - v[i + 1]) / curvature : 0.0;
        const double minute = from + (double(i) + offset) * step;
        const int rounded = int(std::lround(minute));
        if (rounded < 0 || rounded >= 1440)
            continue;
        out.push_back({rounded, int(std::lround(tideLevel(port, hoursSinceEpoch(day, minute)))), high});
    }
    return out;
}

QString hhmm(int minute)
{
    return QStringLiteral("%1:%2").arg(minute / 60, 2, 10, QLatin1Char('0')).arg(minute % 60, 2, 10, QLatin1Char('0'));
}

TideDay tideDayOf(const QDate& day)
{
    const AlmanacDay almanac = almanacFor(day);
    return {almanac.tideName, lunarDateText(almanac.lunar), almanac.moonAge};
}

} // namespace kelpora::bookcare::demo
