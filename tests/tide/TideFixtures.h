#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QString>

#include <array>
#include <ostream>

class QWidget;
class TDM1;

void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QSize& size, std::ostream* os);
void PrintTo(const QRect& rect, std::ostream* os);
void PrintTo(const QPoint& point, std::ostream* os);

namespace kelpora::testing {

// NEW_1_S, NEW_1_E, ... NEW_6_E in column order.
using Marks = std::array<int, 12>;

// Something that looks like a day's tide curve, different for every seed.
QImage tideChart(int width, int height, int seed = 0);
QByteArray bmpFile(const QImage& image);
QByteArray jpegFile(const QImage& image);

// A record with a chart (NULL for empty bytes) and the twelve mark values.
void insertChartRecord(TDM1& dm, int code, const QByteArray& chart, const Marks& marks);

// What the file holds for one record, read on a connection of its own.
struct StoredChart {
    bool found = false;
    QByteArray chart; // empty for NULL
    Marks marks{};
    std::array<int, 6> reserved{}; // TIME1_START .. TIME3_END
};
StoredChart readStored(const QString& databasePath, int code);

// Runs one statement on a connection of its own and commits it.
void runStatement(const QString& databasePath, const QString& sql);

// Mouse input through the window, as the window system delivers it: hit-testing, and
// the pointer kept on the pressed widget until the last button is up.
void pressAt(QWidget* window, Qt::MouseButton button, QPoint pos, Qt::KeyboardModifiers modifiers = {});
void moveTo(QWidget* window, QPoint pos, Qt::KeyboardModifiers modifiers = {});
void releaseAt(QWidget* window, Qt::MouseButton button, QPoint pos, Qt::KeyboardModifiers modifiers = {});

} // namespace kelpora::testing
