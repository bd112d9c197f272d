#pragma once

#include "analysis/CatchTally.h"

class QChart;

// The analysis charts, each made afresh from a tally; the caller owns the chart.
namespace kelpora::charts {

QChart* byMonth(const CatchTally& tally);
QChart* byYear(const CatchTally& tally);
QChart* byTide(const CatchTally& tally);
QChart* topPlaces(const std::vector<NamedCount>& ranked, const QString& title, const QString& axis);
// The species' largest size per outing over time, its personal best marked; null for none.
QChart* sizesOverTime(const SpeciesTally* species);

} // namespace kelpora::charts
