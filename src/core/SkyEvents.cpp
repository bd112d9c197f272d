#include "core/SkyEvents.h"

#include <libnova/dynamical_time.h>
#include <libnova/lunar.h>
#include <libnova/nutation.h>
#include <libnova/solar.h>
#include <libnova/vsop87.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kelpora::sky {

namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kJ2000 = 2451545.0;

// One evaluation of a new moon takes libnova's lunar series cut at this amplitude and an
// abridged sun: that puts it within 26 s of the converged solution from the finest
// series and the full solar theory (checked over 1900-2100), at half the cost of one
// with the series cut at 1e-6 and the full sun. Coarser cuts save little more (the
// series costs much the same however cut) but err twice as much at 3e-5. A new moon
// that lands within kNearMidnight (four times that error) of midnight JST, where its
// date could hang on those seconds, is solved again with the series cut far lower and
// the full solar theory, to a second.
constexpr double kLunarTerms = 1e-5;
constexpr double kLunarTermsNearMidnight = 1e-8;
constexpr double kNearMidnight = 2.0 / 1440.0;

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

double wrap180(double degrees)
{
    degrees = std::fmod(degrees, 360.0);
    if (degrees > 180.0)
        degrees -= 360.0;
    else if (degrees <= -180.0)
        degrees += 360.0;
    return degrees;
}

// The general precession in longitude since J2000 (IAU 2006, the terms above a
// millisecond of arc over these centuries), in degrees.
double precessionSinceJ2000(double jde)
{
    const double T = (jde - kJ2000) / 36525.0;
    return (5028.796195 * T + 1.1054348 * T * T) / 3600.0;
}

// The annual aberration at one astronomical unit: 20.49", 8 minutes of the sun's motion.
constexpr double kAberration = 20.4898 / 3600.0;

// libnova's solar longitude is geometric and referred to the equinox of J2000 (its
// "apparent" one adds nutation, but neither aberration nor precession), so aberration
// is added here.
double sunLongitudeJ2000(double jde)
{
    ln_helio_posn sun{};
    ln_get_solar_geom_coords(jde, &sun);
    return sun.L - kAberration / sun.R;
}

// The sun's apparent longitude of date.
double apparentSunLongitude(double jde)
{
    ln_nutation nutation{};
    ln_get_nutation(jde, &nutation);
    return sunLongitudeJ2000(jde) + precessionSinceJ2000(jde) + nutation.longitude;
}

// The largest terms of VSOP87 for the earth's longitude in the ecliptic of date
// (Bretagnon and Francou, 1988; those of Meeus's table, Astronomical Algorithms,
// app. III, down to 8e-7 rad), in 1e-8 rad, for time in Julian millennia from J2000.
// Less the precession since J2000, they stay within 2.4" of libnova's full series over
// 1700-2300 (checked every 13 days), which is 5 s of new-moon time, at a fiftieth of
// its cost.
constexpr ln_vsop kEarthL0[] = {{175347046, 0, 0}, {3341656, 4.6692568, 6283.0758500}, {34894, 4.6261, 12566.1517},
    {3497, 2.7441, 5753.3849}, {3418, 2.8289, 3.5231}, {3136, 3.6277, 77713.7715}, {2676, 4.4181, 7860.4194},
    {2343, 6.1352, 3930.2097}, {1324, 0.7425, 11506.7698}, {1273, 2.0371, 529.6910}, {1199, 1.1096, 1577.3435},
    {990, 5.233, 5884.927}, {902, 2.045, 26.298}, {857, 3.508, 398.149}, {780, 1.179, 5223.694}, {753, 2.533, 5507.553},
    {505, 4.583, 18849.228}, {492, 4.205, 775.523}, {357, 2.920, 0.067}, {317, 5.849, 11790.629}, {284, 1.899, 796.298},
    {271, 0.315, 10977.079}, {243, 0.345, 5486.778}, {206, 4.806, 2544.314}, {205, 1.869, 5573.143},
    {202, 2.458, 6069.777}, {156, 0.833, 213.299}, {132, 3.411, 2942.463}, {126, 1.083, 20.775}, {115, 0.645, 0.980},
    {103, 0.636, 4694.003}, {102, 0.976, 15720.839}, {102, 4.267, 7.114}, {99, 6.21, 2146.17}, {98, 0.68, 155.42},
    {86, 5.98, 161000.69}, {85, 1.30, 6275.96}, {85, 3.67, 71430.70}, {80, 1.81, 17260.15}};
