#include "bookcare/DemoTideChart.h"

#include "bookcare/DemoBasics.h"
#include "bookcare/DemoTide.h"
#include "bookcare/DemoWorld.h"

#include <QPainter>
#include <QPainterPath>

namespace kelpora::bookcare {

namespace demo {

ChartLayout chartLayout(const Port& port, const QDate& day, QSize size)
{
    double lo = 1e9;
    double hi = -1e9;
    for (int m = 0; m <= 1440; m += 10) {
        const double v = tideLevel(port, hoursSinceEpoch(day, m));
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    ChartLayout l;
    const double s = size.width() / 640.0;
    l.plot = QRectF(58 * s, 56 * s, size.width() - 82 * s, size.height() - 56 * s - 52 * s);
    l.bottomCm = std::floor((lo - 15) / 50.0) * 50.0;
    l.topCm = std::ceil((hi + 15) / 50.0) * 50.0;
    return l;
}

namespace {

void drawHeading(QPainter& p, const Port& port, const QDate& day, QSize size)
{
    const double s = size.width() / 640.0;
    const TideDay tide = tideDayOf(day);
    static const char* const kWeekdays[] = {"月", "火", "水", "木", "金", "土", "日"};
    p.setPen(Qt::black);
    p.setFont(uiFont(17 * s, true));
    p.drawText(QRectF(12 * s, 8 * s, size.width() - 24 * s, 26 * s), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("潮汐  %1（%2）  %3")
            .arg(day.toString(QStringLiteral("yyyy/MM/dd")), u(kWeekdays[day.dayOfWeek() - 1]), u(port.name)));
    p.setFont(uiFont(13 * s));
    p.drawText(QRectF(12 * s, 8 * s, size.width() - 24 * s, 26 * s), Qt::AlignRight | Qt::AlignVCenter,
        QStringLiteral("%1  旧暦 %2  月齢 %3").arg(tide.tideName, tide.lunarText).arg(tide.moonAge, 0, 'f', 1));
}

void drawGrid(QPainter& p, const ChartLayout& l, double s)
{
    p.setFont(uiFont(11 * s));
    for (double cm = l.bottomCm; cm <= l.topCm + 0.1; cm += 50) {
        const double y = l.y(cm);
        p.setPen(QPen(QColor(0xd8, 0xd8, 0xd8), 1 * s));
        p.drawLine(QPointF(l.plot.left(), y), QPointF(l.plot.right(), y));
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.drawText(QRectF(0, y - 8 * s, l.plot.left() - 6 * s, 16 * s), Qt::AlignRight | Qt::AlignVCenter,
            QString::number(int(cm)));
    }
    p.drawText(QRectF(4 * s, l.plot.top() - 22 * s, 50 * s, 16 * s), Qt::AlignLeft, QStringLiteral("(cm)"));
    for (int hour = 0; hour <= 24; ++hour) {
        const double x = l.x(hour * 60);
        if (hour % 3 == 0) {
            p.setPen(QPen(QColor(0xe4, 0xe4, 0xe4), 1 * s));
            p.drawLine(QPointF(x, l.plot.top()), QPointF(x, l.plot.bottom()));
            p.setPen(QColor(0x40, 0x40, 0x40));
            p.drawText(
                QRectF(x - 20 * s, l.plot.bottom() + 8 * s, 40 * s, 16 * s), Qt::AlignCenter, QString::number(hour));
        }
        p.setPen(QPen(Qt::black, 1 * s));
        const double tick = (hour % 3 == 0 ? 7 : 4) * s;
        p.drawLine(QPointF(x, l.plot.bottom()), QPointF(x, l.plot.bottom() + tick));
    }
    p.drawText(QRectF(l.plot.right() - 60 * s, l.plot.bottom() + 26 * s, 60 * s, 16 * s), Qt::AlignRight,
        QStringLiteral("(時)"));
    p.setPen(QPen(Qt::black, 1.5 * s));
    p.drawLine(l.plot.bottomLeft(), l.plot.bottomRight());
    p.drawLine(l.plot.bottomLeft(), l.plot.topLeft());
}

// The curve, with the water under it.
void drawCurve(QPainter& p, const Port& port, const QDate& day, const ChartLayout& l, double s)
{
    QPainterPath curve;
    for (int m = 0; m <= 1440; m += 5) {
        const QPointF pt(l.x(m), l.y(tideLevel(port, hoursSinceEpoch(day, m))));
        if (m == 0)
            curve.moveTo(pt);
        else
            curve.lineTo(pt);
    }
    QPainterPath water = curve;
    water.lineTo(l.plot.bottomRight());
    water.lineTo(l.plot.bottomLeft());
    water.closeSubpath();
    p.fillPath(water, QColor(0xcf, 0xe6, 0xf8));
    p.strokePath(curve, QPen(QColor(0x10, 0x50, 0xb0), 2.2 * s));
}

// High and low waters, as the tide table lists them.
void drawExtremes(QPainter& p, const Port& port, const QDate& day, const ChartLayout& l, double s)
{
    p.setFont(uiFont(11 * s));
    for (const Extreme& e : tideExtremes(port, day)) {
        const QPointF at(l.x(e.minute), l.y(e.height));
        p.setPen(Qt::NoPen);
        p.setBrush(e.high ? QColor(0xd0, 0x30, 0x30) : QColor(0x20, 0x70, 0x20));
        p.drawEllipse(at, 3.5 * s, 3.5 * s);
        p.setPen(QColor(0x20, 0x20, 0x20));
        // Kept inside the plot, so a low just after midnight does not write over the axis.
        const double left = std::clamp(at.x() - 40 * s, l.plot.left() + 2 * s, l.plot.right() - 82 * s);
        const QRectF box(left, e.high ? at.y() - 34 * s : at.y() + 6 * s, 80 * s, 28 * s);
        p.drawText(box, Qt::AlignCenter,
            QStringLiteral("%1 %2\n%3cm")
                .arg(e.high ? QStringLiteral("満") : QStringLiteral("干"), hhmm(e.minute), QString::number(e.height)));
    }
}

} // namespace

QImage renderTideChart(const Port& port, const QDate& day, QSize size)
{
    const ChartLayout l = chartLayout(port, day, size);
    const double s = size.width() / 640.0;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawHeading(p, port, day, size);
    drawGrid(p, l, s);
    drawCurve(p, port, day, l, s);
    drawExtremes(p, port, day, l, s);
    p.end();
    return image;
}

} // namespace demo

QImage drawTideChart(const QDate& day, const QString& port, QSize size)
{
    return demo::renderTideChart(demo::portNamed(port), day, size);
}

} // namespace kelpora::bookcare
