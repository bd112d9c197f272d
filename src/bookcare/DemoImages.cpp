#include "bookcare/DemoImages.h"

#include "bookcare/DemoBasics.h"

#include "core/Error.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <vector>

namespace kelpora::bookcare {

using demo::mix;
using demo::Rng;
using demo::uiFont;

namespace {

QColor mixColour(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
        float(a.greenF() + (b.greenF() - a.greenF()) * t), float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

void drawFish(QPainter& p, Rng& r, QPointF centre, double length, double angle)
{
    p.save();
    p.translate(centre);
    p.rotate(angle);
    const double h = length * r.between(0.22, 0.34);
    const double half = length / 2;
    QPainterPath body;
    body.moveTo(-half, 0);
    body.cubicTo(-half * 0.7, -h * 0.75, half * 0.35, -h * 0.7, half * 0.72, -h * 0.12);
    body.lineTo(half * 0.72, h * 0.12);
    body.cubicTo(half * 0.35, h * 0.62, -half * 0.7, h * 0.6, -half, 0);
    QPainterPath tail;
    tail.moveTo(half * 0.68, 0);
    tail.lineTo(half * 1.02, -h * 0.55);
    tail.quadTo(half * 0.92, 0, half * 1.02, h * 0.55);
    tail.closeSubpath();
    QPainterPath dorsal;
    dorsal.moveTo(-half * 0.25, -h * 0.46);
    dorsal.quadTo(half * 0.05, -h * 0.95, half * 0.42, -h * 0.32);
    dorsal.closeSubpath();

    const QColor back
        = QColor::fromHsvF(float(r.between(0.50, 0.62)), float(r.between(0.25, 0.55)), float(r.between(0.30, 0.55)));
    const QColor belly = QColor::fromHsvF(float(r.between(0.08, 0.15)), 0.08f, float(r.between(0.85, 0.96)));
    QLinearGradient skin(0, -h / 2, 0, h / 2);
    skin.setColorAt(0, back);
    skin.setColorAt(0.45, mixColour(back, belly, 0.6));
    skin.setColorAt(1, belly);
    const QPen outline(back.darker(170), length * 0.006);
    p.setPen(outline);
    p.setBrush(back.darker(120));
    p.drawPath(tail);
    p.drawPath(dorsal);
    p.setBrush(skin);
    p.drawPath(body);
    // Lateral line, a few scales' worth of sheen, the gill cover and the eye.
    p.setPen(QPen(back.darker(140), length * 0.004));
    p.drawLine(QPointF(-half * 0.62, -h * 0.05), QPointF(half * 0.66, -h * 0.02));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 14; ++i) {
        QColor sheen = Qt::white;
        sheen.setAlphaF(float(r.between(0.05, 0.18)));
        p.setBrush(sheen);
        p.drawEllipse(
            QPointF(r.between(-half * 0.5, half * 0.5), r.between(-h * 0.3, h * 0.25)), length * 0.03, length * 0.015);
    }
    p.setPen(QPen(back.darker(160), length * 0.005));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-half * 0.78, -h * 0.35, half * 0.3, h * 0.7), 60 * 16, -120 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0xe8, 0xc8));
    p.drawEllipse(QPointF(-half * 0.8, -h * 0.08), length * 0.028, length * 0.028);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-half * 0.8, -h * 0.08), length * 0.017, length * 0.017);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(-half * 0.805, -h * 0.092), length * 0.005, length * 0.005);
    p.restore();
}

// Where the sea begins and ends in a photo, and the colour of what the fish lies on.
struct PhotoScene {
    double horizon = 0;
    double shore = 0;
    QColor ground;
};

