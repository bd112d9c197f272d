#include "analysis/CatchCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>

namespace kelpora::charts {

namespace {

constexpr int kTopTen = 10;

QChart* chart(const QString& title)
{
    auto* c = new QChart;
    c->setTitle(title);
    QFont font = c->titleFont();
    font.setPointSizeF(font.pointSizeF() * 1.3);
    font.setBold(true);
    c->setTitleFont(font);
    // The charts are looked at once, not watched growing.
    c->setAnimationOptions(QChart::NoAnimation);
    c->legend()->setAlignment(Qt::AlignBottom);
    return c;
}

QValueAxis* countAxis(const QString& title, double largest)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setRange(0, std::max(1.0, largest * 1.1));
    axis->applyNiceNumbers();
    return axis;
}

QBarCategoryAxis* categoryAxis(const QString& title, const QStringList& categories)
{
    auto* axis = new QBarCategoryAxis;
    axis->setTitleText(title);
    axis->append(categories);
    return axis;
}

void attach(QChart* c, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y)
{
    c->addSeries(series);
    c->addAxis(x, Qt::AlignBottom);
    c->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

} // namespace

QChart* byMonth(const CatchTally& tally)
{
    QChart* c = chart(QStringLiteral("月別の釣果（上位5魚種とその他）"));
    const MonthStack stack = tally.monthStack(5);
    auto* series = new QStackedBarSeries;
    std::array<int, 12> totals{};
    for (size_t band = 0; band < stack.counts.size(); ++band) {
        auto* set = new QBarSet(stack.bands.at(qsizetype(band)));
        for (size_t m = 0; m < 12; ++m) {
            *set << stack.counts[band][m];
            totals[m] += stack.counts[band][m];
        }
        series->append(set);
    }
    QStringList months;
    for (int m = 1; m <= 12; ++m)
        months << QString::number(m);
    const int largest = *std::max_element(totals.begin(), totals.end());
    attach(c, series, categoryAxis(QStringLiteral("月"), months), countAxis(QStringLiteral("釣果（匹）"), largest));
    return c;
}

QChart* byYear(const CatchTally& tally)
{
    QChart* c = chart(QStringLiteral("年別の釣果と釣行回数"));
    auto* catches = new QBarSet(QStringLiteral("釣果（匹）"));
    auto* outings = new QBarSet(QStringLiteral("釣行（回）"));
    QStringList years;
    int largest = 0;
    for (const YearTally& y : tally.years) {
        years << QString::number(y.year);
        *catches << y.catches;
        *outings << y.outings;
        largest = std::max({largest, y.catches, y.outings});
    }
    auto* series = new QBarSeries;
    series->append(catches);
    series->append(outings);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    // Outside the bars the labels stand on the chart's white, not on a bar.
    catches->setLabelColor(Qt::black);
    outings->setLabelColor(Qt::black);
    attach(c, series, categoryAxis(QStringLiteral("年"), years), countAxis(QStringLiteral("匹・回"), largest));
    return c;
}

QChart* byTide(const CatchTally& tally)
{
    QChart* c = chart(QStringLiteral("潮別の釣行あたりの釣果"));
    auto* perOuting = new QBarSet(QStringLiteral("釣行あたりの釣果（匹）"));
    QStringList tides;
    double largest = 0;
    bool computed = false;
    for (const TideTally& t : tally.tides) {
        computed = computed || t.computed;
        tides << QStringLiteral("%1\n%2回").arg(t.name).arg(t.outings);
        *perOuting << t.perOuting();
        largest = std::max(largest, t.perOuting());
    }
    auto* series = new QBarSeries;
    series->append(perOuting);
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPrecision(3);
    auto* y = countAxis(QStringLiteral("釣行あたりの釣果（匹）"), largest);
    y->setLabelFormat(QStringLiteral("%.1f"));
    const QString axis = computed ? QStringLiteral("潮（「計算」は潮が記録されず暦から求めたもの）") : QStringLiteral("潮");
    attach(c, series, categoryAxis(axis, tides), y);
    c->legend()->hide();
    return c;
}

QChart* topPlaces(const std::vector<NamedCount>& ranked, const QString& title, const QString& axis)
{
    QChart* c = chart(title);
    auto* set = new QBarSet(QStringLiteral("釣果（匹）"));
    QStringList names;
    const size_t shown = std::min<size_t>(kTopTen, ranked.size());
    // Bottom to top, so the most caught stands at the top.
    for (size_t i = shown; i-- > 0;) {
        names << ranked[i].name;
        *set << ranked[i].catches;
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    c->addSeries(series);
    auto* counts = countAxis(QStringLiteral("釣果（匹）"), shown ? ranked.front().catches : 0);
    auto* categories = categoryAxis(axis, names);
    c->addAxis(counts, Qt::AlignBottom);
    c->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(counts);
    series->attachAxis(categories);
    c->legend()->hide();
    return c;
}

QChart* sizesOverTime(const SpeciesTally* species)
{
    if (!species || species->sizes.empty())
        return chart(QStringLiteral("サイズの記録がありません"));
    QChart* c = chart(QStringLiteral("%1の釣行ごとの最大サイズ").arg(species->name));
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("釣行ごとの最大サイズ"));
    line->setPointsVisible(true);
    int largest = 0;
    const SizeOnDay* best = nullptr;
    for (const SizeOnDay& s : species->sizes) {
        line->append(double(QDateTime(s.day, QTime(12, 0)).toMSecsSinceEpoch()), s.size);
        largest = std::max(largest, s.size);
        if (species->best && s.row == species->best->row)
            best = &s;
    }
    auto* x = new QDateTimeAxis;
    x->setTitleText(QStringLiteral("日付"));
    x->setFormat(QStringLiteral("yyyy/MM"));
    attach(c, line, x, countAxis(QStringLiteral("最大サイズ"), largest));
    if (best) {
        auto* mark = new QScatterSeries;
        mark->setName(QStringLiteral("自己記録 %1（%2）").arg(best->size).arg(species->best->day));
        mark->setMarkerSize(16);
        mark->setColor(Qt::red);
        mark->append(double(QDateTime(best->day, QTime(12, 0)).toMSecsSinceEpoch()), best->size);
        c->addSeries(mark);
        for (QAbstractAxis* axis : c->axes())
            mark->attachAxis(axis);
    }
    // Room on both sides, so the first and last outings stand clear of the axes; one day
    // alone would otherwise make an empty time axis.
    const qint64 days = species->sizes.front().day.daysTo(species->sizes.back().day);
    const qint64 margin = std::max<qint64>(15, days / 30);
    x->setRange(QDateTime(species->sizes.front().day.addDays(-margin), QTime(0, 0)),
        QDateTime(species->sizes.back().day.addDays(margin), QTime(0, 0)));
    return c;
}

} // namespace kelpora::charts
