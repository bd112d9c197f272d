#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <ostream>

void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QSize& size, std::ostream* os);

namespace kelpora::testing {

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

// Detail everywhere, so any lost or misread block changes decoded pixels.
QImage texture(const QSize& size);

// JPEGs of the kinds other programs write, straight from libjpeg.
struct JpegKind {
    bool progressive = false;
    bool arithmetic = false;
    bool scanPerComponent = false; // sequential, one scan for each colour component
    int restartInterval = 0; // in MCUs
    bool fullChroma = false; // 4:4:4 instead of the default 2x2 chroma subsampling
};
QByteArray jpegOfKind(const QImage& image, const JpegKind& kind);
// The SOS header's spectral selection and successive approximation bytes set to zero.
QByteArray withZeroedScanParameters(QByteArray jpeg);
// The width and height of a progressive (SOF2) frame.
QByteArray withProgressiveSize(QByteArray jpeg, int width, int height);

// A BMP with 4- or 8-bit run-length data as given, and a palette of `colours`.
QByteArray runLengthBmp(const QSize& size, int bitsPerPixel, const QByteArray& data, const QList<QRgb>& colours);
// Run-length data as the usual encoders write it: runs, literal stretches in absolute
// mode, an end-of-line code after every row and an end-of-bitmap code at the end.
QByteArray runLengthData(const QImage& indexed, int bitsPerPixel);

// The peak resident memory of this process so far, in MB.
qint64 peakMemoryMb();

} // namespace kelpora::testing