// Sky, sea and the deck or rocks the fish lies on.
PhotoScene paintBackdrop(QPainter& p, Rng& r, double w, double h)
{
    PhotoScene scene;
    scene.horizon = h * r.between(0.22, 0.38);
    const QColor sky
        = QColor::fromHsvF(float(r.between(0.54, 0.60)), float(r.between(0.25, 0.55)), float(r.between(0.80, 0.97)));
    const QColor sea
        = QColor::fromHsvF(float(r.between(0.52, 0.58)), float(r.between(0.45, 0.80)), float(r.between(0.35, 0.60)));
    scene.ground
        = QColor::fromHsvF(float(r.between(0.05, 0.12)), float(r.between(0.10, 0.35)), float(r.between(0.45, 0.75)));
    QLinearGradient skyGradient(0, 0, 0, scene.horizon);
    skyGradient.setColorAt(0, sky.darker(115));
    skyGradient.setColorAt(1, sky.lighter(112));
    p.fillRect(QRectF(0, 0, w, scene.horizon), skyGradient);
    scene.shore = scene.horizon + h * r.between(0.12, 0.22);
    QLinearGradient seaGradient(0, scene.horizon, 0, scene.shore);
    seaGradient.setColorAt(0, sea.lighter(120));
    seaGradient.setColorAt(1, sea.darker(115));
    p.fillRect(QRectF(0, scene.horizon, w, scene.shore - scene.horizon), seaGradient);
    QLinearGradient groundGradient(0, scene.shore, w * 0.3, h);
    groundGradient.setColorAt(0, scene.ground.lighter(110));
    groundGradient.setColorAt(1, scene.ground.darker(135));
    p.fillRect(QRectF(0, scene.shore, w, h - scene.shore), groundGradient);
    return scene;
}

// Ripples and glints on the water.
void paintRipples(QPainter& p, Rng& r, const PhotoScene& scene, double w, double h)
{
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        QColor glint = Qt::white;
        glint.setAlphaF(float(r.between(0.08, 0.35)));
        p.setBrush(glint);
        const double y = r.between(scene.horizon, scene.shore);
        p.drawEllipse(QPointF(r.between(0, w), y), w * r.between(0.01, 0.05), h * r.between(0.002, 0.006));
    }
}

void paintGround(QPainter& p, Rng& r, const PhotoScene& scene, double w, double h)
{
    // Soft light and shade over the ground: out-of-focus stones, a towel, a shadow.
    for (int i = 0; i < 10; ++i) {
        const QPointF c(r.between(0, w), r.between(scene.shore, h));
        const double radius = w * r.between(0.05, 0.2);
        QRadialGradient blob(c, radius);
        QColor inner = r.chance(0.5) ? scene.ground.lighter(int(r.between(110, 140)))
                                     : scene.ground.darker(int(r.between(115, 150)));
        inner.setAlphaF(float(r.between(0.25, 0.6)));
        QColor outer = inner;
        outer.setAlphaF(0);
        blob.setColorAt(0, inner);
        blob.setColorAt(1, outer);
        p.setBrush(blob);
        p.drawEllipse(c, radius, radius);
    }
    // Fine texture of the ground, like sand or a non-slip deck.
    for (int i = 0; i < 400; ++i) {
        QColor speck = r.chance(0.5) ? scene.ground.lighter(int(r.between(105, 125)))
                                     : scene.ground.darker(int(r.between(105, 130)));
        speck.setAlphaF(float(r.between(0.2, 0.6)));
        p.setBrush(speck);
        const double rad = w * r.between(0.001, 0.004);
        p.drawEllipse(QPointF(r.between(0, w), r.between(scene.shore, h)), rad, rad * r.between(0.5, 1.0));
    }
}

// The catch, with its shadow.
void paintCatch(QPainter& p, Rng& r, const PhotoScene& scene, double w, double h)
{
    const QPointF centre(w * r.between(0.42, 0.58), (scene.shore + h) / 2 + h * r.between(-0.05, 0.05));
    const double length = w * r.between(0.45, 0.65);
    const double angle = r.between(-12, 12);
    QColor shadow(0, 0, 0, 70);
    p.setBrush(shadow);
    p.save();
    p.translate(centre + QPointF(w * 0.01, h * 0.025));
    p.rotate(angle);
    p.drawEllipse(QPointF(0, 0), length * 0.5, length * 0.13);
    p.restore();
    drawFish(p, r, centre, length, angle);
}

// A coastline across a map, roughened by midpoint displacement, with a cape or a
// harbour mouth somewhere along it; the land lies below it.
constexpr int kCoastSegments = 64;

struct Coast {
    std::vector<double> heights;
    int capeAt = 0;
    QPolygonF shoreline;
};

