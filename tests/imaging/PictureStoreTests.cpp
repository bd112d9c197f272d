#include "support/TestImages.h"

#include "core/Seams.h"
#include "imaging/JpegCodec.h"
#include "imaging/PictureStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

using namespace kelpora;
using namespace kelpora::testing;

namespace {

const QByteArray CameraJpeg = withComment(jpegFile(QSize(120, 90)));

TEST(WriteRules, KeepOrEncodeKeepsJpegBytesEvenWhenUndecodable)
{
    EXPECT_EQ(PictureStore::keepOrEncode(Picture::fromJpeg(CameraJpeg)), CameraJpeg);
    const QByteArray cut = CameraJpeg.left(CameraJpeg.size() - 100);
    EXPECT_EQ(PictureStore::toBytes(Picture::fromJpeg(cut), WriteRule::KeepOrEncode), cut);
}

TEST(WriteRules, BitmapsAndReencodedJpegsBecomeNewBaselineFiles)
{
    const QByteArray fromBitmap = PictureStore::keepOrEncode(Picture::fromBitmap(quadrants(QSize(97, 81))));
    EXPECT_EQ(sofSize(fromBitmap), QSize(97, 81));

    const QByteArray reencoded = PictureStore::reencode(Picture::fromJpeg(CameraJpeg));
    EXPECT_NE(reencoded, CameraJpeg);
    EXPECT_EQ(segmentAt(reencoded, 0xFE), -1) << "nothing of the old file is carried over";
    EXPECT_EQ(sofSize(reencoded), QSize(120, 90));
    EXPECT_TRUE(near(JpegCodec::decode(reencoded).pixel(100, 80), Qt::white));
}

TEST(WriteRules, NoPictureIsNeverEncoded)
{
    EXPECT_THROW(PictureStore::keepOrEncode(Picture()), Error);
    EXPECT_THROW(PictureStore::reencode(Picture()), Error);
}

TEST(ReadRules, BitmapFirstTakesBmpThenJpeg)
{
    const Picture bmp = PictureStore::fromBytes(bmpFile(quadrants(QSize(30, 20))), ReadRule::BitmapFirst);
    EXPECT_EQ(bmp.kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(bmp.pixels().format(), QImage::Format_RGB888);
    EXPECT_EQ(bmp.pixels().pixel(29, 0), QColor(Qt::green).rgb());
    EXPECT_EQ(bmp.pixels().pixel(0, 19), QColor(Qt::blue).rgb());

    const Picture jpeg = PictureStore::fromBytes(CameraJpeg, ReadRule::BitmapFirst);
    EXPECT_EQ(jpeg.kind(), Picture::Kind::Jpeg);
    EXPECT_EQ(jpeg.jpegBytes(), CameraJpeg);
    EXPECT_THROW(PictureStore::fromBytes(QByteArray("GIF89a"), ReadRule::BitmapFirst), Error);
}

TEST(ReadRules, JpegOnlyRefusesBmp)
{
    EXPECT_EQ(PictureStore::fromBytes(CameraJpeg, ReadRule::JpegOnly).size(), QSize(120, 90));
    EXPECT_THROW(PictureStore::fromBytes(bmpFile(quadrants(QSize(30, 20))), ReadRule::JpegOnly), Error);
    EXPECT_TRUE(PictureStore::fromBytes(QByteArray(), ReadRule::JpegOnly).isNull());
}

TEST(BmpDamage, ForgedTruncatedAndRandomFilesFail)
{
    const QByteArray bmp = bmpFile(quadrants(QSize(40, 30)));
    for (const QSize forged : {QSize(40000, 8), QSize(20000, -20000)}) {
        try { // the JPEG fallback must not hide why the BMP was refused
            PictureStore::fromBytes(withBmpSize(bmp, forged.width(), forged.height()), ReadRule::BitmapFirst);
            ADD_FAILURE() << "accepted " << forged.width() << "x" << forged.height();
        } catch (const Error& e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("大きすぎ"))) << e.text().toStdString();
        }
    }
    for (const qsizetype cut : {qsizetype(10), qsizetype(30), bmp.size() / 2, bmp.size() - 1})
        EXPECT_THROW(PictureStore::fromBmpBytes(bmp.left(cut)), Error) << "cut at " << cut;
    EXPECT_THROW(PictureStore::fromBmpBytes(withBmpSize(bmp, -8, 8)), Error);

