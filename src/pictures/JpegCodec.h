#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace kelpora {

// libjpeg, called directly so the stored files are exactly what we ask for: baseline,
// quality 90, the library's defaults otherwise. Every failure, including data that is
// merely truncated or damaged (which libjpeg would only warn about and paint grey), is
// thrown as PictureError carrying libjpeg's own wording.
class JpegCodec {
public:
    JpegCodec() = delete;

    // Any non-null image; it is taken as 24-bit RGB.
    static QByteArray encode(const QImage& image);

    // Width and height from the header, after checking them against Picture's limits.
    static QSize readSize(const QByteArray& jpeg);

    // Full size, Format_RGB888.
    static QImage decode(const QByteArray& jpeg);

    // Decoded at the smallest scale n/8 (n = 1..8) whose result is still at least
    // `cover` in both directions, so it can be scaled down smoothly without losing
    // detail; full size when even 8/8 does not cover it. Format_RGB888.
    static QImage decodeCovering(const QByteArray& jpeg, const QSize& cover);
};

} // namespace kelpora
