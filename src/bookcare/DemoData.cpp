#include "bookcare/DemoData.h"

#include "bookcare/CatchDatabase.h"

#include "core/CatchRecord.h"
#include "core/Connection.h"
#include "core/Error.h"
#include "core/SjisCodec.h"
#include "core/SqlQuery.h"
#include "pictures/JpegCodec.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace kelpora::bookcare {

namespace {

constexpr double kPi = 3.14159265358979323846;

// splitmix64: tiny, and unlike the standard distributions its output is the same with
// every compiler and library, which is what makes the book repeatable.
class Rng {
public:
    explicit Rng(quint64 seed) : m_state(seed) { }

    quint64 next()
    {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // lo..hi, both included.
    int range(int lo, int hi) { return lo + int(next() % quint64(hi - lo + 1)); }
    double between(double lo, double hi) { return lo + (hi - lo) * unit(); }
    bool chance(double p) { return unit() < p; }

private:
    quint64 m_state;
};

quint64 mix(quint64 a, quint64 b)
{
    return Rng(a ^ (b * 0xd6e8feb86659fd93ull)).next();
}

QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// ---------------------------------------------------------------------------
// The world the outings happen in: the Boso and Miura coasts and their tide stations.

struct Port {
    const char* name;
    double meanLevel; // cm above chart datum
    double m2; // principal lunar half-day tide, cm
    double s2; // principal solar half-day tide, cm
    double diurnal; // the day-long tide that makes the two highs of a day differ, cm
    int intervalMinutes; // from the moon's transit to high water
};

constexpr Port kPorts[] = {
    {"館山", 95, 36, 17, 12, 290},
    {"布良", 90, 34, 16, 12, 280},
    {"油壺", 100, 37, 18, 12, 295},
    {"横須賀", 110, 47, 23, 13, 305},
    {"千葉", 120, 54, 26, 14, 320},
    {"勝浦", 90, 33, 16, 12, 275},
    {"銚子漁港", 80, 30, 14, 11, 265},
};

struct Place {
    const char* name;
    int port; // index into kPorts
    const char* points[4];
};

constexpr Place kPlaces[] = {
    {"館山", 0, {"沖堤防", "夕日桟橋", "船", "磯"}},
    {"富津", 4, {"富津岬", "新富津漁港", "船", "サーフ"}},
    {"城ヶ島", 2, {"磯", "赤羽根崎", "船", "白秋碑前"}},
    {"三崎", 2, {"港内", "岸壁", "船", "防波堤"}},
    {"鴨川", 5, {"磯", "堤防先端", "船", "ゴロタ浜"}},
    {"銚子", 6, {"外川港", "黒生堤防", "船", "河口"}},
    {"勝浦", 5, {"興津港", "磯", "船", "防波堤"}},
    {"大原", 5, {"大原港", "船", "サーフ", "テトラ帯"}},
    {"保田", 0, {"保田港", "磯", "船", "堤防"}},
    {"金谷", 3, {"金谷港", "磯", "船", "テトラ帯"}},
    {"木更津", 4, {"木更津港", "河口", "盤洲干潟", "岸壁"}},
    {"横須賀", 3, {"うみかぜ公園", "海辺つり公園", "船", "岸壁"}},
};

enum class Style { Sabiki, Fukase, Lure, Dotsuki, Nage };

struct Species {
    const char* name;
    int smallest; // cm
    int largest;
    int mostCaught;
    Style style;
};

constexpr Species kSpecies[] = {
    {"アジ", 12, 32, 40, Style::Sabiki},
    {"メバル", 12, 28, 15, Style::Lure},
    {"クロダイ", 25, 55, 3, Style::Fukase},
    {"シーバス", 35, 85, 4, Style::Lure},
    {"カサゴ", 12, 30, 12, Style::Dotsuki},
    {"イシモチ", 15, 38, 10, Style::Nage},
    {"シロギス", 12, 26, 30, Style::Nage},
    {"メジナ", 20, 45, 8, Style::Fukase},
    {"カワハギ", 12, 28, 15, Style::Dotsuki},
    {"イナダ", 35, 60, 6, Style::Lure},
    {"マダイ", 25, 65, 4, Style::Dotsuki},
    {"ハゼ", 8, 18, 60, Style::Nage},
    {"サバ", 20, 42, 25, Style::Sabiki},
    {"ヒラメ", 35, 75, 2, Style::Lure},
    {"カレイ", 18, 40, 6, Style::Nage},
    {"アオリイカ", 15, 40, 4, Style::Lure},
};

constexpr const char* kWeather[] = {"晴れ", "晴れ", "晴れ", "晴れ", "晴れ", "曇り", "曇り", "曇り", "快晴", "快晴",
    "晴れ時々曇り", "晴れ時々曇り", "曇り時々雨", "小雨", "雨", "強風", "霧"};

// Tackle notes by style; the first line (the rod) always comes first.
constexpr const char* kSabiki[] = {"竿：磯竿3号 4.5m", "リール：スピニング3000番", "道糸：ナイロン3号",
    "仕掛け：サビキ6本針 針4号", "カゴ：下カゴ 8号", "コマセ：アミエビ"};
constexpr const char* kFukase[] = {"竿：磯竿1.5号 5.3m", "道糸：ナイロン2.5号", "ハリス：フロロ1.75号 3m",
    "ウキ：円錐ウキ B", "針：チヌ針2号", "餌：オキアミ生", "コマセ：オキアミ3kg＋配合餌"};
constexpr const char* kLure[] = {"ロッド：シーバスロッド 9.6ft", "リール：スピニング4000番",
    "ライン：PE1号＋リーダー20lb", "ルアー：ミノー 12cm", "ルアー：バイブレーション 26g", "ルアー：メタルジグ 30g"};
constexpr const char* kDotsuki[] = {"竿：船竿 1.8m 30号負荷", "リール：小型両軸", "道糸：PE2号",
    "仕掛け：胴突き2本針 ハリス3号", "オモリ：30号", "餌：サバの切り身"};
constexpr const char* kNage[] = {"竿：投げ竿 4.05m 27号", "リール：投げ専用", "道糸：PE1.5号＋力糸",
    "仕掛け：天秤 2本針", "針：キス針7号", "餌：青イソメ"};

constexpr const char* kNotes[] = {"朝まずめに時合いあり。", "潮止まり前後は反応なし。", "北風が強く釣りにくかった。",
    "上げ潮に変わってから連発。", "餌取りが多く苦戦。", "常連さんによると今年は型が良いとのこと。",
    "帰りに釣具店で餌を補充。", "ナブラが出たがルアーは届かず。", "駐車場は満車で少し歩いた。",
    "水温が低めで食い渋り。", "夕まずめに入れ食い。", "根掛かりで仕掛けを3組ロスト。", "波が高く早めに撤収。",
    "隣の人はクロダイを上げていた。", "下げ潮で潮が澄んでから当たりが出た。", "小型はリリース。",
    "次回はもう少し沖目を狙う。", "日の出前に到着、先行者2名。"};

// ---------------------------------------------------------------------------
// Tides: the two half-day tides of moon and sun and a day-long one, enough to give
// springs at new and full moon, neaps between, and two unequal highs a day.

constexpr double kSynodicMonth = 29.530588853; // days
constexpr double kTropicalMonth = 27.321582; // days
constexpr double kNewMoonHours = 147.233; // 2000-01-07 03:14 JST, hours after 2000-01-01 00:00 JST

double hoursSinceEpoch(const QDate& day, double minute)
{
    return double(QDate(2000, 1, 1).daysTo(day)) * 24.0 + minute / 60.0;
}

double moonAgeDays(double hours)
{
    double age = std::fmod((hours - kNewMoonHours) / 24.0, kSynodicMonth);
    return age < 0 ? age + kSynodicMonth : age;
}

double tideLevel(const Port& port, double hours)
{
    const double solar = 2 * kPi * (std::fmod(hours, 24.0) - 12.0) / 24.0;
    const double lunar = solar - 2 * kPi * moonAgeDays(hours) / kSynodicMonth;
    const double g = 2 * 2 * kPi * (port.intervalMinutes / 60.0) / 24.84;
    // Springs follow new and full moon by about a day and a half.
    const double springLag = 4 * kPi * 1.5 / kSynodicMonth;
    const double declination = std::sin(2 * kPi * (hours / 24.0) / kTropicalMonth + 0.3);
    return port.meanLevel + port.m2 * std::cos(2 * lunar - g) + port.s2 * std::cos(2 * solar - g - springLag)
        + port.diurnal * declination * std::cos(lunar - g / 2 - 0.8);
}

struct Extreme {
    int minute;
    int height;
    bool high;
};

std::vector<Extreme> tideExtremes(const Port& port, const QDate& day)
{
    constexpr int step = 5;
    constexpr int from = -180;
    constexpr int to = 1440 + 180;
    std::vector<double> v;
    for (int m = from; m <= to; m += step)
        v.push_back(tideLevel(port, hoursSinceEpoch(day, m)));
    std::vector<Extreme> out;
    for (size_t i = 1; i + 1 < v.size(); ++i) {
        const bool high = v[i] > v[i - 1] && v[i] >= v[i + 1];
        const bool low = v[i] < v[i - 1] && v[i] <= v[i + 1];
        if (!high && !low)
            continue;
        const double curvature = v[i - 1] - 2 * v[i] + v[i + 1];
        const double offset = curvature != 0 ? 0.5 * (v[i - 1] - v[i + 1]) / curvature : 0.0;
        const double minute = from + (double(i) + offset) * step;
        const int rounded = int(std::lround(minute));
        if (rounded < 0 || rounded >= 1440)
            continue;
        out.push_back({rounded, int(std::lround(tideLevel(port, hoursSinceEpoch(day, minute)))), high});
    }
    return out;
}

struct LunarDate {
    int month;
    int day;
};

// Near enough for a fishing log: the month is counted from the new moon that began it,
// with no leap months.
LunarDate lunarDate(const QDate& day)
{
    const double age = moonAgeDays(hoursSinceEpoch(day, 12 * 60));
    const int lunarDay = std::clamp(int(age) + 1, 1, 30);
    const QDate newMoon = day.addDays(-(lunarDay - 1));
    return {(newMoon.month() + 10) % 12 + 1, lunarDay};
}

const char* tideType(int lunarDay)
{
    static constexpr const char* kByDay[31] = {"", "大潮", "大潮", "大潮", "中潮", "中潮", "中潮", "小潮", "小潮",
        "小潮", "長潮", "若潮", "中潮", "中潮", "大潮", "大潮", "大潮", "大潮", "中潮", "中潮", "中潮", "中潮", "小潮",
        "小潮", "小潮", "長潮", "若潮", "中潮", "中潮", "大潮", "大潮"};
    return kByDay[std::clamp(lunarDay, 1, 30)];
}

QString hhmm(int minute)
{
    return QStringLiteral("%1:%2").arg(minute / 60, 2, 10, QLatin1Char('0')).arg(minute % 60, 2, 10, QLatin1Char('0'));
}

const Port& portNamed(const QString& name)
{
    for (const Port& p : kPorts)
        if (name == u(p.name))
            return p;
    return kPorts[0];
}

// ---------------------------------------------------------------------------
// The tide chart and where on it a moment of the day lies; the marks need the same
// geometry the drawing used.

struct ChartLayout {
    QRectF plot;
    double bottomCm = 0;
    double topCm = 0;

