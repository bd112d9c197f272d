#include "support/TestImages.h"

#include "imaging/JpegCodec.h"
#include "imaging/Picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>
#include <vector>

using namespace kelpora;
using namespace kelpora::testing;

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

// Where the n-th (from 0) marker of this kind starts, scan data included; -1 if none.
qsizetype nthMarker(const QByteArray& jpeg, quint8 marker, int n)
{
    for (qsizetype at = 0; at + 1 < jpeg.size(); ++at)
        if (quint8(jpeg.at(at)) == 0xFF && quint8(jpeg.at(at + 1)) == marker && n-- == 0)
            return at;
    return -1;
}

// The text of the decode failure, or empty when both decoders accept the bytes.
QString decodeFailure(const QByteArray& bytes)
{
    try {
        JpegCodec::decode(bytes);
        JpegCodec::decodeCovering(bytes, QSize(40, 30));
    } catch (const Error& e) {
        return e.text();
    }
    return QString();
}

// Files that libjpeg grumbles about but decodes to every pixel they were written with.
// Each must give exactly the pixels of the clean file, from the header reader on.
void expectCleanPixels(const QByteArray& variant, const QByteArray& clean)
{
    const Picture picture = Picture::fromJpeg(variant);
    EXPECT_EQ(picture.size(), JpegCodec::readSize(clean));
    EXPECT_TRUE(picture.pixels() == JpegCodec::decode(clean));
    EXPECT_TRUE(Picture::fromJpeg(variant).scaledTo(QSize(40, 30)) == Picture::fromJpeg(clean).scaledTo(QSize(40, 30)));
    EXPECT_TRUE(JpegCodec::decodeCovering(variant, QSize(50, 40)) == JpegCodec::decodeCovering(clean, QSize(50, 40)));
}

TEST(JpegTolerance, ZeroedSequentialScanParametersChangeNoPixel)
{
    const QByteArray clean = JpegCodec::encode(texture(QSize(200, 160)));
    const QByteArray zeroed = withZeroedScanParameters(clean);
    ASSERT_NE(zeroed, clean);
    expectCleanPixels(zeroed, clean);
}

TEST(JpegTolerance, AMissingEndMarkerLosesNoPixel)
{
    const QImage image = texture(QSize(200, 160));
    const std::pair<const char*, QByteArray> files[] = {
        {"ours", JpegCodec::encode(image)},
        {"restart markers", jpegOfKind(image, {.restartInterval = 4})},
        {"progressive", jpegOfKind(image, {.progressive = true})},
    };
    for (const auto& [kind, clean] : files) {
        SCOPED_TRACE(kind);
        ASSERT_TRUE(clean.endsWith("\xFF\xD9"));
        expectCleanPixels(clean.left(clean.size() - 2), clean);
    }
}

TEST(JpegDamage, DataCutShortFailsHoweverTheFileIsCoded)
{
    const QImage image = texture(QSize(200, 160));
    const QByteArray baseline = JpegCodec::encode(image);
    const QByteArray restarts = jpegOfKind(image, {.restartInterval = 4});
    const QByteArray progressive = jpegOfKind(image, {.progressive = true});
    const QByteArray arithmetic = jpegOfKind(image, {.arithmetic = true});
    const QByteArray perComponent = jpegOfKind(image, {.scanPerComponent = true});

    EXPECT_FALSE(decodeFailure(baseline.left(baseline.size() - 20)).isEmpty()) << "in the last rows";
    EXPECT_FALSE(decodeFailure(restarts.left(nthMarker(restarts, 0xD3, 1))).isEmpty()) << "at a restart marker";
    // No bit is missing from any scan that was read: only whole scans are.
    EXPECT_FALSE(decodeFailure(progressive.left(nthMarker(progressive, 0xDA, 3))).isEmpty()) << "between scans";
    EXPECT_FALSE(decodeFailure(perComponent.left(nthMarker(perComponent, 0xDA, 2))).isEmpty()) << "one scan each";
    // Arithmetic decoding supplies zeros past the end of the data without a warning.
    EXPECT_FALSE(decodeFailure(arithmetic.left(arithmetic.size() / 2)).isEmpty()) << "arithmetic coding";
    EXPECT_TRUE(decodeFailure(arithmetic).isEmpty());
    EXPECT_TRUE(decodeFailure(perComponent).isEmpty());
}

