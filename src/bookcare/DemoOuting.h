#pragma once

#include "bookcare/DemoData.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// One outing, as the entry window would have stored it: every value drawn from the
// record's own number and the book's seed, so each record is the same in every run.
namespace kelpora::bookcare::demo {

class PictureKit;

struct Catch {
    std::optional<QString> name; // nullopt: NULL
    std::optional<int> largest;
    std::optional<int> smallest;
    std::optional<int> count;
};

struct Marks {
    int values[12] = {};
};

struct Outing {
    int code = 0;
    QDate day;
    QString weather;
    QString point;
    QString place;
    QString tideType;
    QString port;
    QString lunar;
    std::optional<QString> highs[2];
    std::optional<int> highHeights[2];
    std::optional<QString> lows[2];
    std::optional<int> lowHeights[2];
    Catch fish[3];
    QStringList tackle;
    QStringList notes;
    Marks marks;
    DemoPictures pictures;
};

Outing makeOuting(int code, const DemoOptions& options, int picturesEvery, PictureKit& kit);

} // namespace kelpora::bookcare::demo