    double x(double minute) const { return plot.left() + plot.width() * minute / 1440.0; }
    double y(double cm) const { return plot.bottom() - plot.height() * (cm - bottomCm) / (topCm - bottomCm); }
};

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

QFont uiFont(double pixelSize, bool bold = false)
{
    QFont f(QStringLiteral("IPAGothic"));
    f.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    f.setBold(bold);
    return f;
}

QImage renderTideChart(const Port& port, const QDate& day, QSize size)
{
    const ChartLayout l = chartLayout(port, day, size);
    const double s = size.width() / 640.0;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const LunarDate lunar = lunarDate(day);
    static const char* const kWeekdays[] = {"月", "火", "水", "木", "金", "土", "日"};
    p.setPen(Qt::black);
    p.setFont(uiFont(17 * s, true));
    p.drawText(QRectF(12 * s, 8 * s, size.width() - 24 * s, 26 * s), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("潮汐  %1（%2）  %3")
            .arg(day.toString(QStringLiteral("yyyy/MM/dd")), u(kWeekdays[day.dayOfWeek() - 1]), u(port.name)));
    p.setFont(uiFont(13 * s));
    p.drawText(QRectF(12 * s, 8 * s, size.width() - 24 * s, 26 * s), Qt::AlignRight | Qt::AlignVCenter,
        QStringLiteral("%1  旧暦 %2/%3  月齢 %4")
            .arg(u(tideType(lunar.day)))
            .arg(lunar.month)
            .arg(lunar.day)
            .arg(moonAgeDays(hoursSinceEpoch(day, 12 * 60)), 0, 'f', 1));

    // Grid and axes.
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

    // The curve, with the water under it.
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

    // High and low waters, as the tide table lists them.
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
    p.end();
    return image;
}

// ---------------------------------------------------------------------------
// Photos and maps.

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

