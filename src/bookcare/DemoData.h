#pragma once

#include <QByteArray>
#include <QDate>
#include <QImage>
#include <QSize>
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

// --- the picture makers, also used by the bench ---

// A chart of the day's tide at a reference port, as a tide table program prints it.
QImage drawTideChart(const QDate& day, const QString& port, QSize size = QSize(640, 480));

// A simple chart of a stretch of coast with a marker on the fishing spot.
QImage drawMap(const QString& place, const QString& point, QSize size, quint64 seed);

// A snapshot of a catch. noise is the strength of the per-pixel grain (0 none, about 4
// a phone camera in daylight); with it the JPEG size of big photos can be dialled in.
QImage drawPhoto(QSize size, quint64 seed, double noise = 3.0);

// Adds independent per-pixel grain (the noise of drawPhoto) to an RGB32 image.
void addGrain(QImage& image, quint64 seed, double strength);

// A complete BMP file, the form older books hold their tide charts and maps in.
QByteArray bmpFile(const QImage& image);

} // namespace kelpora::bookcare
