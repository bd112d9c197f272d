// What one display of a pathological picture costs: a 60-byte run-length BMP that
// declares 14142 x 14142 pixels, and a valid 200-megapixel progressive JPEG shown as a
// browser thumbnail. Prints time and peak memory; checks nothing. Each case runs in a
// child run of this same program, so its peak is its own, not the JPEG generator's.

#include "imaging/JpegCodec.h"
#include "imaging/Picture.h"
#include "imaging/PictureStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

using namespace kelpora;

constexpr int kSide = 14142; // 14142 x 14142 is just under Picture::MaxPixels

// The high-water mark of this process image's resident memory. Not getrusage's
// ru_maxrss, which Linux carries over from the parent across exec.
qint64 peakMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    return -1;
}

// Header, a one-colour palette and a single end-of-bitmap code: 60 bytes.
QByteArray emptyRunLengthBmp()
{
    QByteArray bmp(58, '\0');
    char* p = bmp.data();
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(60, p + 2);
    qToLittleEndian<quint32>(58, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<quint32>(kSide, p + 18);
    qToLittleEndian<quint32>(kSide, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(8, p + 28);
    qToLittleEndian<quint32>(1, p + 30); // BI_RLE8
    qToLittleEndian<quint32>(2, p + 34);
    qToLittleEndian<quint32>(1, p + 46);
    return bmp.append(char(0)).append(char(1));
}

// Progressive, full chroma resolution: the coefficient buffers a decoder needs are
// 1.2 GB. Rows are generated as they are written, so only the encoder's own buffers
// are large.
bool writeProgressiveJpeg(const QString& path)
{
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = kSide;
    cinfo.image_height = kSide;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(kSide) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const unsigned y = cinfo.next_scanline;
        for (unsigned x = 0; x < unsigned(kSide); ++x) {
            row[3 * x] = JSAMPLE(x * 255 / kSide);
            row[3 * x + 1] = JSAMPLE(y * 255 / kSide);
            row[3 * x + 2] = JSAMPLE((x ^ y) & 0x3F);
        }
        JSAMPROW rows = row.data();
        jpeg_write_scanlines(&cinfo, &rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

template <typename Display> int measure(const char* what, const QByteArray& bytes, Display display)
{
    const qint64 before = peakMb();
    QElapsedTimer timer;
    timer.start();
    QString outcome;
    try {
        const QImage image = display(bytes);
        outcome = QStringLiteral("shown, %1 x %2").arg(image.width()).arg(image.height());
    } catch (const Error& e) {
        outcome = QStringLiteral("refused: ") + e.text();
    }
    std::printf("%s (%lld bytes): %lld ms, peak memory %lld MB (+%lld MB)\n  %s\n", what, qint64(bytes.size()),
        timer.elapsed(), peakMb(), peakMb() - before, outcome.toUtf8().constData());
    return 0;
}

// What the browser does for one record: read the column, then make the display image.
int showOnce(const char* what, const QByteArray& bytes, ReadRule rule, const QSize& target)
{
    return measure(what, bytes, [&](const QByteArray& b) { return PictureStore::fromBytes(b, rule).scaledTo(target); });
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int runChild(const QString& program, const QStringList& arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(program, arguments);
    child.waitForFinished(-1);
    return child.exitCode();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QImageReader::setAllocationLimit(PictureStore::ReaderAllocationLimitMb); // as the application does
    const QStringList args = app.arguments();
    if (args.size() == 2 && args[1] == QLatin1String("bmp"))
        return showOnce("run-length BMP, 14142 x 14142 declared", emptyRunLengthBmp(), ReadRule::BitmapFirst,
            QSize(250, 250)); // the map area, 334 x 250, centred
    if (args.size() == 3 && args[1] == QLatin1String("jpeg")) // a browser thumbnail
        return showOnce("progressive JPEG, 14142 x 14142", readFile(args[2]), ReadRule::JpegOnly, QSize(81, 81));
    if (args.size() == 3 && args[1] == QLatin1String("jpeg-decoder")) // the decoder alone, past the header check
        return measure("progressive JPEG, decoder only", readFile(args[2]),
            [](const QByteArray& b) { return JpegCodec::decodeCovering(b, QSize(81, 81)); });

    QTemporaryDir dir;
    const QString jpeg = dir.filePath(QStringLiteral("progressive.jpg"));
    if (!writeProgressiveJpeg(jpeg))
        return 1;
    int failed = runChild(app.applicationFilePath(), {QStringLiteral("bmp")});
    failed |= runChild(app.applicationFilePath(), {QStringLiteral("jpeg"), jpeg});
    failed |= runChild(app.applicationFilePath(), {QStringLiteral("jpeg-decoder"), jpeg});
    return failed;
}
