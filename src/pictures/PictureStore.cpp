#include "pictures/PictureStore.h"

#include "core/Seams.h"
#include "core/SqlQuery.h"
#include "pictures/JpegCodec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace kelpora {

namespace {

quint32 readLe32(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 readLe16(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
    return quint16(p[0] | p[1] << 8);
}

bool looksLikeBmp(const QByteArray& bytes)
{
    return bytes.startsWith("BM");
}

PictureError notBmp()
{
    return PictureError(QStringLiteral("BMP ファイルではありません。"));
}

// Width and height as the file header declares them, so a forged size is refused
// before QImageReader allocates for it.
QSize declaredBmpSize(const QByteArray& bytes)
{
    constexpr qsizetype FileHeader = 14;
    if (bytes.size() < FileHeader + 4 || !looksLikeBmp(bytes))
        throw notBmp();
    const quint32 infoSize = readLe32(bytes, FileHeader);
    qint64 width = 0;
    qint64 height = 0;
    qint64 bitsPerPixel = 0;
    quint32 compression = 0;
    if (infoSize == 12) { // OS/2 BITMAPCOREHEADER: 16-bit sides
        if (bytes.size() < FileHeader + 12)
            throw notBmp();
        width = readLe16(bytes, 18);
        height = readLe16(bytes, 20);
        bitsPerPixel = readLe16(bytes, 24);
    } else if (infoSize >= 16) { // BITMAPINFOHEADER and its successors
        if (bytes.size() < FileHeader + 16)
            throw notBmp();
        width = qint32(readLe32(bytes, 18));
        height = qint32(readLe32(bytes, 22));
        if (height < 0)
            height = -height; // top-down rows; qint64 so INT_MIN cannot overflow
        bitsPerPixel = readLe16(bytes, 28);
        if (infoSize >= 20 && bytes.size() >= FileHeader + 20)
            compression = readLe32(bytes, 30);
    } else {
        throw notBmp();
    }
    if (width <= 0 || height <= 0)
        throw PictureError(QStringLiteral("BMP ファイルの大きさが正しくありません。"));
    Picture::ensureManageableSize(width, height);

    // Qt reads a cut-off BMP without complaint and shows the missing rows as black, so
    // check that uncompressed pixel rows are all there. (Run-length data has no fixed
    // length; Qt checks that itself.)
    constexpr quint32 Uncompressed = 0;
    constexpr quint32 BitFields = 3;
    if ((compression == Uncompressed || compression == BitFields) && bitsPerPixel > 0) {
        const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
        const qint64 pixelsAt = readLe32(bytes, 10);
        if (bytes.size() < pixelsAt + rowBytes * height)
            throw PictureError(QStringLiteral("BMP ファイルが途中で切れています。"));
    }
    return QSize(int(width), int(height));
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PictureError(QStringLiteral("ファイルを開けません: %1\n%2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw PictureError(QStringLiteral("ファイルを読めません: %1\n%2").arg(path, file.errorString()));
    return bytes;
}

QString extensionOf(const QString& path)
{
    // The part after the last point of the file name itself, not of a folder name.
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

} // namespace

QStringList PictureStore::photoFileFilters()
{
    return {QStringLiteral("JPEG イメージファイル (*.jpg)"), QStringLiteral("JPEG イメージファイル (*.jpeg)")};
}

Picture PictureStore::loadFromFile(const QString& path)
{
    const QString extension = extensionOf(path);
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return Picture::fromJpeg(readWholeFile(path));
    if (extension == QLatin1String("bmp"))
        return fromBmpBytes(readWholeFile(path));
    throw PictureError(QStringLiteral("この種類のファイルは読み込めません: %1").arg(path));
}

Picture PictureStore::fromBmpBytes(const QByteArray& bytes)
{
    const QSize declared = declaredBmpSize(bytes);

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull())
        throw PictureError(QStringLiteral("BMP ファイルを読めません: %1").arg(reader.errorString()));
    if (image.size() != declared)
        throw PictureError(QStringLiteral("BMP ファイルの大きさが正しくありません。"));
    return Picture::fromBitmap(image);
}

std::optional<Picture> PictureStore::pasteBitmap()
{
    std::optional<QImage> image = seams::clipboard().bitmap();
    if (!image || image->isNull())
        return std::nullopt;
    return Picture::fromBitmap(*image);
}

std::optional<Picture> PictureStore::pastePicture()
{
    std::optional<QImage> image = seams::clipboard().picture();
    if (!image || image->isNull())
        return std::nullopt;
    return Picture::fromBitmap(*image);
}

QByteArray PictureStore::keepOrEncode(const Picture& picture)
{
    switch (picture.kind()) {
    case Picture::Kind::Jpeg:
        return picture.jpegBytes();
    case Picture::Kind::Bitmap:
        return JpegCodec::encode(picture.pixels());
    case Picture::Kind::None:
        break;
    }
    throw PictureError(QStringLiteral("保存する画像がありません。"));
}

QByteArray PictureStore::reencode(const Picture& picture)
{
    if (picture.isNull())
        throw PictureError(QStringLiteral("保存する画像がありません。"));
    return JpegCodec::encode(picture.pixels());
}

QByteArray PictureStore::toBytes(const Picture& picture, WriteRule rule)
{
    return rule == WriteRule::KeepOrEncode ? keepOrEncode(picture) : reencode(picture);
}

void PictureStore::bindPicture(SqlQuery& query, const QString& paramName, const Picture& picture, WriteRule rule)
{
    if (picture.isNull())
        query.bindNull(paramName);
    else
        query.bindBlob(paramName, toBytes(picture, rule));
}

Picture PictureStore::readPicture(const SqlQuery& query, const QString& column, ReadRule rule)
{
    if (query.isNull(column))
        return Picture();
    return fromBytes(query.fieldBlob(column), rule);
}

Picture PictureStore::fromBytes(const QByteArray& bytes, ReadRule rule)
{
    // Nothing we write is ever an empty BLOB; should one turn up it holds no picture,
    // and showing an empty area beats a decode error on every visit to the record.
    if (bytes.isEmpty())
        return Picture();
    if (rule == ReadRule::JpegOnly)
        return Picture::fromJpeg(bytes);

    try {
        return fromBmpBytes(bytes);
    } catch (const PictureError& bmpError) {
        try {
            return Picture::fromJpeg(bytes);
        } catch (const PictureError&) {
            // Both failed. For a file that is plainly a BMP, "not a JPEG" would hide the
            // real reason (a forged size, a damaged file).
            if (looksLikeBmp(bytes))
                throw bmpError;
            throw;
        }
    }
}

} // namespace kelpora
