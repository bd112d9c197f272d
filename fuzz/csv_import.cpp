// The CSV reader and every check of the import, on anything a CSV file may hold. Beside
// the CSV lies its picture folder with one JPEG and one BMP for fields to name.
#include "bookcare/CsvImport.h"
#include "core/Error.h"
#include "pictures/JpegCodec.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdint>

namespace {

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QString csvPath()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        QImage image(8, 8, QImage::Format_RGB888);
        image.fill(Qt::darkCyan);
        QDir(dir.path()).mkdir(QStringLiteral("fuzz_pictures"));
        put(dir.filePath(QStringLiteral("fuzz_pictures/a.jpg")), kelpora::JpegCodec::encode(image));
        QBuffer bmp;
        bmp.open(QIODevice::WriteOnly);
        image.save(&bmp, "BMP");
        put(dir.filePath(QStringLiteral("fuzz_pictures/b.bmp")), bmp.data());
        return dir.filePath(QStringLiteral("fuzz.csv"));
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray csv(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        kelpora::bookcare::CsvImport::check(csv, csvPath());
    } catch (const kelpora::Error&) {
        // A refusal with its reason is the right answer to most inputs.
    }
    return 0;
}
