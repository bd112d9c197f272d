#include "TestImages.h"

#include "pictures/JpegCodec.h"
#include "pictures/Picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <thread>
#include <vector>

using namespace kelpora;
using namespace kelpora::test;

namespace {

// The JPEG standard's example tables (Annex K), natural order.
constexpr std::array<int, 64> StdLuminance = {16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13,
    16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104,
    113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

// The luminance table as DQT lists it (zig-zag order), read back into natural order.
std::array<int, 64> firstQuantTable(const QByteArray& jpeg)
{
    const QByteArray dqt = segmentPayload(jpeg, 0xDB);
    std::array<int, 64> table{};
    int k = 1; // dqt[0] is precision and table id
    for (int diagonal = 0; diagonal < 15; ++diagonal) {
        const int lo = std::max(0, diagonal - 7);
        const int hi = std::min(diagonal, 7);
        for (int i = 0; i <= hi - lo; ++i) {
            const int row = diagonal % 2 == 0 ? hi - i : lo + i;
            table[size_t(row * 8 + diagonal - row)] = quint8(dqt.at(k++));
        }
    }
    return table;
}

TEST(JpegEncoder, WritesBaselineJfifOfTheSameSize)
{
    const QByteArray jpeg = jpegFile(QSize(123, 77));
    EXPECT_TRUE(jpeg.startsWith("\xFF\xD8\xFF\xE0"));
    EXPECT_EQ(jpeg.mid(6, 5), QByteArray("JFIF\0", 5));
    EXPECT_TRUE(jpeg.endsWith("\xFF\xD9"));
    EXPECT_EQ(sofSize(jpeg), QSize(123, 77)) << "SOF0, the baseline frame";
    EXPECT_EQ(segmentAt(jpeg, 0xC2), -1) << "not progressive";
    const QByteArray sof = segmentPayload(jpeg, 0xC0);
    EXPECT_EQ(quint8(sof.at(5)), 3);
    EXPECT_EQ(quint8(sof.at(7)), 0x22) << "library default: luminance 2x2, chroma subsampled";
}

TEST(JpegEncoder, QuantisesWithTheStandardTableAtQuality90)
{
    std::array<int, 64> expected{};
    for (size_t i = 0; i < 64; ++i)
        expected[i] = std::max(1, (StdLuminance[i] * 20 + 50) / 100); // scale 200 - 2*90
    const std::array<int, 64> actual = firstQuantTable(jpegFile(QSize(64, 48)));
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(actual[0], 3);
}

TEST(JpegEncoder, RoundTripKeepsColoursAndPlacement)
{
    QImage argb = quadrants(QSize(64, 48)).convertToFormat(QImage::Format_ARGB32);
    const QImage decoded = JpegCodec::decode(JpegCodec::encode(argb));
    ASSERT_EQ(decoded.size(), QSize(64, 48));
    EXPECT_EQ(decoded.format(), QImage::Format_RGB888);
    EXPECT_TRUE(near(decoded.pixel(8, 8), Qt::red));
    EXPECT_TRUE(near(decoded.pixel(56, 8), Qt::green));
    EXPECT_TRUE(near(decoded.pixel(8, 40), Qt::blue));
    EXPECT_TRUE(near(decoded.pixel(56, 40), Qt::white));
}

TEST(JpegDecoder, ScaledDecodeUsesTheSmallestEighthThatCovers)
{
    const QByteArray jpeg = jpegFile(QSize(800, 600));
    EXPECT_EQ(JpegCodec::decodeCovering(jpeg, QSize(97, 81)).size(), QSize(200, 150)); // 1/8 is 75 high
    EXPECT_EQ(JpegCodec::decodeCovering(jpeg, QSize(100, 75)).size(), QSize(100, 75));
    EXPECT_EQ(JpegCodec::decodeCovering(jpeg, QSize(501, 10)).size(), QSize(600, 450));
    EXPECT_EQ(JpegCodec::decodeCovering(jpeg, QSize(1600, 1200)).size(), QSize(800, 600));
    EXPECT_EQ(JpegCodec::decodeCovering(jpegFile(QSize(801, 601)), QSize(1, 1)).size(), QSize(101, 76));
}

TEST(JpegDecoder, DecodesOnlyWhenPixelsAreWanted)
{
    const QByteArray whole = jpegFile(QSize(200, 160));
    const QByteArray cut = whole.left(whole.size() / 2);
    const Picture picture = Picture::fromJpeg(cut); // the header is intact
    EXPECT_EQ(picture.size(), QSize(200, 160));
    EXPECT_EQ(picture.jpegBytes(), cut);
    EXPECT_THROW(picture.pixels(), PictureError);
}

TEST(JpegDecoder, CopiesOfOnePictureDecodeSafelyOnManyThreads)
{
    const Picture picture = Picture::fromJpeg(jpegFile(QSize(320, 240)));
    std::vector<QImage> results(6);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back(
            [copy = picture, &results, i] { results[i] = i % 2 ? copy.scaledTo(QSize(40, 30)) : copy.pixels(); });
    for (std::thread& t : threads)
        t.join();
    for (size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i].size(), i % 2 ? QSize(40, 30) : QSize(320, 240));
        EXPECT_TRUE(near(results[i].pixel(2, 2), Qt::red));
    }
}

