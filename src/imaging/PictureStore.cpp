#include "imaging/PictureStore.h"

#include "core/Seams.h"
#include "core/SqlQuery.h"
#include "imaging/JpegCodec.h"

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

struct BmpHeader {
    qint64 width = 0;
    qint64 height = 0;
    qint64 bitsPerPixel = 0;
    quint32 compression = 0;
    qint64 pixelsAt = 0; // where the pixel data starts, as the file header says

    static constexpr quint32 Uncompressed = 0;
    static constexpr quint32 RunLength8 = 1;
    static constexpr quint32 RunLength4 = 2;
    static constexpr quint32 BitFields = 3;

    bool isRunLength() const
    {
        return (compression == RunLength8 && bitsPerPixel == 8) || (compression == RunLength4 && bitsPerPixel == 4);
    }
};

BmpHeader readBmpHeader(const QByteArray& bytes)
{
    constexpr qsizetype kFileHeader = 14;
    if (bytes.size() < kFileHeader + 4 || !looksLikeBmp(bytes))
        throw notBmp();
    BmpHeader header;
    header.pixelsAt = readLe32(bytes, 10);
    const quint32 infoSize = readLe32(bytes, kFileHeader);
    if (infoSize == 12) { // OS/2 BITMAPCOREHEADER: 16-bit sides
        if (bytes.size() < kFileHeader + 12)
            throw notBmp();
        header.width = readLe16(bytes, 18);
        header.height = readLe16(bytes, 20);
        header.bitsPerPixel = readLe16(bytes, 24);
    } else if (infoSize >= 16) { // BITMAPINFOHEADER and its successors
        if (bytes.size() < kFileHeader + 16)
            throw notBmp();
        header.width = qint32(readLe32(bytes, 18));
        header.height = qint32(readLe32(bytes, 22));
        if (header.height < 0)
            header.height = -header.height; // top-down rows; qint64 so INT_MIN cannot overflow
        header.bitsPerPixel = readLe16(bytes, 28);
        if (infoSize >= 20 && bytes.size() >= kFileHeader + 20)
            header.compression = readLe32(bytes, 30);
    } else {
        throw notBmp();
    }
    return header;
}

PictureError cutShort()
{
    return PictureError(QStringLiteral("BMP ファイルが途中で切れています。"));
}

// Qt reads a cut-off BMP without complaint and shows the missing rows as whatever the
// memory held, so check that the pixel rows are all there.
void ensureRowsPresent(const QByteArray& bytes, const BmpHeader& header)
{
    const qint64 rowBytes = (header.width * header.bitsPerPixel + 31) / 32 * 4;
    if (bytes.size() < header.pixelsAt + rowBytes * header.height)
        throw cutShort();
}

// Run-length data says where each row ends, so its length bounds the rows it can
// describe: the cheapest way down is a delta code, 4 bytes for at most 255 rows (an
// end-of-line code moves one row for 2). Only the end-of-bitmap code leaves all the rest
// undescribed, so without this check a few bytes could declare 200 million pixels, all
// to be allocated, converted and scaled at every display. An encoder that writes its
// rows, as they all do, never comes near the bound.
qint64 lastRowReachable(qint64 dataBytes)
{
    return 255 * (dataBytes / 4) + (dataBytes % 4 >= 2 ? 1 : 0);
}

// Walks the codes as a decoder does, without pixels: the data must end with its
// end-of-bitmap code, or once its last row is full, not run out on the way.
void ensureRunLengthComplete(const QByteArray& bytes, const BmpHeader& header)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qint64 size = bytes.size();
    qint64 at = header.pixelsAt;
    qint64 row = 0;
    qint64 column = 0;
    auto ended = [&] { return row >= header.height || (row == header.height - 1 && column >= header.width); };
    while (at + 2 <= size && !ended()) {
        const unsigned count = data[at];
        const unsigned code = data[at + 1];
        at += 2;
        if (count > 0) { // a run of one colour (or two alternating ones)
            column += count;
        } else if (code == 0) { // end of line
            ++row;
            column = 0;
        } else if (code == 1) { // end of bitmap
            return;
        } else if (code == 2) { // delta: right and down
            if (at + 2 > size)
                throw cutShort();
            column += data[at];
            row += data[at + 1];
            at += 2;
        } else { // `code` literal pixels, padded to 16 bits
            column += code;
            at += header.bitsPerPixel == 8 ? (code + 1) / 2 * 2 : (code + 3) / 4 * 2;
            if (at > size)
                throw cutShort();
        }
    }
    if (!ended())
        throw cutShort();
}

// Width and height as the file header declares them, after checking that the data can
// fill them, so a forged size is refused before QImageReader allocates for it.
QSize declaredBmpSize(const QByteArray& bytes)
{
    const BmpHeader header = readBmpHeader(bytes);
    if (header.width <= 0 || header.height <= 0)
        throw PictureError(QStringLiteral("BMP ファイルの大きさが正しくありません。"));
    Picture::ensureManageableSize(header.width, header.height);

    if ((header.compression == BmpHeader::Uncompressed || header.compression == BmpHeader::BitFields)
        && header.bitsPerPixel > 0) {
        ensureRowsPresent(bytes, header);
    } else if (header.isRunLength()) {
        if (header.pixelsAt > bytes.size())
            throw cutShort();
        if (header.height - 1 > lastRowReachable(bytes.size() - header.pixelsAt)) {
            throw PictureError(
                QStringLiteral("BMP ファイルのデータが、宣言された大きさ（%1 × %2 ピクセル）に足りません。")
                    .arg(header.width)
                    .arg(header.height));
        }
        ensureRunLengthComplete(bytes, header);
    }
    return QSize(int(header.width), int(header.height));
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

    // Run-length codes may skip pixels (to the end of a row, by a delta, or to the end of
    // the picture), and Qt leaves those as whatever its fresh image's memory held. Handed
    // an image of the right size and format, it decodes into that instead, so skipped
    // pixels take the first palette colour, as on Windows.
    QImage image;
    if (readBmpHeader(bytes).isRunLength()) {
        image = QImage(declared, QImage::Format_Indexed8);
        if (image.isNull())
            throw PictureError(QStringLiteral("画像を読み込むためのメモリが足りません。"));
        image.fill(0);
    }

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    if (!reader.read(&image) || image.isNull())
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
