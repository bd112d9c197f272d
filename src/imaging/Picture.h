#pragma once

#include "core/Error.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <memory>

namespace kelpora {

// Anything that goes wrong while reading, decoding or encoding a picture. Kept apart
// from DbError so a window can tell "this picture is bad" from "the database failed".
class PictureError : public Error {
public:
    using Error::Error;
};

// What an image area holds: nothing, a JPEG that keeps the exact bytes it came from
// (so storing it again writes the same file), or 24-bit RGB pixels.
//
// Copies share one immutable body, so handing a picture from the database to an area,
// and from one area to another, copies no pixels. The only thing that changes after
// construction is the decoded-pixel cache of a JPEG, which is guarded, so copies may be
// used from several threads at once.
class Picture {
public:
    enum class Kind { None, Jpeg, Bitmap };

    // Pictures with a side or an area beyond these are refused before anything large is
    // allocated: a forged header must not be able to make us ask for gigabytes.
    static constexpr qint64 MaxSide = 30000;
    static constexpr qint64 MaxPixels = 200'000'000;

    Picture() = default;

    // Reads the JPEG header at once (size, and whether it is a JPEG at all); the pixels
    // are decoded only when first asked for. Throws PictureError.
    static Picture fromJpeg(const QByteArray& bytes);
    // Any QImage becomes 24-bit RGB; transparent parts are laid over white, since the
    // stored form has no alpha. A null image gives no picture. Throws PictureError when
    // the image is too large to be read back once stored.
    static Picture fromBitmap(const QImage& image);

    // Throws PictureError with a Japanese message when width x height is beyond the limits.
    static void ensureManageableSize(qint64 width, qint64 height);

    Kind kind() const noexcept;
    bool isNull() const noexcept;
    QSize size() const noexcept;
    // The bytes a JPEG picture was made from; empty for the other kinds.
    QByteArray jpegBytes() const;

    // Full-size pixels, Format_RGB888. The first call on a JPEG decodes it and keeps the
    // result for every copy of this picture. A null image for no picture. Throws
    // PictureError when the JPEG data is damaged.
    QImage pixels() const;

    // The picture scaled to exactly `target` (the caller chooses the aspect). A JPEG that
    // is not decoded yet is decoded at the smallest DCT scale still covering the target,
    // which is far cheaper than a full decode for thumbnails; that result is not cached
    // here, the caller keeps it. Throws PictureError.
    QImage scaledTo(const QSize& target) const;

private:
    struct Body;
    explicit Picture(std::shared_ptr<const Body> body);

    std::shared_ptr<const Body> m_body;
};

} // namespace kelpora
