#pragma once

#include "bookcare/DemoImages.h"
#include "bookcare/DemoTideChart.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>

namespace kelpora {
class Connection;
} // namespace kelpora

// A book of made-up but believable outings, for trying the windows on something that
// looks like a real angler's years of records and for measuring them on a big one.
// Everything is drawn from one fixed seed, so two runs give the same book.
namespace kelpora::bookcare {

// The stored bytes of one record's pictures; an empty entry is stored as NULL.
struct DemoPictures {
    QByteArray tideChart;
    QByteArray map;
    std::array<QByteArray, 4> photos;

    bool isEmpty() const;
};

struct DemoOptions {
    int records = 0;
    // Pictures go on every k-th record; 0 lets the size of the book decide, so a large
    // book stays a manageable file.
    int picturesEvery = 0;
    quint64 seed = 0x4b454c504f5241ull;
    // When set, it alone decides each record's pictures (by record number), in place of
    // the generated ones; the bench uses it to put camera-sized photos on a few records.
    std::function<DemoPictures(int code)> pictures;
    // Called now and then with the number of records written so far.
    std::function<void(int written)> progress;
};

// The pictures-every rule that DemoOptions::picturesEvery = 0 stands for.
int defaultPicturesEvery(int records);

// Writes records 1..options.records into the (empty) FISH_DATA of db with the entry
// window's own insert, committing retaining as it goes. Throws kelpora::Error.
void writeDemoRecords(Connection& book, const DemoOptions& options);

// A new file at path (refused, untouched, when one exists) filled with writeDemoRecords.
// Needs a QGuiApplication: the pictures are drawn with QPainter.
void createDemoDatabase(const QString& path, const DemoOptions& options);

} // namespace kelpora::bookcare
