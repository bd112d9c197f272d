#include "support/TestImages.h"

#include "imaging/JpegCodec.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QtEndian>

#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>

#include <jpeglib.h>

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
void PrintTo(const QSize& size, std::ostream* os)
{
    *os << size.width() << 'x' << size.height();
}

namespace kelpora::testing {

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

QImage texture(const QSize& size)
{
    QImage image(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            row[3 * x] = uchar(x * 255 / size.width());
            row[3 * x + 1] = uchar((x * 7) ^ (y * 13));
            row[3 * x + 2] = uchar((x * y) >> 3);
        }
    }
    return image;
}

QByteArray jpegOfKind(const QImage& image, const JpegKind& kind)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error); // valid input only: libjpeg's default exit is fine here
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (kind.fullChroma)
        cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
    cinfo.arith_code = kind.arithmetic ? TRUE : FALSE;
    cinfo.restart_interval = JDIMENSION(kind.restartInterval);
    jpeg_scan_info scans[3]{};
    if (kind.progressive) {
        jpeg_simple_progression(&cinfo);
    } else if (kind.scanPerComponent) {
        for (int c = 0; c < 3; ++c) {
            scans[c].comps_in_scan = 1;
            scans[c].component_index[0] = c;
            scans[c].Se = DCTSIZE2 - 1;
        }
        cinfo.scan_info = scans;
        cinfo.num_scans = 3;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

QByteArray withZeroedScanParameters(QByteArray jpeg)
{
    const qsizetype end = scanDataStart(jpeg); // Ss, Se and Ah/Al are the header's last three bytes
    for (qsizetype at = end - 3; at < end; ++at)
        jpeg[at] = '\0';
    return jpeg;
}

QByteArray withProgressiveSize(QByteArray jpeg, int width, int height)
{
    const qsizetype at = segmentAt(jpeg, 0xC2) + 5;
    jpeg[at] = char(height >> 8);
    jpeg[at + 1] = char(height);
    jpeg[at + 2] = char(width >> 8);
    jpeg[at + 3] = char(width);
    return jpeg;
}

QByteArray runLengthBmp(const QSize& size, int bitsPerPixel, const QByteArray& data, const QList<QRgb>& colours)
{
    constexpr int Headers = 14 + 40;
    QByteArray bmp(Headers + 4 * colours.size(), '\0');
    char* p = bmp.data();
    auto put16 = [p](int at, quint16 value) { qToLittleEndian(value, p + at); };
    auto put32 = [p](int at, quint32 value) { qToLittleEndian(value, p + at); };
    p[0] = 'B';
    p[1] = 'M';
    put32(2, quint32(bmp.size() + data.size()));
    put32(10, quint32(bmp.size()));
    put32(14, 40);
    put32(18, quint32(size.width()));
    put32(22, quint32(size.height()));
    put16(26, 1);
    put16(28, quint16(bitsPerPixel));
    put32(30, bitsPerPixel == 8 ? 1 : 2); // BI_RLE8, BI_RLE4
    put32(34, quint32(data.size()));
    put32(46, quint32(colours.size()));
    for (qsizetype i = 0; i < colours.size(); ++i) {
        const QRgb c = colours[i];
        p[Headers + 4 * i] = char(qBlue(c));
        p[Headers + 4 * i + 1] = char(qGreen(c));
        p[Headers + 4 * i + 2] = char(qRed(c));
    }
    return bmp + data;
}

static void appendLiterals(QByteArray& out, const uchar* pixels, int count, int bitsPerPixel)
{
    if (count < 3) { // absolute mode needs at least three; shorter stretches are runs of one
        for (int i = 0; i < count; ++i)
            out.append(char(1)).append(char(bitsPerPixel == 8 ? pixels[i] : pixels[i] << 4));
        return;
    }
    out.append(char(0)).append(char(count));
    QByteArray literal;
    for (int i = 0; i < count; ++i) {
        if (bitsPerPixel == 8)
            literal.append(char(pixels[i]));
        else if (i % 2 == 0)
            literal.append(char(pixels[i] << 4));
        else
            literal.back() = char(literal.back() | pixels[i]);
    }
    if (literal.size() % 2)
        literal.append('\0'); // each stretch ends on a 16-bit boundary
    out.append(literal);
}

QByteArray runLengthData(const QImage& indexed, int bitsPerPixel)
{
    QByteArray out;
    const int width = indexed.width();
    for (int y = indexed.height() - 1; y >= 0; --y) { // bottom-up
        const uchar* row = indexed.constScanLine(y);
        int x = 0;
        int literalFrom = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < 255 && row[x + run] == row[x])
                ++run;
            if (run >= 3) {
                appendLiterals(out, row + literalFrom, x - literalFrom, bitsPerPixel);
                out.append(char(run)).append(char(bitsPerPixel == 8 ? row[x] : (row[x] << 4 | row[x])));
                literalFrom = x + run;
            } else if (x + run - literalFrom >= 253) {
                appendLiterals(out, row + literalFrom, x + run - literalFrom, bitsPerPixel);
                literalFrom = x + run;
            }
            x += run;
        }
        appendLiterals(out, row + literalFrom, width - literalFrom, bitsPerPixel);
        if (y > 0)
            out.append(char(0)).append(char(0)); // end of line
    }
    return out.append(char(0)).append(char(1)); // end of bitmap
}

qint64 peakMemoryMb()
{
    // Not getrusage's ru_maxrss, which Linux carries over from the parent across exec.
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) // the high-water mark of resident memory, in kB
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    return 0;
}

} // namespace kelpora::testing