constexpr ln_vsop kEarthL1[]
    = {{628331966747.0, 0, 0}, {206059, 2.678235, 6283.07585}, {4303, 2.6351, 12566.1517}, {425, 1.590, 3.523},
        {119, 5.796, 26.298}, {109, 2.966, 1577.344}, {93, 2.59, 18849.23}, {72, 1.14, 529.69}, {68, 1.87, 398.15}};
constexpr ln_vsop kEarthL2[] = {{52919, 0, 0}, {8720, 1.0721, 6283.0758}, {309, 0.867, 12566.152}, {27, 0.05, 3.52},
    {16, 5.19, 26.30}, {16, 3.68, 155.42}};
constexpr ln_vsop kEarthL3[] = {{289, 5.844, 6283.076}, {35, 0, 0}, {17, 5.49, 12566.15}};
constexpr ln_vsop kEarthL4[] = {{114, 3.142, 0}};

template <size_t N> double series(const ln_vsop (&terms)[N], double tau)
{
    return ln_calc_series(terms, int(N), tau);
}

// The sun's longitude as sunLongitudeJ2000() gives it, from the abridged series. The
// sun's distance changes aberration by a third of a second of arc at most, so it is
// taken at one unit.
double abridgedSunLongitudeJ2000(double jde)
{
    const double tau = (jde - kJ2000) / 365250.0;
    const double earth = series(kEarthL0, tau)
        + tau
            * (series(kEarthL1, tau)
                + tau * (series(kEarthL2, tau) + tau * (series(kEarthL3, tau) + tau * series(kEarthL4, tau))));
    return earth * 1e-8 * 180.0 / std::numbers::pi + 180.0 - precessionSinceJ2000(jde) - kAberration;
}

// The moon's longitude minus the sun's. libnova gives both in the same frame, and
// precession and nutation move both bodies alike, so neither is needed here.
double elongation(double jde, double lunarTerms, double sunLongitude)
{
    ln_lnlat_posn moon{};
    ln_get_lunar_ecl_coords(jde, &moon, lunarTerms);
    return wrap180(moon.lng - sunLongitude);
}

double firstElongation(double jde)
{
    return elongation(jde, kLunarTerms, abridgedSunLongitudeJ2000(jde));
}

double fineElongation(double jde)
{
    return elongation(jde, kLunarTermsNearMidnight, sunLongitudeJ2000(jde));
}

// The root of f (degrees, zero at the event) near `guess`. The first step uses the rate
// of a simple model; a model that is off by the fraction `rateError` leaves at most that
// fraction of the step, and when that is under kGoodEnough the one evaluation of libnova
// is enough (the guesses below always get there). Otherwise, or when `exact`, secants
// follow until a step is below a second.
constexpr double kGoodEnough = 10.0 * kSecond;

template <class F> double solve(double guess, double rate, double rateError, bool exact, F f)
{
    double t = guess;
    double before = 0.0;
    double valueBefore = 0.0;
    for (int i = 0; i < 12; ++i) {
        const double value = f(t);
        const double slope = i == 0 || t == before ? rate : (value - valueBefore) / (t - before);
        before = t;
        valueBefore = value;
        t -= value / slope;
        const double step = std::abs(t - before);
        if (step < kSecond || (i == 0 && !exact && step * rateError < kGoodEnough))
            break;
    }
    return t;
}

double jstDayFraction(double jdUt)
{
    const double shifted = jdUt + 0.5 + 9.0 / 24.0;
    return shifted - std::floor(shifted);
}

// Delta T as observed (IERS), every five years from 1955 to 2025; before that, libnova's
// own table.
constexpr int kFirstObservedYear = 1955;
constexpr std::array kObservedDeltaT{
    31.1, 33.2, 35.7, 40.2, 45.5, 50.5, 54.3, 56.9, 60.8, 63.8, 64.7, 66.1, 67.6, 69.4, 69.2};