    std::mt19937 random(99);
    for (int round = 0; round < 200; ++round) {
        QByteArray noise = "BM" + QByteArray(round, '\0');
        for (qsizetype i = 2; i < noise.size(); ++i)
            noise[i] = char(random());
        EXPECT_THROW(PictureStore::fromBytes(noise, ReadRule::BitmapFirst), Error);
    }
}

// Flat bands and busy ones, as maps and charts have.
QImage indexedPicture(const QSize& size, int colours)
{
    QImage image(size, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table << qRgb(i * 37 % 256, i * 91 % 256, i * 53 % 256);
    image.setColorTable(table);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, uint(y / 7 % 3 == 0 ? x * colours / size.width() : (x * x + y * 3) % colours));
    return image;
}

QString refusal(const QByteArray& bmp)
{
    try {
        PictureStore::fromBytes(bmp, ReadRule::BitmapFirst);
    } catch (const Error& e) {
        return e.text();
    }
    return QString();
}

TEST(RunLengthBmp, FilesAsEncodersWriteThemReadBackExactly)
{
    for (const int bits : {4, 8}) {
        const QImage image = indexedPicture(QSize(301, 97), bits == 4 ? 16 : 200);
        const QByteArray bmp = runLengthBmp(image.size(), bits, runLengthData(image, bits), image.colorTable());
        EXPECT_EQ(PictureStore::fromBmpBytes(bmp).pixels(), image.convertToFormat(QImage::Format_RGB888)) << bits;
    }
    // One colour, runs of 255 pixels: as compact as an encoder that writes its rows gets.
    QImage flat(3000, 2000, QImage::Format_Indexed8);
    flat.setColorTable({qRgb(10, 20, 30)});
    flat.fill(0);
    const QByteArray bmp = runLengthBmp(flat.size(), 8, runLengthData(flat, 8), flat.colorTable());
    EXPECT_LT(bmp.size(), 60000);
    const Picture picture = PictureStore::fromBmpBytes(bmp);
    EXPECT_EQ(picture.size(), QSize(3000, 2000));
    EXPECT_EQ(picture.pixels().pixel(2999, 1999), qRgb(10, 20, 30));
}

TEST(RunLengthBmp, SkippedPixelsTakeTheFirstColour)
{
    // From the bottom row: three of colour 1 and the rest of the row skipped; a delta two
    // right and two up; two of colour 1; the end of the picture.
    const QByteArray data("\x03\x01\x00\x00"
                          "\x00\x02\x02\x02"
                          "\x02\x01\x00\x01",
        12);
    const QRgb blue = qRgb(0, 0, 255);
    const QRgb yellow = qRgb(255, 255, 0);
    QImage expected(8, 8, QImage::Format_RGB888);
    expected.fill(blue);
    for (const QPoint p : {QPoint(0, 7), QPoint(1, 7), QPoint(2, 7), QPoint(2, 4), QPoint(3, 4)})
        expected.setPixel(p, yellow);
    EXPECT_EQ(PictureStore::fromBmpBytes(runLengthBmp(QSize(8, 8), 8, data, {blue, yellow})).pixels(), expected)
        << "not whatever the memory held";
}

TEST(RunLengthBmp, ADeclaredSizeItsDataCannotReachIsRefusedAtOnce)
{
    const QByteArray endOfBitmap("\x00\x01", 2);
    const QByteArray forged = runLengthBmp(QSize(14142, 14142), 8, endOfBitmap, {qRgb(0, 0, 0)});
    ASSERT_EQ(forged.size(), 60);
    const qint64 before = peakMemoryMb();
    const QString text = refusal(forged);
    const qint64 grown = peakMemoryMb() - before;
    EXPECT_EQ(text, QStringLiteral("BMP ファイルのデータが、宣言された大きさ（14142 × 14142 ピクセル）に足りません。"));
    EXPECT_LT(grown, 64) << "MB";
    std::printf("refusing a 60-byte BMP that declares 200 megapixels: peak memory +%lld MB\n", grown);

    // The bound: a delta code moves down at most 255 rows for its 4 bytes.
    const QByteArray twoDeltas = QByteArray("\x00\x02\x00\xFF", 4).repeated(2) + endOfBitmap;
    for (const int bits : {4, 8}) {
        EXPECT_EQ(refusal(runLengthBmp(QSize(4, 512), bits, twoDeltas, {qRgb(0, 0, 0)})), QString()) << bits;
        EXPECT_TRUE(refusal(runLengthBmp(QSize(4, 513), bits, twoDeltas, {qRgb(0, 0, 0)}))
                        .contains(QStringLiteral("足りません")))
            << bits;
    }
}