    // Sky, sea and the deck or rocks the fish lies on.
    const double horizon = h * r.between(0.22, 0.38);
    const QColor sky
        = QColor::fromHsvF(float(r.between(0.54, 0.60)), float(r.between(0.25, 0.55)), float(r.between(0.80, 0.97)));
    const QColor sea
        = QColor::fromHsvF(float(r.between(0.52, 0.58)), float(r.between(0.45, 0.80)), float(r.between(0.35, 0.60)));
    const QColor ground
        = QColor::fromHsvF(float(r.between(0.05, 0.12)), float(r.between(0.10, 0.35)), float(r.between(0.45, 0.75)));
    QLinearGradient skyGradient(0, 0, 0, horizon);
    skyGradient.setColorAt(0, sky.darker(115));
    skyGradient.setColorAt(1, sky.lighter(112));
    p.fillRect(QRectF(0, 0, w, horizon), skyGradient);
    const double shore = horizon + h * r.between(0.12, 0.22);
    QLinearGradient seaGradient(0, horizon, 0, shore);
    seaGradient.setColorAt(0, sea.lighter(120));
    seaGradient.setColorAt(1, sea.darker(115));
    p.fillRect(QRectF(0, horizon, w, shore - horizon), seaGradient);
    QLinearGradient groundGradient(0, shore, w * 0.3, h);
    groundGradient.setColorAt(0, ground.lighter(110));
    groundGradient.setColorAt(1, ground.darker(135));
    p.fillRect(QRectF(0, shore, w, h - shore), groundGradient);

