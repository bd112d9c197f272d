#pragma once

#include "support/TestImages.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QString>

#include <array>

class QWidget;
class TDM1;

namespace kelpora::testing {

// NEW_1_S, NEW_1_E, ... NEW_6_E in column order.
using Marks = std::array<int, 12>;

// A picture with a curve on it, so its encodings differ from one another.
QImage tideChart(int width, int height);
QByteArray jpegFile(const QImage& image);

// A record with a chart (NULL for no bytes) and the twelve mark values.
void insertChartRecord(TDM1& dm, int code, const QByteArray& chart, const Marks& marks);

// What the file holds, read on a connection of its own.
struct StoredChart {
    QByteArray chart; // empty for NULL
    Marks marks{};
};
StoredChart readStored(const QString& databasePath, int code);
void runStatement(const QString& databasePath, const QString& sql);

// Mouse input through the window system: hit-testing, and the pointer kept on the
// pressed widget until the last button is up.
void pressAt(QWidget* window, Qt::MouseButton button, QPoint pos, Qt::KeyboardModifiers modifiers = {});
void moveTo(QWidget* window, QPoint pos, Qt::KeyboardModifiers modifiers = {});
void releaseAt(QWidget* window, Qt::MouseButton button, QPoint pos, Qt::KeyboardModifiers modifiers = {});

} // namespace kelpora::testing
