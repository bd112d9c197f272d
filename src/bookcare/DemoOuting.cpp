#include "bookcare/DemoOuting.h"

#include "bookcare/DemoBasics.h"
#include "bookcare/DemoPictureKit.h"
#include "bookcare/DemoTide.h"
#include "bookcare/DemoTideChart.h"
#include "bookcare/DemoWorld.h"

#include <vector>

namespace kelpora::bookcare::demo {

namespace {

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

void lookUpTide(Outing& o, const Port& port, Rng& r)
{
    const TideDay tide = tideDayOf(o.day);
    o.tideType = tide.tideName;
    o.port = u(port.name);
    o.lunar = tide.lunarText;
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

// A first species always, a second and a third often enough; gives the first one's style.
Style catchFish(Outing& o, Rng& r, bool corrected)
{
    const auto kinds = species();
    std::vector<int> chosen;
    auto pickSpecies = [&] {
        for (;;) {
            const int s = r.range(0, int(kinds.size()) - 1);
            if (std::find(chosen.begin(), chosen.end(), s) == chosen.end()) {
                chosen.push_back(s);
                return size_t(s);
            }
        }
    };
    const int tenth = o.code % 10;
    o.fish[0] = caught(r, kinds[pickSpecies()]);
    const bool second = tenth != 3 && tenth != 7 && r.chance(0.5);
    const bool third = second && r.chance(0.4);
    const std::optional<QString> none = corrected ? std::nullopt : std::optional<QString>(QString());
    o.fish[1] = second ? caught(r, kinds[pickSpecies()]) : Catch{none, {}, {}, {}};
    o.fish[2] = third ? caught(r, kinds[pickSpecies()]) : Catch{none, {}, {}, {}};
    return kinds[size_t(chosen.front())].style;
}

void writeTackleAndNotes(Outing& o, Rng& r, Style style)
{
    if (!r.chance(0.15)) {
        const auto pool = tackleFor(style);
        o.tackle << u(pool[0]);
        for (size_t i = 1; i < pool.size() && o.tackle.size() < 5; ++i)
            if (r.chance(0.6))
                o.tackle << u(pool[i]);
    }
    if (!r.chance(0.25)) {
        const Catch& best = o.fish[0];
        if (best.largest)
            o.notes << QStringLiteral("最大は%1 %2cm。").arg(*best.name).arg(*best.largest);
        const auto lines = noteLines();
        const int count = r.range(1, 3);
        for (int i = 0; i < count; ++i)
            o.notes << u(lines[size_t(r.range(0, int(lines.size()) - 1))]);
        if (o.notes.size() > 2 && r.chance(0.2))
            o.notes.insert(1, QString()); // a blank line the angler left in
    }
}

void takePictures(Outing& o, Rng& r, PictureKit& kit, const Port& port, int placeIndex, int picIndex)
{
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

} // namespace

Outing makeOuting(int code, const DemoOptions& options, int picturesEvery, PictureKit& kit)
{
    Rng r(mix(options.seed, quint64(code)));
    Outing o;
    o.code = code;
    o.day = dayOf(code, options.records, r);

    const int placeIndex = r.range(0, int(places().size()) - 1);
    const Place& place = places()[size_t(placeIndex)];
    const Port& port = ports()[size_t(place.port)];
    o.place = u(place.name);
    o.point = u(place.points[r.range(0, 3)]);
    const auto weather = weathers();
    o.weather = r.chance(0.03) ? QString() : u(weather[size_t(r.range(0, int(weather.size()) - 1))]);

    // Who wrote the record decides how an empty species is stored: the entry window
    // writes empty text, a correction writes NULL. Records 3 and 7 of every ten are
    // fixed to one of each, so even a small book shows both.
    const int tenth = code % 10;
    const bool corrected = tenth == 7 || (tenth != 3 && r.chance(0.15));
    const bool picturesHere = picturesEvery > 0 && code % picturesEvery == 0;

    // Tide data, now and then not looked up (never on a record with a chart, whose marks
    // sit on the curve).
    const bool tideKnown = picturesHere || !(code % 20 == 11 || r.chance(0.05));
    if (tideKnown)
        lookUpTide(o, port, r);
    writeTackleAndNotes(o, r, catchFish(o, r, corrected));

    if (options.pictures)
        o.pictures = options.pictures(code);
    else if (picturesHere)
        takePictures(o, r, kit, port, placeIndex, code / picturesEvery);
    if (!o.pictures.tideChart.isEmpty() && tideKnown) {
        int catches = 0;
        if (o.fish[0].count)
            catches = std::min(3, *o.fish[0].count);
        o.marks = marksFor(r, port, o.day, PictureKit::kChartSize, r.chance(0.2) ? 0 : catches);
    }
    return o;
}

} // namespace kelpora::bookcare::demo
