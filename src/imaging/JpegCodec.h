#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace kelpora {

// libjpeg, called directly so the stored files are exactly what we ask for: baseline,
// quality 90, the library's defaults otherwise. Every failure, including data that is
// truncated or damaged (which libjpeg would only warn about and paint grey), is thrown as
// PictureError carrying libjpeg's own wording. A file that decodes to every pixel it was
// written with is accepted even when libjpeg grumbles about it: one whose end marker is
// missing, or whose sequential scan header carries zeroed progression bytes.
class JpegCodec {
public:
    JpegCodec() = delete;

    // What one decode may let libjpeg allocate. A sequential picture needs only a few
    // rows' worth, whatever its size; one in several scans (progressive, above all) needs
    // every coefficient of the whole picture at once, even for a thumbnail, and beyond
    // this fails with a Japanese message instead of taking the machine's memory. Our
    // own output image is not counted: its size is bounded by Picture::MaxPixels.
    static constexpr qint64 MemoryCeiling = qint64(256) << 20;
    // libjpeg's working buffers beside the coefficients, with room to spare.
    static constexpr qint64 WorkingReserve = qint64(8) << 20;

    // Any non-null image; it is taken as 24-bit RGB.
    static QByteArray encode(const QImage& image);

    // Width and height from the header, after checking them against Picture's limits
    // and the coefficient buffers against MemoryCeiling.
    static QSize readSize(const QByteArray& jpeg);

    // Full size, Format_RGB888.
    static QImage decode(const QByteArray& jpeg);

    // Decoded at the smallest scale n/8 (n = 1..8) whose result is still at least
    // `cover` in both directions, so it can be scaled down smoothly without losing
    // detail; full size when even 8/8 does not cover it. Format_RGB888.
    static QImage decodeCovering(const QByteArray& jpeg, const QSize& cover);
};

} // namespace kelpora
