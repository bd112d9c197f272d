#include "BenchBook.h"
#include "Measure.h"

#include "bookcare/DemoData.h"

#include "core/DM_1.h"
#include "core/Error.h"
#include "imaging/JpegCodec.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kelpora::bench {

namespace {

using kelpora::bookcare::DemoPictures;

QString file(const QString& dir, const char* name)
{
    return QDir(dir).filePath(QLatin1String(name));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw kelpora::Error(QStringLiteral("cannot write %1").arg(path));
}

constexpr QSize kPhotoSize(4032, 3024);
constexpr qint64 kPhotoTarget = 4 * 1024 * 1024;

// Grain strength is the one knob that sets a photo's JPEG size; a few secant steps on
// the first photo find the strength that lands near the target.
double tuneGrain(const QImage& clean, std::FILE* out)
{
    auto sizeAt = [&](double strength) {
        QImage grained = clean;
        kelpora::bookcare::addGrain(grained, 77, strength);
        return double(kelpora::JpegCodec::encode(grained).size());
    };
    double x0 = 4.0;
    double y0 = sizeAt(x0);
    double x1 = 8.0;
    double y1 = sizeAt(x1);
    for (int i = 0; i < 4 && std::abs(y1 - kPhotoTarget) > 0.03 * kPhotoTarget; ++i) {
        const double slope = (y1 - y0) / (x1 - x0);
        const double x2 = std::clamp(slope > 0 ? x1 + (kPhotoTarget - y1) / slope : x1 * 1.5, 0.5, 40.0);
        x0 = x1;
        y0 = y1;
        x1 = x2;
        y1 = sizeAt(x1);
    }
    std::fprintf(out, "   photo grain strength %.2f gives %.2f MB per photo\n", x1, mb(qint64(y1)));
    return x1;
}

} // namespace

void buildBenchBook(const QString& buildDir, int records, int heavyRecords)
{
    using namespace kelpora::bookcare;
    QElapsedTimer total;
    total.start();

    QElapsedTimer t;
    t.start();
    DemoPictures heavy;
    {
        const QImage first = drawPhoto(kPhotoSize, 1, 0.0);
        const double grain = tuneGrain(first, stdout);
        for (int i = 0; i < 4; ++i) {
            QImage photo = i == 0 ? first : drawPhoto(kPhotoSize, quint64(i) + 1, 0.0);
            addGrain(photo, quint64(i) + 900, grain);
            heavy.photos[size_t(i)] = kelpora::JpegCodec::encode(photo);
        }
    }
    heavy.map
        = kelpora::JpegCodec::encode(drawMap(QStringLiteral("館山"), QStringLiteral("沖堤防"), QSize(1600, 1200), 3));
    heavy.tideChart = bmpFile(drawTideChart(QDate(2024, 12, 1), QStringLiteral("館山")));
    const double pictureMs = ms(t);

    std::printf("   pictures of the last %d records:", heavyRecords);
    for (int i = 0; i < 4; ++i)
        std::printf(" photo%d %.2f MB,", i + 1, mb(heavy.photos[size_t(i)].size()));
    std::printf(" map 1600x1200 JPEG %.2f MB, tide chart 640x480 BMP %.2f MB (made in %.1f s)\n", mb(heavy.map.size()),
        mb(heavy.tideChart.size()), pictureMs / 1000);
    for (int i = 0; i < 4; ++i)
        writeFile(QDir(buildDir).filePath(QStringLiteral("photo%1.jpg").arg(i + 1)), heavy.photos[size_t(i)]);
    writeFile(file(buildDir, "map.jpg"), heavy.map);
    writeFile(file(buildDir, "chart.bmp"), heavy.tideChart);

    DemoOptions options;
    options.records = records;
    options.pictures = [&](int code) { return code > records - heavyRecords ? heavy : DemoPictures{}; };
    t.restart();
    createDemoDatabase(file(buildDir, TDM1::kFileName), options);
    const double insertMs = ms(t);
    std::printf("   inserting %d records: %.1f s; file %.1f MB\n", records, insertMs / 1000,
        mb(QFileInfo(file(buildDir, TDM1::kFileName)).size()));
    std::printf("   book built in %.1f s\n", ms(total) / 1000);
}

} // namespace kelpora::bench
