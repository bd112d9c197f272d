#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <ostream>

void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QSize& size, std::ostream* os);

namespace kelpora::test {

// Top-left red, top-right green, bottom-left blue, bottom-right white: placement,
// orientation and scaling all show in four pixel probes.
QImage quadrants(const QSize& size);
bool near(QRgb pixel, const QColor& expected, int tolerance = 24);
QByteArray bmpFile(const QImage& image);
QByteArray jpegFile(const QSize& size); // our encoder's output

// JPEG marker segments up to SOS: the offset of the 0xFF of `marker`, or -1.
qsizetype segmentAt(const QByteArray& jpeg, quint8 marker);
QByteArray segmentPayload(const QByteArray& jpeg, quint8 marker);
qsizetype scanDataStart(const QByteArray& jpeg);
QSize sofSize(const QByteArray& jpeg);
QByteArray withDeclaredSize(QByteArray jpeg, int width, int height);
// Still a valid JPEG, but not one our encoder writes, so keeping and re-encoding differ.
QByteArray withComment(const QByteArray& jpeg);
QByteArray withBmpSize(QByteArray bmp, qint32 width, qint32 height);

} // namespace kelpora::test
