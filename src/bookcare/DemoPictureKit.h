#pragma once

#include <QByteArray>
#include <QDate>
#include <QSize>
#include <QtGlobal>

#include <array>
#include <map>

// Pictures are made once and their bytes reused, except the tide chart, which belongs
// to its day and port and is drawn for each record that has one.
namespace kelpora::bookcare::demo {

struct Port;

class PictureKit {
public:
    explicit PictureKit(quint64 seed) : m_seed(seed) { }

    // One of kPhotoCount photos, as JPEG.
    const QByteArray& photo(int index);
    // The map of the place at that index of the world's places, as JPEG.
    const QByteArray& map(int placeIndex);
    QByteArray tideChart(const Port& port, const QDate& day, bool asBitmap);

    static constexpr int kPhotoCount = 6;
    static constexpr QSize kChartSize{640, 480};

private:
    quint64 m_seed;
    std::array<QByteArray, kPhotoCount> m_photos;
    std::map<int, QByteArray> m_maps;
};

} // namespace kelpora::bookcare::demo