TEST(JpegDamage, DamagedScanDataFails)
{
    const QImage image = texture(QSize(200, 160));
    const QByteArray clean = JpegCodec::encode(image);
    // All one bits: no Huffman code looks like that. (libjpeg-turbo's fast path reads
    // such codes as zero without a word; it only checks within the last few kilobytes.)
    QByteArray badCode = clean;
    badCode.replace(clean.size() - 300, 16, QByteArray("\xFF\x00", 2).repeated(8));
    QByteArray lostRestart = jpegOfKind(image, {.restartInterval = 4});
    lostRestart[nthMarker(lostRestart, 0xD2, 0) + 1] = char(0xD5);

    EXPECT_TRUE(decodeFailure(badCode).contains(QStringLiteral("Corrupt JPEG data")));
    EXPECT_TRUE(decodeFailure(lostRestart).contains(QStringLiteral("Corrupt JPEG data")));
    EXPECT_FALSE(decodeFailure(withZeroedScanParameters(jpegOfKind(image, {.progressive = true}))).isEmpty())
        << "a progressive scan's parameters do matter";
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

namespace {

// libjpeg refuses before it reads a single scan, so the scans of a small file stand in
// for those of a real picture of the size its header is given (the benchmark uses one).
QByteArray progressiveDeclaring(int width, int height, bool fullChroma = false)
{
    const QByteArray small = jpegOfKind(texture(QSize(64, 48)), {.progressive = true, .fullChroma = fullChroma});
    return withProgressiveSize(small, width, height);
}

QString memoryFailure(const std::function<void()>& decode)
{
    try {
        decode();
    } catch (const Error& e) {
        return e.text().contains(QStringLiteral("メモリ")) ? e.text() : QStringLiteral("other: ") + e.text();
    }
    return QString();
}

TEST(JpegMemory, AHugeProgressivePictureIsRefusedBeforeItsBuffersAreTaken)
{
    const QByteArray huge = progressiveDeclaring(14142, 14142, true); // 1.2 GB of coefficients
    const qint64 before = peakMemoryMb();
    const QString onReading = memoryFailure([&] { Picture::fromJpeg(huge); });
    const QString thumbnail = memoryFailure([&] { JpegCodec::decodeCovering(huge, QSize(97, 81)); });
    const QString full = memoryFailure([&] { JpegCodec::decode(huge); });
    const qint64 grown = peakMemoryMb() - before;

    EXPECT_TRUE(onReading.startsWith(QStringLiteral("この JPEG は展開に約 1145 MB のメモリが必要")))
        << onReading.toStdString();
    EXPECT_EQ(thumbnail, onReading) << "the decoder's own ceiling, past the header check";
    EXPECT_EQ(full, onReading);
    EXPECT_LT(grown, 64) << "MB";
    std::printf("refusing a 200-megapixel progressive JPEG three times: peak memory +%lld MB\n", grown);
}

TEST(JpegMemory, TheHeaderRefusesWhatTheDecoderCouldNotHoldAndNoMore)
{
    // 4:2:0 chroma: 3 bytes of coefficients a pixel, rows rounded up to 16. 12000 x 7200
    // needs 247.2 MB, which fits under the 256 MB ceiling beside the 8 MB working reserve;
    // 12000 x 7300 needs 251.0 MB, which does not (libjpeg itself would still take it).
    const QByteArray fits = progressiveDeclaring(12000, 7200);
    const QByteArray tooMuch = progressiveDeclaring(12000, 7300);

    EXPECT_EQ(Picture::fromJpeg(fits).size(), QSize(12000, 7200));
    const QString decoding = memoryFailure([&] { JpegCodec::decodeCovering(fits, QSize(97, 81)); });
    EXPECT_TRUE(decoding.startsWith(QStringLiteral("other: "))) << "its scans are too short, nothing else";
    EXPECT_TRUE(memoryFailure([&] { Picture::fromJpeg(tooMuch); }).contains(QStringLiteral("約 252 MB")));
    // A sequential picture needs no coefficient buffers at any size.
    EXPECT_EQ(Picture::fromJpeg(withDeclaredSize(jpegFile(QSize(64, 48)), 14142, 14142)).size(), QSize(14142, 14142));
}

} // namespace
