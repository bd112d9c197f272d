#pragma once

#include <QDate>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

namespace kelpora::bookcare {

// A chart of the day's tide at a reference port, as a tide table program prints it.
QImage drawTideChart(const QDate& day, const QString& port, QSize size = QSize(640, 480));

} // namespace kelpora::bookcare

// Where on the tide chart a moment of the day lies; the marks need the same geometry
// the drawing used.
namespace kelpora::bookcare::demo {

struct Port;

struct ChartLayout {
    QRectF plot;
    double bottomCm = 0;
    double topCm = 0;

    double x(double minute) const { return plot.left() + plot.width() * minute / 1440.0; }
    double y(double cm) const { return plot.bottom() - plot.height() * (cm - bottomCm) / (topCm - bottomCm); }
};

ChartLayout chartLayout(const Port& port, const QDate& day, QSize size);

QImage renderTideChart(const Port& port, const QDate& day, QSize size);

} // namespace kelpora::bookcare::demo
