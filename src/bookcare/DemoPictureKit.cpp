#include "bookcare/DemoPictureKit.h"

#include "bookcare/DemoBasics.h"
#include "bookcare/DemoImages.h"
#include "bookcare/DemoTideChart.h"
#include "bookcare/DemoWorld.h"

#include "imaging/JpegCodec.h"

namespace kelpora::bookcare::demo {

const QByteArray& PictureKit::photo(int index)
{
    QByteArray& bytes = m_photos[size_t(index)];
    if (bytes.isEmpty())
        bytes = JpegCodec::encode(drawPhoto(QSize(800, 600), mix(m_seed, quint64(index) + 100), 3.0));
    return bytes;
}

const QByteArray& PictureKit::map(int placeIndex)
{
    QByteArray& bytes = m_maps[placeIndex];
    if (bytes.isEmpty()) {
        const Place& place = places()[size_t(placeIndex)];
        bytes = JpegCodec::encode(
            drawMap(u(place.name), u(place.points[0]), QSize(800, 600), mix(m_seed, quint64(placeIndex) + 200)));
    }
    return bytes;
}

QByteArray PictureKit::tideChart(const Port& port, const QDate& day, bool asBitmap)
{
    const QImage chart = renderTideChart(port, day, kChartSize);
    return asBitmap ? bmpFile(chart) : JpegCodec::encode(chart);
}

} // namespace kelpora::bookcare::demo
