#pragma once

// The instants the lunisolar calendar is built from, as Julian days in Universal Time,
// from libnova's theories (VSOP87 for the sun, ELP 2000-82B for the moon). Not thread
// safe: libnova keeps state of its own between calls, so callers hold one lock.
namespace kelpora::sky {

// The new moon of lunation `k`, counted from the one of 2000-01-06 (k = 0): the instant
// the moon's apparent ecliptic longitude equals the sun's, within half a minute of the
// theories, or about a second where it falls within minutes of midnight JST (a few
// seconds more from the uncertainty of Delta T).
double newMoon(int k);

// The instant the sun's apparent longitude reaches 30 * n degrees (mod 360); n = 0 is the
// March equinox of 2000, n = 9 the December solstice of 2000. The principal terms (中気)
// are every n.
double principalTerm(int n);

// Terrestrial minus Universal Time in seconds at `jdUt`.
double deltaT(double jdUt);

} // namespace kelpora::sky