TEST(JpegDamage, BrokenFilesFailWithLibjpegsOwnText)
{
    const QByteArray jpeg = jpegFile(QSize(200, 160));
    const qsizetype scan = scanDataStart(jpeg);
    QByteArray markerInScan = jpeg;
    markerInScan.replace(scan + 40, 2, "\xFF\xD9");

    auto failure = [](const QByteArray& bytes) {
        try {
            JpegCodec::decode(bytes);
        } catch (const Error& e) {
            return e.text();
        }
        return QString();
    };
    EXPECT_TRUE(failure(QByteArray("BM not a jpeg")).contains(QStringLiteral("Not a JPEG file")));
    EXPECT_TRUE(failure(jpeg.left(scan + (jpeg.size() - scan) / 2)).contains(QStringLiteral("remature end")))
        << "truncated must fail, not be padded with grey";
    EXPECT_FALSE(failure(jpeg.left(jpeg.size() - 2)).isEmpty()) << "end marker missing";
    EXPECT_FALSE(failure(jpeg.left(scan - 1)).isEmpty()) << "header cut short";
    EXPECT_FALSE(failure(markerInScan).isEmpty());
    EXPECT_FALSE(failure(withDeclaredSize(jpeg, 0, 160)).isEmpty());
    EXPECT_FALSE(failure(QByteArray()).isEmpty());
}

TEST(JpegDamage, RandomDataNeverCrashes)
{
    const QByteArray jpeg = jpegFile(QSize(96, 64));
    const qsizetype scan = scanDataStart(jpeg);
    std::mt19937 random(20240611);
    int detected = 0;
    for (int round = 0; round < 100; ++round) {
        QByteArray noise(1 + round * 3, '\0');
        QByteArray damaged = jpeg;
        for (char& c : noise)
            c = char(random());
        for (qsizetype i = scan; i < damaged.size() - 2; ++i)
            damaged[i] = char(random());
        EXPECT_THROW(JpegCodec::decode(noise), Error);
        try {
            EXPECT_EQ(JpegCodec::decode(damaged).size(), QSize(96, 64)); // undetectable noise
        } catch (const Error&) {
            ++detected;
        }
    }
    EXPECT_GT(detected, 50);
}

TEST(JpegLimits, ForgedHugeSizesAreRefusedBeforeDecoding)
{
    const QByteArray jpeg = jpegFile(QSize(64, 48));
    for (const QSize forged : {QSize(30001, 8), QSize(8, 40000), QSize(20000, 20000)}) {
        try {
            Picture::fromJpeg(withDeclaredSize(jpeg, forged.width(), forged.height()));
            ADD_FAILURE() << "accepted " << forged.width() << "x" << forged.height();
        } catch (const Error& e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("大きすぎ"))) << e.text().toStdString();
        }
    }
    // At the limits only the header is read, so this allocates nothing large.
    EXPECT_EQ(Picture::fromJpeg(withDeclaredSize(jpeg, 30000, 6666)).size(), QSize(30000, 6666));
}

} // namespace