TEST(RunLengthBmp, DataCutShortIsRefused)
{
    for (const int bits : {4, 8}) {
        const QImage image = indexedPicture(QSize(64, 48), bits == 4 ? 16 : 200);
        const QByteArray data = runLengthData(image, bits);
        auto withData = [&](const QByteArray& d) { return runLengthBmp(image.size(), bits, d, image.colorTable()); };
        for (const qsizetype cut : {qsizetype(10), data.size() / 2, data.size() - 5})
            EXPECT_TRUE(refusal(withData(data.left(cut))).contains(QStringLiteral("途中で切れて")))
                << bits << ' ' << cut;
        EXPECT_FALSE(refusal(withData(data.left(1))).isEmpty()) << "not even a code";
        // Without the end-of-bitmap code, but with every row there.
        EXPECT_EQ(refusal(withData(data.left(data.size() - 2))), QString()) << bits;
    }
}

class LoadFromFile : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QTemporaryDir m_dir;
};

TEST_F(LoadFromFile, TheExtensionChoosesTheKindInAnyCase)
{
    for (const char* name : {"PHOTO.JPG", "shot.jpeg", "Shot.JpEg", "map.bmp.jpg"}) {
        const Picture picture = PictureStore::loadFromFile(write(QLatin1String(name), CameraJpeg));
        EXPECT_EQ(picture.kind(), Picture::Kind::Jpeg) << name;
        EXPECT_EQ(picture.jpegBytes(), CameraJpeg) << name;
    }
    for (const char* name : {"map.bmp", "MAP.BMP", ".bmp"})
        EXPECT_EQ(PictureStore::loadFromFile(write(QLatin1String(name), bmpFile(quadrants(QSize(12, 10))))).size(),
            QSize(12, 10))
            << name;
}

TEST_F(LoadFromFile, EverythingElseFails)
{
    for (const char* name : {"photo.png", "photo", "photo.jpg.txt"})
        EXPECT_THROW(PictureStore::loadFromFile(write(QLatin1String(name), CameraJpeg)), Error) << name;
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("album.jpg")));
    EXPECT_THROW(PictureStore::loadFromFile(write(QStringLiteral("album.jpg/photo"), CameraJpeg)), Error);
    EXPECT_THROW(PictureStore::loadFromFile(write(QStringLiteral("fake.jpg"), bmpFile(quadrants(QSize(8, 8))))), Error);
    EXPECT_THROW(PictureStore::loadFromFile(write(QStringLiteral("fake.bmp"), CameraJpeg)), Error);
    EXPECT_THROW(PictureStore::loadFromFile(write(QStringLiteral("empty.jpg"), QByteArray())), Error);
    EXPECT_THROW(PictureStore::loadFromFile(m_dir.filePath(QStringLiteral("missing.jpg"))), Error);
}

class ScriptedClipboard : public seams::Clipboard {
public:
    void clear() override { m_bitmap = m_picture = std::nullopt; }
    std::optional<QImage> bitmap() override { return m_bitmap; }
    std::optional<QImage> picture() override { return m_picture; }
    std::optional<QImage> m_bitmap;
    std::optional<QImage> m_picture;
};

TEST(Paste, TakesTheRightClipboardFormatAsA24BitBitmap)
{
    ScriptedClipboard clipboard;
    seams::setClipboard(&clipboard);
    EXPECT_FALSE(PictureStore::pasteBitmap().has_value());
    EXPECT_FALSE(PictureStore::pastePicture().has_value());

    QImage translucent(50, 40, QImage::Format_ARGB32);
    translucent.fill(Qt::transparent);
    translucent.setPixelColor(0, 0, Qt::blue);
    clipboard.m_bitmap = translucent;
    clipboard.m_picture = quadrants(QSize(30, 10));
    const std::optional<Picture> bitmap = PictureStore::pasteBitmap();
    const std::optional<Picture> picture = PictureStore::pastePicture();
    seams::setClipboard(nullptr);

    ASSERT_TRUE(bitmap && picture);
    EXPECT_EQ(bitmap->kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(bitmap->pixels().format(), QImage::Format_RGB888);
    EXPECT_EQ(bitmap->pixels().pixel(0, 0), QColor(Qt::blue).rgb());
    EXPECT_EQ(bitmap->pixels().pixel(49, 39), QColor(Qt::white).rgb()) << "transparency laid over white";
    EXPECT_EQ(picture->size(), QSize(30, 10));
}

} // namespace
