#include "TestImages.h"

#include "pictures/JpegCodec.h"

#include <QBuffer>
#include <QPainter>

#include <cstdlib>

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
void PrintTo(const QSize& size, std::ostream* os)
{
    *os << size.width() << 'x' << size.height();
}

namespace kelpora::test {

QImage quadrants(const QSize& size)
{
    QImage image(size, QImage::Format_RGB888);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    QPainter painter(&image);
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, size.width() - w, h, Qt::green);
    painter.fillRect(0, h, w, size.height() - h, Qt::blue);
    painter.fillRect(w, h, size.width() - w, size.height() - h, Qt::white);
    return image;
}

bool near(QRgb pixel, const QColor& expected, int tolerance)
{
    return std::abs(qRed(pixel) - expected.red()) <= tolerance
        && std::abs(qGreen(pixel) - expected.green()) <= tolerance
        && std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

QByteArray bmpFile(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QByteArray jpegFile(const QSize& size)
{
    return JpegCodec::encode(quadrants(size));
}

static int be16(const QByteArray& bytes, qsizetype at)
{
    return quint8(bytes.at(at)) << 8 | quint8(bytes.at(at + 1));
}

qsizetype segmentAt(const QByteArray& jpeg, quint8 marker)
{
    for (qsizetype pos = 2; pos + 4 <= jpeg.size() && quint8(jpeg.at(pos)) == 0xFF; pos += 2 + be16(jpeg, pos + 2)) {
        if (quint8(jpeg.at(pos + 1)) == marker)
            return pos;
        if (quint8(jpeg.at(pos + 1)) == 0xDA)
            break;
    }
    return -1;
}

QByteArray segmentPayload(const QByteArray& jpeg, quint8 marker)
{
    const qsizetype at = segmentAt(jpeg, marker);
    return at < 0 ? QByteArray() : jpeg.mid(at + 4, be16(jpeg, at + 2) - 2);
}

qsizetype scanDataStart(const QByteArray& jpeg)
{
    const qsizetype sos = segmentAt(jpeg, 0xDA);
    return sos + 2 + be16(jpeg, sos + 2);
}

QSize sofSize(const QByteArray& jpeg)
{
    const QByteArray sof = segmentPayload(jpeg, 0xC0);
    return sof.size() < 5 ? QSize() : QSize(be16(sof, 3), be16(sof, 1));
}

QByteArray withDeclaredSize(QByteArray jpeg, int width, int height)
{
    const qsizetype at = segmentAt(jpeg, 0xC0) + 5; // marker, length, precision
    jpeg[at] = char(height >> 8);
    jpeg[at + 1] = char(height);
    jpeg[at + 2] = char(width >> 8);
    jpeg[at + 3] = char(width);
    return jpeg;
}

QByteArray withComment(const QByteArray& jpeg)
{
    const QByteArray comment("from a camera");
    QByteArray segment("\xFF\xFE");
    segment.append(char(0)).append(char(comment.size() + 2)).append(comment);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray withBmpSize(QByteArray bmp, qint32 width, qint32 height)
{
    for (int i = 0; i < 4; ++i) {
        bmp[18 + i] = char(quint32(width) >> (8 * i));
        bmp[22 + i] = char(quint32(height) >> (8 * i));
    }
    return bmp;
}

} // namespace kelpora::test