    // Ripples and glints on the water.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        QColor glint = Qt::white;
        glint.setAlphaF(float(r.between(0.08, 0.35)));
        p.setBrush(glint);
        const double y = r.between(horizon, shore);
        p.drawEllipse(QPointF(r.between(0, w), y), w * r.between(0.01, 0.05), h * r.between(0.002, 0.006));
    }
    // Soft light and shade over the ground: out-of-focus stones, a towel, a shadow.
    for (int i = 0; i < 10; ++i) {
        const QPointF c(r.between(0, w), r.between(shore, h));
        const double radius = w * r.between(0.05, 0.2);
        QRadialGradient blob(c, radius);
        QColor inner
            = r.chance(0.5) ? ground.lighter(int(r.between(110, 140))) : ground.darker(int(r.between(115, 150)));
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
        QColor speck
            = r.chance(0.5) ? ground.lighter(int(r.between(105, 125))) : ground.darker(int(r.between(105, 130)));
        speck.setAlphaF(float(r.between(0.2, 0.6)));
        p.setBrush(speck);
        const double rad = w * r.between(0.001, 0.004);
        p.drawEllipse(QPointF(r.between(0, w), r.between(shore, h)), rad, rad * r.between(0.5, 1.0));
    }

    // The catch, with its shadow.
    const QPointF centre(w * r.between(0.42, 0.58), (shore + h) / 2 + h * r.between(-0.05, 0.05));
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

    // A coastline across the picture, roughened by midpoint displacement, land below it.
    const int segments = 64;
    std::vector<double> coast(segments + 1);
    coast.front() = h * r.between(0.45, 0.65);
    coast.back() = h * r.between(0.45, 0.65);
    for (int span = segments; span > 1; span /= 2) {
        const double rough = h * 0.18 * span / segments;
        for (int i = span / 2; i < segments; i += span)
            coast[size_t(i)]
                = (coast[size_t(i - span / 2)] + coast[size_t(i + span / 2)]) / 2 + r.between(-rough, rough);
    }
    // A cape or a harbour mouth somewhere along it.
    const int capeAt = r.range(segments / 4, segments * 3 / 4);
    for (int i = 0; i <= segments; ++i) {
        const double d = double(i - capeAt) / 6.0;
        coast[size_t(i)] -= h * 0.14 * std::exp(-d * d);
    }
    QPolygonF shoreline;
    for (int i = 0; i <= segments; ++i)
        shoreline << QPointF(w * i / segments, coast[size_t(i)]);

