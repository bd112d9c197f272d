#include "core/SkyEvents.h"

#include <libnova/dynamical_time.h>
#include <libnova/lunar.h>
#include <libnova/nutation.h>
#include <libnova/solar.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kelpora::sky {

namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kJ2000 = 2451545.0;

// libnova truncates ELP 2000-82B at this amplitude: the longitude stays within 3.5" of
// the full theory (7 s of new-moon time) at a fiftieth of its cost. A new moon close to
// midnight, whose date hangs on seconds, is finished with the series cut far lower.
constexpr double kLunarTerms = 1e-6;
constexpr double kLunarTermsNearMidnight = 1e-8;

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

// libnova's solar longitude is geometric and referred to the equinox of J2000 (its
// "apparent" one adds nutation, but neither aberration nor precession). The annual
// aberration, 20.49" at one astronomical unit, is 8 minutes of the sun's motion, so it
// is added here.
double sunLongitudeJ2000(double jde)
{
    ln_helio_posn sun{};
    ln_get_solar_geom_coords(jde, &sun);
    return sun.L - 20.4898 / 3600.0 / sun.R;
}

// The sun's apparent longitude of date: precession in longitude since J2000 (IAU 2006,
// the terms above a millisecond of arc over these centuries) and nutation.
double apparentSunLongitude(double jde)
{
    const double T = (jde - kJ2000) / 36525.0;
    ln_nutation nutation{};
    ln_get_nutation(jde, &nutation);
    return sunLongitudeJ2000(jde) + (5028.796195 * T + 1.1054348 * T * T) / 3600.0 + nutation.longitude;
}

// The moon's longitude minus the sun's. libnova gives both in the same frame, and
// precession and nutation move both bodies alike, so neither is needed here.
double elongation(double jde, double lunarTerms)
{
    ln_lnlat_posn moon{};
    ln_get_lunar_ecl_coords(jde, &moon, lunarTerms);
    return wrap180(moon.lng - sunLongitudeJ2000(jde));
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

    // Within 5 seconds after one evaluation (checked against converged solutions over
    // 1900-2100), except where the date would hang on those seconds.
    const double jde = solve(guess, rate, 0.02, false, [](double t) { return elongation(t, kLunarTerms); });
    const double ut = jde - deltaT(jde) / 86400.0;
    const double fraction = jstDayFraction(ut);
    if (fraction > 10.0 / 1440.0 && fraction < 1.0 - 10.0 / 1440.0)
        return ut;
    const double fine = solve(jde, rate, 0.02, true, [](double t) { return elongation(t, kLunarTermsNearMidnight); });
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