Coast roughCoast(Rng& r, double w, double h)
{
    Coast c;
    std::vector<double>& coast = c.heights;
    coast.resize(kCoastSegments + 1);
    coast.front() = h * r.between(0.45, 0.65);
    coast.back() = h * r.between(0.45, 0.65);
    for (int span = kCoastSegments; span > 1; span /= 2) {
        const double rough = h * 0.18 * span / kCoastSegments;
        for (int i = span / 2; i < kCoastSegments; i += span)
            coast[size_t(i)]
                = (coast[size_t(i - span / 2)] + coast[size_t(i + span / 2)]) / 2 + r.between(-rough, rough);
    }
    // A cape or a harbour mouth somewhere along it.
    c.capeAt = r.range(kCoastSegments / 4, kCoastSegments * 3 / 4);
    for (int i = 0; i <= kCoastSegments; ++i) {
        const double d = double(i - c.capeAt) / 6.0;
        coast[size_t(i)] -= h * 0.14 * std::exp(-d * d);
    }
    for (int i = 0; i <= kCoastSegments; ++i)
        c.shoreline << QPointF(w * i / kCoastSegments, coast[size_t(i)]);
    return c;
}

void paintDepthLines(QPainter& p, const Coast& c, double h, double s)
{
    for (int k = 1; k <= 3; ++k) {
        QPolygonF contour = c.shoreline.translated(0, -h * 0.08 * k);
        p.setPen(QPen(QColor(0x7f, 0xb0, 0xd8), 1.2 * s, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(contour);
        p.setPen(QColor(0x50, 0x80, 0xb0));
        p.setFont(uiFont(10 * s));
        p.drawText(contour.at(8 + 12 * k) + QPointF(0, -3 * s), QStringLiteral("%1m").arg(5 * k));
    }
}

void paintLand(QPainter& p, Rng& r, const Coast& c, double w, double h, double s)
{
    QPolygonF land = c.shoreline;
    land << QPointF(w, h) << QPointF(0, h);
    p.setPen(QPen(QColor(0x8a, 0x7a, 0x5a), 2 * s));
    p.setBrush(QColor(0xef, 0xe9, 0xd6));
    p.drawPolygon(land);
    // Parks and fields inland.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(QColor(0xc8, 0xdf, 0xb0));
        const double x = r.between(0, w);
        const double y
            = std::max(c.heights[size_t(std::clamp(int(x / w * kCoastSegments), 0, kCoastSegments))] + h * 0.08,
                r.between(h * 0.7, h));
        p.drawEllipse(QPointF(x, y), w * r.between(0.04, 0.1), h * r.between(0.03, 0.07));
    }
    // The coast road and two side roads.
    QPolygonF road = c.shoreline.translated(0, h * 0.07);
    for (const double width : {7.0, 4.5}) {
        p.setPen(QPen(
            width > 5 ? QColor(0xb0, 0xa0, 0x80) : QColor(0xff, 0xf4, 0xc0), width * s, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(road);
        for (int k = 0; k < 2; ++k) {
            const QPointF from = road.at(10 + 30 * k);
            p.drawLine(from, QPointF(from.x() + r.between(-60, 60) * s, h));
        }
    }
}

// The breakwater at the cape, the marker pin at its tip and the spot's name beside it.
void paintSpot(QPainter& p, Rng& r, const Coast& c, const QString& text, double w, double s)
{
    const QPointF root = c.shoreline.at(c.capeAt);
    const QPointF tip = root + QPointF(r.between(-90, 90) * s, -r.between(70, 130) * s);
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 6 * s, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(root, tip);

    // Marker pin.
    QPainterPath pin;
    pin.moveTo(tip);
    pin.cubicTo(tip + QPointF(-14 * s, -18 * s), tip + QPointF(-12 * s, -34 * s), tip + QPointF(0, -34 * s));
    pin.cubicTo(tip + QPointF(12 * s, -34 * s), tip + QPointF(14 * s, -18 * s), tip);
    p.setPen(QPen(QColor(0x90, 0x10, 0x10), 1.5 * s));
    p.setBrush(QColor(0xe0, 0x28, 0x28));
    p.drawPath(pin);
    p.setBrush(Qt::white);
    p.drawEllipse(tip + QPointF(0, -24 * s), 4.5 * s, 4.5 * s);

    // Label beside it.
    p.setFont(uiFont(18 * s, true));
    const QFontMetricsF fm(p.font());
    QRectF box(tip + QPointF(14 * s, -48 * s), QSizeF(fm.horizontalAdvance(text) + 16 * s, fm.height() + 8 * s));
    if (box.right() > w - 4 * s)
        box.moveRight(tip.x() - 14 * s);
    box.moveTop(std::max(box.top(), 4 * s));
    p.setPen(QPen(QColor(0x90, 0x10, 0x10), 1.5 * s));
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRoundedRect(box, 4 * s, 4 * s);
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignCenter, text);
}

void paintNorthAndScale(QPainter& p, double w, double h, double s)
{
    const QPointF north(w - 40 * s, 50 * s);
    QPolygonF arrow;
    arrow << north + QPointF(0, -28 * s) << north + QPointF(10 * s, 10 * s) << north
          << north + QPointF(-10 * s, 10 * s);
    p.setPen(QPen(Qt::black, 1.2 * s));
    p.setBrush(Qt::black);
    p.drawPolygon(arrow);
    p.setFont(uiFont(14 * s, true));
    p.drawText(QRectF(north.x() - 12 * s, north.y() + 10 * s, 24 * s, 20 * s), Qt::AlignCenter, QStringLiteral("N"));
    const QPointF scale(20 * s, h - 24 * s);
    p.setPen(QPen(Qt::black, 2 * s));
    p.drawLine(scale, scale + QPointF(100 * s, 0));
    p.drawLine(scale + QPointF(0, -5 * s), scale + QPointF(0, 5 * s));
    p.drawLine(scale + QPointF(100 * s, -5 * s), scale + QPointF(100 * s, 5 * s));
    p.setFont(uiFont(11 * s));
    p.drawText(QRectF(scale.x(), scale.y() - 20 * s, 100 * s, 14 * s), Qt::AlignCenter, QStringLiteral("200m"));
}

} // namespace

// Independent grain on every pixel, stronger in brightness than in colour, like a
// small camera sensor; it is what gives the JPEG of a photo its realistic size.
void addGrain(QImage& image, quint64 seed, double strength)
{
    if (strength <= 0)
        return;
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    const int luma = int(std::lround(strength * 2 * 256 / 255));
    const int chroma = std::max(1, luma / 3);
    quint64 state = seed | 1;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            const auto r = quint32(state);
            const auto r2 = quint32(state >> 32);
            // Sums of two bytes: a triangular spread around zero.
            const int n = (int(r & 0xff) + int((r >> 8) & 0xff) - 255) * luma / 256;
            const int cr = (int((r >> 16) & 0xff) - 128) * chroma / 128;
            const int cb = (int((r >> 24) & 0xff) - 128) * chroma / 128;
            const int cg = (int(r2 & 0xff) - 128) * chroma / 128;
            const QRgb px = line[x];
            line[x] = qRgb(std::clamp(qRed(px) + n + cr, 0, 255), std::clamp(qGreen(px) + n + cg, 0, 255),
                std::clamp(qBlue(px) + n + cb, 0, 255));
        }
    }
}

