#include "imaging/Picture.h"

#include "imaging/JpegCodec.h"

#include <QPainter>

#include <mutex>

namespace kelpora {

struct Picture::Body {
    Kind kind = Kind::None;
    QByteArray jpeg;
    QSize size;

    // For a bitmap this is set at construction and never changes; for a JPEG it stays
    // null until the first full decode.
    mutable std::mutex mutex;
    mutable QImage pixels;
};

Picture::Picture(std::shared_ptr<const Body> body) : m_body(std::move(body))
{ }

Picture Picture::fromJpeg(const QByteArray& bytes)
{
    auto body = std::make_shared<Body>();
    body->size = JpegCodec::readSize(bytes); // checks the limits too
    body->kind = Kind::Jpeg;
    body->jpeg = bytes;
    return Picture(std::move(body));
}

Picture Picture::fromBitmap(const QImage& image)
{
    if (image.isNull())
        return Picture();
    ensureManageableSize(image.width(), image.height());

    QImage rgb;
    if (image.hasAlphaChannel()) {
        // Converting straight to RGB888 would expose whatever colour the transparent
        // pixels happen to carry (often black); over white is what the user saw.
        rgb = QImage(image.size(), QImage::Format_RGB888);
        if (rgb.isNull())
            throw PictureError(QStringLiteral("画像を読み込むためのメモリが足りません。"));
        rgb.fill(Qt::white);
        QPainter painter(&rgb);
        painter.drawImage(0, 0, image);
    } else {
        rgb = image.convertToFormat(QImage::Format_RGB888);
        if (rgb.isNull())
            throw PictureError(QStringLiteral("画像を読み込むためのメモリが足りません。"));
    }

    auto body = std::make_shared<Body>();
    body->kind = Kind::Bitmap;
    body->size = rgb.size();
    body->pixels = rgb;
    return Picture(std::move(body));
}

void Picture::ensureManageableSize(qint64 width, qint64 height)
{
    if (width > MaxSide || height > MaxSide || width * height > MaxPixels) {
        throw PictureError(QStringLiteral("画像が大きすぎます（%1 × %2 ピクセル）。扱えるのは一辺 %3 ピクセル、"
                                          "合計 %4 万画素までです。")
                               .arg(width)
                               .arg(height)
                               .arg(MaxSide)
                               .arg(MaxPixels / 10000));
    }
}

Picture::Kind Picture::kind() const noexcept
{
    return m_body ? m_body->kind : Kind::None;
}

bool Picture::isNull() const noexcept
{
    return kind() == Kind::None;
}

QSize Picture::size() const noexcept
{
    return m_body ? m_body->size : QSize();
}

QByteArray Picture::jpegBytes() const
{
    return kind() == Kind::Jpeg ? m_body->jpeg : QByteArray();
}

QImage Picture::pixels() const
{
    if (!m_body)
        return QImage();
    std::lock_guard lock(m_body->mutex);
    // Held while decoding: a second thread asking for the same picture waits for this
    // decode instead of running its own.
    if (m_body->pixels.isNull() && m_body->kind == Kind::Jpeg)
        m_body->pixels = JpegCodec::decode(m_body->jpeg);
    return m_body->pixels;
}

QImage Picture::scaledTo(const QSize& target) const
{
    if (!m_body || target.isEmpty())
        return QImage();

    QImage source;
    {
        std::lock_guard lock(m_body->mutex);
        source = m_body->pixels;
    }
    if (source.isNull() && m_body->kind == Kind::Jpeg) {
        if (target.width() >= m_body->size.width() && target.height() >= m_body->size.height())
            source = pixels();
        else
            source = JpegCodec::decodeCovering(m_body->jpeg, target);
    }
    if (source.size() == target)
        return source;
    return source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace kelpora
