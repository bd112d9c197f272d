#pragma once

#include <QString>

#include <span>

// The world the outings happen in: the Boso and Miura coasts and their tide stations,
// the fish caught there, the weather, the tackle and the notes an angler writes.
namespace kelpora::bookcare::demo {

struct Port {
    const char* name;
    double meanLevel; // cm above chart datum
    double m2; // principal lunar half-day tide, cm
    double s2; // principal solar half-day tide, cm
    double diurnal; // the day-long tide that makes the two highs of a day differ, cm
    int intervalMinutes; // from the moon's transit to high water
};

struct Place {
    const char* name;
    int port; // index into kPorts
    const char* points[4];
};

enum class Style { Sabiki, Fukase, Lure, Dotsuki, Nage };

struct Species {
    const char* name;
    int smallest; // cm
    int largest;
    int mostCaught;
    Style style;
};

std::span<const Port> ports();
std::span<const Place> places();
std::span<const Species> species();
std::span<const char* const> weathers();
// The rod first, then the rest of the tackle for that style.
std::span<const char* const> tackleFor(Style style);
std::span<const char* const> noteLines();

// The port of that name; the first one for a name it does not know.
const Port& portNamed(const QString& name);

} // namespace kelpora::bookcare::demo