QImage drawPhoto(QSize size, quint64 seed, double noise)
{
    Rng r(mix(seed, 0x70686f746full));
    QImage image(size, QImage::Format_RGB32);
    const double w = size.width();
    const double h = size.height();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const PhotoScene scene = paintBackdrop(p, r, w, h);
    paintRipples(p, r, scene, w, h);
    paintGround(p, r, scene, w, h);
    paintCatch(p, r, scene, w, h);
    p.end();

    addGrain(image, mix(seed, 0x677261696eull), noise);
    return image;
}

QImage drawMap(const QString& place, const QString& point, QSize size, quint64 seed)
{
    Rng r(mix(seed, 0x6d6170ull));
    const double w = size.width();
    const double h = size.height();
    const double s = w / 800.0;
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0xa9, 0xd3, 0xee));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const Coast coast = roughCoast(r, w, h);
    paintDepthLines(p, coast, h, s);
    paintLand(p, r, coast, w, h, s);
    paintSpot(p, r, coast, point.isEmpty() ? place : place + QStringLiteral("　") + point, w, s);
    paintNorthAndScale(p, w, h, s);
    p.end();
    return image;
}

QByteArray bmpFile(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        throw Error(QStringLiteral("BMP を作れませんでした"));
    return bytes;
}

} // namespace kelpora::bookcare