    // Depth lines offshore.
    for (int k = 1; k <= 3; ++k) {
        QPolygonF contour = shoreline.translated(0, -h * 0.08 * k);
        p.setPen(QPen(QColor(0x7f, 0xb0, 0xd8), 1.2 * s, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(contour);
        p.setPen(QColor(0x50, 0x80, 0xb0));
        p.setFont(uiFont(10 * s));
        p.drawText(contour.at(8 + 12 * k) + QPointF(0, -3 * s), QStringLiteral("%1m").arg(5 * k));
    }

    QPolygonF land = shoreline;
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
            = std::max(coast[size_t(std::clamp(int(x / w * segments), 0, segments))] + h * 0.08, r.between(h * 0.7, h));
        p.drawEllipse(QPointF(x, y), w * r.between(0.04, 0.1), h * r.between(0.03, 0.07));
    }
    // The coast road and two side roads.
    QPolygonF road = shoreline.translated(0, h * 0.07);
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

    // The breakwater the marker sits on.
    const QPointF root = shoreline.at(capeAt);
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
    const QString text = point.isEmpty() ? place : place + QStringLiteral("　") + point;
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

    // North arrow and scale.
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
    p.end();
    return image;
}

QImage drawTideChart(const QDate& day, const QString& port, QSize size)
{
    return renderTideChart(portNamed(port), day, size);
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

bool DemoPictures::isEmpty() const
{
    return tideChart.isEmpty() && map.isEmpty()
        && std::all_of(photos.begin(), photos.end(), [](const QByteArray& b) { return b.isEmpty(); });
}

int defaultPicturesEvery(int records)
{
    // About a hundred records with pictures at most: a big book stays a file of a few
    // hundred megabytes at worst, and small books still get several.
    return std::max(5, records / 100);
}

namespace {

// ---------------------------------------------------------------------------
// One outing.

struct Catch {
    std::optional<QString> name; // nullopt: NULL
    std::optional<int> largest;
    std::optional<int> smallest;
    std::optional<int> count;
};

struct Marks {
    int values[12] = {};
};

struct Outing {
    int code = 0;
    QDate day;
    QString weather;
    QString point;
    QString place;
    QString tideType;
    QString port;
    QString lunar;
    std::optional<QString> highs[2];
    std::optional<int> highHeights[2];
    std::optional<QString> lows[2];
    std::optional<int> lowHeights[2];
    Catch fish[3];
    QStringList tackle;
    QStringList notes;
    Marks marks;
    DemoPictures pictures;
};

QDate dayOf(int code, int records, Rng& r)
{
    // Spread over four years, never going back: each record has its own slot of days.
    const QDate first(2021, 1, 1);
    const qint64 span = first.daysTo(QDate(2025, 1, 1));
    const double slot = double(span) / records;
    return first.addDays(qint64(std::floor((code - 1 + r.unit() * 0.999) * slot)));
}

Catch caught(Rng& r, const Species& sp)
{
    Catch c;
    c.name = u(sp.name);
    const double skew = r.unit();
    const int count = 1 + int(skew * skew * sp.mostCaught);
    const int largest = r.range(sp.smallest, sp.largest);
    const int smallest = count == 1 ? largest : r.range(sp.smallest, largest);
    const double roll = r.unit();
    if (roll < 0.08) {
        // Not measured: only counted.
    } else if (roll < 0.12) {
        c.largest = largest; // only the big one was measured
    } else {
        c.largest = largest;
        c.smallest = smallest;
    }
    if (!r.chance(0.04))
        c.count = count;
    return c;
}

std::span<const char* const> tacklePool(Style style)
{
    switch (style) {
    case Style::Sabiki:
        return kSabiki;
    case Style::Fukase:
        return kFukase;
    case Style::Lure:
        return kLure;
    case Style::Dotsuki:
        return kDotsuki;
    case Style::Nage:
        return kNage;
    }
    return kSabiki;
}

// The fishing period, two feeding spells inside it and up to three catch marks on the
// curve, in pixels of the stored chart, as the tide chart editor stores them.
Marks marksFor(Rng& r, const Port& port, const QDate& day, QSize chart, int catches)
{
    Marks m;
    const ChartLayout l = chartLayout(port, day, chart);
    int start = 0;
    int length = 0;
    switch (r.range(0, 3)) {
    case 0:
        start = r.range(4 * 60, 6 * 60 + 30);
        length = r.range(180, 360);
        break;
    case 1:
        start = r.range(8 * 60, 11 * 60);
        length = r.range(150, 300);
        break;
    case 2:
        start = r.range(14 * 60 + 30, 17 * 60);
        length = r.range(150, 300);
        break;
    default:
        start = r.range(18 * 60, 21 * 60);
        length = r.range(120, 200);
        break;
    }
    const int end = std::min(start + length, 1439);
    auto band = [&](int index, int from, int to) {
        m.values[index * 2] = int(std::lround(l.x(from)));
        m.values[index * 2 + 1] = int(std::lround(l.x(to) - l.x(from)));
    };
    band(0, start, end);
    int feedFrom[2] = {};
    int feedTo[2] = {};
    const int feeds = r.chance(0.15) ? 0 : (r.chance(0.5) ? 1 : 2);
    for (int k = 0; k < feeds; ++k) {
        const int half = (end - start) / 2;
        const int from = start + k * half + r.range(0, std::max(0, half - 40));
        feedFrom[k] = from;
        feedTo[k] = std::min(from + r.range(20, 60), end);
        band(1 + k, feedFrom[k], feedTo[k]);
    }
    for (int k = 0; k < std::min(catches, 3); ++k) {
        int at = r.range(start, end);
        if (feeds > 0) {
            const int f = k % feeds;
            at = r.range(feedFrom[f], feedTo[f]);
        }
        const double y = l.y(tideLevel(port, hoursSinceEpoch(day, at)));
        // The bounding square's top-left corner of a 17-pixel circle centred on the curve.
        m.values[6 + k * 2] = int(std::lround(l.x(at))) - 8;
        m.values[6 + k * 2 + 1] = int(std::lround(y)) - 8;
    }
    return m;
}

// Pictures are made once and their bytes reused, except the tide chart, which belongs
// to its day and port and is drawn for each record that has one.
class PictureKit {
public:
    explicit PictureKit(quint64 seed) : m_seed(seed) { }

    const QByteArray& photo(int index)
    {
        QByteArray& bytes = m_photos[size_t(index)];
        if (bytes.isEmpty())
            bytes = JpegCodec::encode(drawPhoto(QSize(800, 600), mix(m_seed, quint64(index) + 100), 3.0));
        return bytes;
    }

    const QByteArray& map(int placeIndex)
    {
        QByteArray& bytes = m_maps[placeIndex];
        if (bytes.isEmpty()) {
            const Place& place = kPlaces[placeIndex];
            bytes = JpegCodec::encode(
                drawMap(u(place.name), u(place.points[0]), QSize(800, 600), mix(m_seed, quint64(placeIndex) + 200)));
        }
        return bytes;
    }

    QByteArray tideChart(const Port& port, const QDate& day, bool asBitmap)
    {
        const QImage chart = renderTideChart(port, day, kChartSize);
        return asBitmap ? bmpFile(chart) : JpegCodec::encode(chart);
    }

    static constexpr int kPhotoCount = 6;
    static constexpr QSize kChartSize{640, 480};

private:
    quint64 m_seed;
    std::array<QByteArray, kPhotoCount> m_photos;
    std::map<int, QByteArray> m_maps;
};

Outing makeOuting(int code, const DemoOptions& options, int picturesEvery, PictureKit& kit)
{
    Rng r(mix(options.seed, quint64(code)));
    Outing o;
    o.code = code;
    o.day = dayOf(code, options.records, r);

    const int placeIndex = r.range(0, int(std::size(kPlaces)) - 1);
    const Place& place = kPlaces[placeIndex];
    const Port& port = kPorts[place.port];
    o.place = u(place.name);
    o.point = u(place.points[r.range(0, 3)]);
    o.weather = r.chance(0.03) ? QString() : u(kWeather[r.range(0, int(std::size(kWeather)) - 1)]);

    // Who wrote the record decides how an empty species is stored: the entry window
    // writes empty text, a correction writes NULL. Records 3 and 7 of every ten are
    // fixed to one of each, so even a small book shows both.
    const int tenth = code % 10;
    const bool corrected = tenth == 7 || (tenth != 3 && r.chance(0.15));
    const bool picturesHere = picturesEvery > 0 && code % picturesEvery == 0;

    // Tide data, now and then not looked up (never on a record with a chart, whose marks
    // sit on the curve).
    const bool tideKnown = picturesHere || !(code % 20 == 11 || r.chance(0.05));
    if (tideKnown) {
        const LunarDate lunar = lunarDate(o.day);
        o.tideType = u(tideType(lunar.day));
        o.port = u(port.name);
        o.lunar = QStringLiteral("%1/%2").arg(lunar.month).arg(lunar.day);
        const bool heightsKnown = !r.chance(0.06);
        int highs = 0;
        int lows = 0;
        for (const Extreme& e : tideExtremes(port, o.day)) {
            int& n = e.high ? highs : lows;
            if (n >= 2)
                continue;
            (e.high ? o.highs : o.lows)[n] = hhmm(e.minute);
            if (heightsKnown)
                (e.high ? o.highHeights : o.lowHeights)[n] = e.height;
            ++n;
        }
    }

    // Species: a first one always, a second and a third often enough.
    std::vector<int> chosen;
    auto pickSpecies = [&] {
        for (;;) {
            const int s = r.range(0, int(std::size(kSpecies)) - 1);
            if (std::find(chosen.begin(), chosen.end(), s) == chosen.end()) {
                chosen.push_back(s);
                return s;
            }
        }
    };
    o.fish[0] = caught(r, kSpecies[pickSpecies()]);
    const bool second = tenth != 3 && tenth != 7 && r.chance(0.5);
    const bool third = second && r.chance(0.4);
    const std::optional<QString> none = corrected ? std::nullopt : std::optional<QString>(QString());
    o.fish[1] = second ? caught(r, kSpecies[pickSpecies()]) : Catch{none, {}, {}, {}};
    o.fish[2] = third ? caught(r, kSpecies[pickSpecies()]) : Catch{none, {}, {}, {}};

    if (!r.chance(0.15)) {
        const auto pool = tacklePool(kSpecies[chosen.front()].style);
        o.tackle << u(pool[0]);
        for (size_t i = 1; i < pool.size() && o.tackle.size() < 5; ++i)
            if (r.chance(0.6))
                o.tackle << u(pool[i]);
    }
    if (!r.chance(0.25)) {
        const Catch& best = o.fish[0];
        if (best.largest)
            o.notes << QStringLiteral("最大は%1 %2cm。").arg(*best.name).arg(*best.largest);
        const int lines = r.range(1, 3);
        for (int i = 0; i < lines; ++i)
            o.notes << u(kNotes[r.range(0, int(std::size(kNotes)) - 1)]);
        if (o.notes.size() > 2 && r.chance(0.2))
            o.notes.insert(1, QString()); // a blank line the angler left in
    }

    if (options.pictures) {
        o.pictures = options.pictures(code);
    } else if (picturesHere) {
        const int picIndex = code / picturesEvery;
        // Charts alternate between the old BMP form and JPEG.
        o.pictures.tideChart = kit.tideChart(port, o.day, picIndex % 2 == 0);
        if (picIndex % 3 != 2)
            o.pictures.map = kit.map(placeIndex);
        static constexpr int kPhotoCounts[] = {1, 2, 4, 0, 3, 2, 1};
        const int photos = kPhotoCounts[picIndex % int(std::size(kPhotoCounts))];
        // Some books have photos in later slots with earlier ones empty.
        static constexpr int kGapped[4] = {1, 3, 0, 2};
        const bool gaps = picIndex % 4 == 1;
        for (int k = 0; k < photos; ++k) {
            const int slot = gaps ? kGapped[k] : k;
            o.pictures.photos[size_t(slot)] = kit.photo(r.range(0, PictureKit::kPhotoCount - 1));
        }
    }
    if (!o.pictures.tideChart.isEmpty() && tideKnown) {
        int catches = 0;
        if (o.fish[0].count)
            catches = std::min(3, *o.fish[0].count);
        o.marks = marksFor(r, port, o.day, PictureKit::kChartSize, r.chance(0.2) ? 0 : catches);
    }
    return o;
}

// ---------------------------------------------------------------------------
// Writing.

// Binds by column name. The statement is prepared once for the whole book, so a value
// a record does not have is bound NULL explicitly: on the wire that is exactly what an
// unassigned parameter sends.
class Binder {
public:
    explicit Binder(SqlQuery& q) : m_q(q) { }

    void text(const char* column, const QString& value)
    {
        // Checked here so a generator change that overflows a column says which one,
        // instead of a bare truncation error from the server.
        const record::Column* c = record::find(QLatin1String(column));
        const qsizetype bytes = sjis::encode(value).size();
        if (c && c->byteLength > 0 && bytes > c->byteLength)
            throw Error(
                QStringLiteral("%1 に入りきりません: %2 (%3 バイト)").arg(QLatin1String(column), value).arg(bytes));
        m_q.bindText(param(column), value);
    }
    void text(const char* column, const std::optional<QString>& value)
    {
        if (value)
            text(column, *value);
        else
            m_q.bindNull(param(column));
    }
    void integer(const char* column, std::optional<int> value)
    {
        if (value)
            m_q.bindInteger(param(column), *value);
        else
            m_q.bindNull(param(column));
    }
    void memo(const char* column, const QStringList& lines)
    {
        if (lines.isEmpty())
            m_q.bindNull(param(column));
        else
            m_q.bindMemo(param(column), lines.join(QStringLiteral("\r\n")));
    }
    void picture(const char* column, const QByteArray& bytes)
    {
        if (bytes.isEmpty())
            m_q.bindNull(param(column));
        else
            m_q.bindBlob(param(column), bytes);
    }

private:
    static QString param(const char* column) { return QStringLiteral("par") + QLatin1String(column); }
    SqlQuery& m_q;
};

void bindOuting(SqlQuery& q, const Outing& o)
{
    Binder b(q);
    b.integer("CODENO", o.code);
    b.text("DAY_DATA", o.day.toString(QStringLiteral("yyyy/MM/dd")));
    b.text("TENNKI", o.weather);
    b.text("FUNE", o.point);
    b.text("BASYO", o.place);
    b.text("SHIO", o.tideType);
    b.text("KIJYUNN", o.port);
    b.text("KYUUREKI", o.lunar);
    b.text("OLD_SHIO", QString());
    b.text("MAX1", o.highs[0]);
    b.text("MAX2", o.highs[1]);
    b.integer("MAX1_HIGHT", o.highHeights[0]);
    b.integer("MAX2_HIGHT", o.highHeights[1]);
    b.text("MIN1", o.lows[0]);
    b.text("MIN2", o.lows[1]);
    b.integer("MIN1_LOW", o.lowHeights[0]);
    b.integer("MIN2_LOW", o.lowHeights[1]);
    static constexpr const char* kFishColumns[3][4] = {{"FISH1", "FISH1_MAX", "FISH1_MIN", "FISH1_KAZU"},
        {"FISH2", "FISH2_MAX", "FISH2_MIN", "FISH2_KAZU"}, {"FISH3", "FISH3_MAX", "FISH3_MIN", "FISH3_KAZU"}};
    for (int i = 0; i < 3; ++i) {
        b.text(kFishColumns[i][0], o.fish[i].name);
        b.integer(kFishColumns[i][1], o.fish[i].largest);
        b.integer(kFishColumns[i][2], o.fish[i].smallest);
        b.integer(kFishColumns[i][3], o.fish[i].count);
    }
    b.memo("SHIKAKE", o.tackle);
    b.memo("BIKOU", o.notes);
    b.picture("SHIO_ZU", o.pictures.tideChart);
    b.picture("CHIZU", o.pictures.map);
    b.picture("PHOTO1", o.pictures.photos[0]);
    b.picture("PHOTO2", o.pictures.photos[1]);
    b.picture("PHOTO3", o.pictures.photos[2]);
    b.picture("PHOTO4", o.pictures.photos[3]);
    static constexpr const char* kMarks[12] = {"NEW_1_S", "NEW_1_E", "NEW_2_S", "NEW_2_E", "NEW_3_S", "NEW_3_E",
        "NEW_4_S", "NEW_4_E", "NEW_5_S", "NEW_5_E", "NEW_6_S", "NEW_6_E"};
    for (int i = 0; i < 12; ++i)
        b.integer(kMarks[i], o.marks.values[i]);
    for (const char* reserved : {"TIME1_START", "TIME1_END", "TIME2_START", "TIME2_END", "TIME3_START", "TIME3_END"})
        b.integer(reserved, 0);
}

} // namespace

void writeDemoRecords(Connection& book, const DemoOptions& options)
{
    if (options.records <= 0)
        return;
    const int every = options.picturesEvery > 0 ? options.picturesEvery : defaultPicturesEvery(options.records);
    PictureKit kit(options.seed);
    SqlQuery q(book);
    q.addSql(record::insertAllSql());

    // Committed in batches rather than per record: with forced writes every commit waits
    // for the disk, and per record that would dominate a big book.
    constexpr int kBatch = 500;
    for (int code = 1; code <= options.records; ++code) {
        const Outing o = makeOuting(code, options, every, kit);
        bindOuting(q, o);
        q.execute();
        // Camera-sized pictures: commit each, so the transaction never holds many.
        const bool heavy = !o.pictures.isEmpty();
        if (code % kBatch == 0 || heavy || code == options.records) {
            book.commit();
            if (options.progress)
                options.progress(code);
        }
    }
}

void createDemoDatabase(const QString& path, const DemoOptions& options)
{
    createCatchDatabase(path); // refuses an existing file before anything is written
    try {
        Connection book(path);
        writeDemoRecords(book, options);
        book.commit();
    } catch (...) {
        // The file is ours, made a moment ago: a half-filled book is worse than none.
        QFile::remove(path);
        throw;
    }
}

} // namespace kelpora::bookcare
