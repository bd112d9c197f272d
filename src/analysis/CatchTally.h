#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace kelpora {

class SqlQuery;

// The tide of a day as an almanac computes it; empty when it cannot tell.
using ComputedTide = std::function<QString(const QDate&)>;

struct TallyOptions {
    // Asked for the records whose 潮 was left empty.
    ComputedTide computedTide;
    // When set, only the slots holding this species count: the charts of a species
    // search show that species alone, not what was caught beside it.
    QString onlySpecies;
};

// A species' largest size and the record it was measured on.
struct PersonalBest {
    int size = 0;
    int row = -1; // ordinal in the result set
    int codeNo = 0;
    QString day; // as stored
    QString place;
    QString point;
};

// The largest size of a species measured on one outing.
struct SizeOnDay {
    QDate day;
    int size = 0;
    int row = -1;
};

struct SpeciesTally {
    QString name;
    int catches = 0;
    int outings = 0;
    std::array<int, 12> byMonth{}; // January first
    std::optional<PersonalBest> best;
    std::vector<SizeOnDay> sizes; // in date order
};

struct YearTally {
    int year = 0;
    int outings = 0;
    int catches = 0;
};

struct TideTally {
    QString name; // "大潮", or "大潮(計算)" when the almanac named it
    bool computed = false;
    int outings = 0;
    int catches = 0;
    double perOuting() const { return outings ? double(catches) / outings : 0.0; }
};

struct NamedCount {
    QString name;
    int catches = 0;
    int outings = 0;
};

// Catches per month, the most caught species each in a band of its own and the rest
// together as "その他".
struct MonthStack {
    QStringList bands;
    std::vector<std::array<int, 12>> counts; // one per band
};

// What the analysis window shows, counted from a result set's rows. A catch is a slot's
// count (one when the count is empty), an outing is a record; a species is its name as
// stored with trailing blanks trimmed, whichever slot holds it; NULL and empty text both
// mean "not given".
struct CatchTally {
    int outings = 0;
    int catches = 0;
    int undated = 0; // outings whose date could not be read: left out of the time charts
    std::vector<SpeciesTally> species; // most caught first
    std::vector<YearTally> years; // in order
    std::vector<TideTally> tides; // the five tides, others stored, computed ones, 不明
    std::vector<NamedCount> places; // most caught first
    std::vector<NamedCount> points;

    MonthStack monthStack(int topSpecies) const;
    const SpeciesTally* find(const QString& species) const;
};

// Reads the buffered rows of `rows` (a FISH_DATA result set) without moving it and
// without reading any picture.
CatchTally tallyCatches(const SqlQuery& rows, const TallyOptions& options = {});

// The tide groups every analysis shows, in their order, and the one for an empty 潮.
QStringList tideNames();
QString unknownTide();
QString computedTideName(const QString& tide);

} // namespace kelpora