constexpr int kLastObservedYear = kFirstObservedYear + 5 * (int(kObservedDeltaT.size()) - 1);

// Beyond the observations, the growth of Espenak and Meeus's expressions (NASA, 2006),
// joined to the last observed value: the future rotation of the earth is a guess, worth a
// few seconds a decade.
double nearFutureGrowth(double year)
{
    const double t = year - 2000.0;
    return 0.32217 * t + 0.005589 * t * t;
}

double farFutureGrowth(double year)
{
    const double u = (year - 1820.0) / 100.0;
    return 32.0 * u * u;
}

} // namespace

double deltaT(double jdUt)
{
    const double year = 2000.0 + (jdUt - kJ2000) / 365.25;
    if (year < kFirstObservedYear)
        return ln_get_dynamical_time_diff(jdUt);
    if (year <= kLastObservedYear) {
        const double at = (year - kFirstObservedYear) / 5.0;
        const auto i = std::min(size_t(at), kObservedDeltaT.size() - 2);
        const double part = at - double(i);
        return kObservedDeltaT[i] + part * (kObservedDeltaT[i + 1] - kObservedDeltaT[i]);
    }
    const double last = kObservedDeltaT.back();
    const double at2050 = last + nearFutureGrowth(2050.0) - nearFutureGrowth(kLastObservedYear);
    if (year <= 2050.0)
        return last + nearFutureGrowth(year) - nearFutureGrowth(kLastObservedYear);
    return at2050 + farFutureGrowth(year) - farFutureGrowth(2050.0);
}

double newMoon(int k)
{
    // The mean new moon and its largest inequalities (Meeus, Astronomical Algorithms,
    // ch. 49) put the guess within minutes; libnova's longitudes do the rest.
    const double T = k / 1236.85;
    const double E = 1.0 - 0.002516 * T;
    const double M = radians(2.5534 + 29.10535670 * k);
    const double Mp = radians(201.5643 + 385.81693528 * k);
    const double F = radians(160.7108 + 390.67050284 * k);
    const double guess = 2451550.09766 + 29.530588861 * k + 0.00015437 * T * T - 0.40720 * std::sin(Mp)
        + 0.17241 * E * std::sin(M) + 0.01608 * std::sin(2 * Mp) + 0.01039 * std::sin(2 * F)
        + 0.00739 * E * std::sin(Mp - M) - 0.00514 * E * std::sin(Mp + M) + 0.00208 * E * E * std::sin(2 * M);
    // The elongation's rate at a new moon: mean motion, variation, the moon's anomaly.
    const double rate = 12.4708 + 1.6856 * std::cos(Mp) + 0.0974 * std::cos(2 * Mp) - 0.033 * std::cos(M);

    const double jde = solve(guess, rate, 0.02, false, [](double t) { return firstElongation(t); });
    const double ut = jde - deltaT(jde) / 86400.0;
    const double fraction = jstDayFraction(ut);
    if (fraction > kNearMidnight && fraction < 1.0 - kNearMidnight)
        return ut;
    const double fine = solve(jde, rate, 0.02, true, [](double t) { return fineElongation(t); });
    return fine - deltaT(fine) / 86400.0;
}

double principalTerm(int n)
{
    const double target = std::fmod(30.0 * n, 360.0);
    // The mean sun with its equation of centre (Meeus, ch. 25) for the guess.
    double t = 2451623.81 + n * (365.2422 / 12.0);
    double rate = 0.9856;
    for (int i = 0; i < 3; ++i) {
        const double T = (t - kJ2000) / 36525.0;
        const double M = radians(357.52911 + 35999.05029 * T);
        const double longitude = 280.46646 + 36000.76983 * T + 1.914602 * std::sin(M) + 0.019993 * std::sin(2 * M);
        rate = 0.985647 + 0.032995 * std::cos(M) + 0.000689 * std::cos(2 * M);
        t -= wrap180(longitude - target) / rate;
    }
    const double jde
        = solve(t, rate, 0.001, false, [target](double at) { return wrap180(apparentSunLongitude(at) - target); });
    return jde - deltaT(jde) / 86400.0;
}

} // namespace kelpora::sky
