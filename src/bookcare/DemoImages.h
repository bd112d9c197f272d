#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

// The demo's maps and photos, also used by the bench.
namespace kelpora::bookcare {

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
