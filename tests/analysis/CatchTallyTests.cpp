#include "analysis/CatchTally.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"
#include "support/RecordWriter.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

using namespace kelpora;
using namespace kelpora::testing;

namespace {

using Values = std::vector<std::pair<QString, QVariant>>;

QString S(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

struct Fish {
    QVariant name, largest, count;
};

// An empty QVariant stores NULL, an empty QString empty text.
void add(TDM1& dm, int code, const QVariant& day, const QVariant& place, const QVariant& point, const QVariant& tide,
    std::vector<Fish> fish)
{
    Values v{{S("CODENO"), code}, {S("DAY_DATA"), day}, {S("BASYO"), place}, {S("FUNE"), point}, {S("SHIO"), tide}};
    for (size_t i = 0; i < fish.size(); ++i) {
        const QString slot = QStringLiteral("FISH%1").arg(i + 1);
        v.push_back({slot, fish[i].name});
        v.push_back({slot + S("_MAX"), fish[i].largest});
        v.push_back({slot + S("_KAZU"), fish[i].count});
    }
    insertRecord(dm, v);
}

class Tally : public ::testing::Test {
protected:
    CatchTally tally(const TallyOptions& options = {})
    {
        rows.close();
        rows.clearSql();
        rows.addSql(S("select *  from FISH_DATA  order by CODENO  "));
        rows.open();
        rows.moveTo(1);
        CatchTally t = tallyCatches(rows, options);
        EXPECT_EQ(rows.currentRow(), std::min(1, rows.rowCount() - 1)); // the browser's record stays
        return t;
    }
    // Three outings: one species written in two slots, a count left empty, a slot
    // without a species, NULL and empty points and tides.
    void addThreeOutings()
    {
        add(db.dm(), 1, S("2024/05/03"), S("館山"), S("沖堤"), S("大潮"),
            {{S("アジ"), 25, 10}, {S("サバ"), 30, {}}, {S("アジ "), 28, 2}});
        add(db.dm(), 2, S("2024/05/20"), S("館山"), S(""), S(""), {{S("アジ"), 28, 3}, {}, {S(""), {}, 5}});
        add(db.dm(), 3, S("2025/01/10"), S("富浦"), {}, S("若潮"), {{S("カサゴ"), {}, 0}});
    }

    TempDatabase db;
    SqlQuery rows{db.dm().IBDB2, db.dm().IBTr2};
};

const TideTally& group(const CatchTally& t, const QString& name)
{
    static const TideTally none{};
    for (const TideTally& g : t.tides)
        if (g.name == name)
            return g;
    ADD_FAILURE() << "no tide group " << name.toStdString();
    return none;
}

} // namespace

TEST_F(Tally, CatchesAreSlotCountsAndASpeciesIsOneWhateverItsSlot)
{
    addThreeOutings();
    const CatchTally t = tally();
    EXPECT_EQ(t.outings, 3);
    EXPECT_EQ(t.catches, 16); // 10 + 1 + 2, then 3; the slot without a species counts nothing
    ASSERT_EQ(t.species.size(), 3u);
    EXPECT_EQ(t.species[0].name, S("アジ"));
    EXPECT_EQ(t.species[0].catches, 15);
    EXPECT_EQ(t.species[0].outings, 2);
    EXPECT_EQ(t.species[0].byMonth[4], 15);
    EXPECT_EQ(t.species[1].name, S("サバ"));
    EXPECT_EQ(t.species[1].catches, 1);
    EXPECT_EQ(t.species[2].name, S("カサゴ"));
    EXPECT_EQ(t.species[2].catches, 0);
    EXPECT_EQ(t.species[2].outings, 1);

    ASSERT_EQ(t.years.size(), 2u);
    EXPECT_EQ(t.years[0].year, 2024);
    EXPECT_EQ(t.years[0].outings, 2);
    EXPECT_EQ(t.years[0].catches, 16);
    EXPECT_EQ(t.years[1].outings, 1);
    EXPECT_EQ(t.years[1].catches, 0);

    ASSERT_EQ(t.places.size(), 2u);
    EXPECT_EQ(t.places[0].name, S("館山"));
    EXPECT_EQ(t.places[0].catches, 16);
    ASSERT_EQ(t.points.size(), 1u); // empty and NULL points are not given
    EXPECT_EQ(t.points[0].catches, 13);
}

TEST_F(Tally, APersonalBestIsTheFirstRecordToReachTheLargestSize)
{
    addThreeOutings();
    const CatchTally t = tally();
    const SpeciesTally* aji = t.find(S("アジ"));
    ASSERT_TRUE(aji && aji->best);
    EXPECT_EQ(aji->best->size, 28);
    EXPECT_EQ(aji->best->row, 0);
    EXPECT_EQ(aji->best->codeNo, 1);
    EXPECT_EQ(aji->best->day, S("2024/05/03"));
    EXPECT_EQ(aji->best->place, S("館山"));
    EXPECT_EQ(aji->best->point, S("沖堤"));
    ASSERT_EQ(aji->sizes.size(), 2u); // one size per outing, the larger of its two slots
    EXPECT_EQ(aji->sizes[0].size, 28);
    EXPECT_EQ(aji->sizes[1].day, QDate(2024, 5, 20));
    EXPECT_FALSE(t.find(S("カサゴ"))->best);
}

TEST_F(Tally, EmptyTidesAreUnknownUnlessTheAlmanacNamesThem)
{
    addThreeOutings();
    add(db.dm(), 4, S("2024/6/1"), S("館山"), {}, {}, {{S("メバル"), {}, 4}}); // a corrected date
    add(db.dm(), 5, S("春ごろ"), S("館山"), {}, S(""), {{S("メバル"), {}, 1}});

    const CatchTally plain = tally();
    EXPECT_EQ(plain.tides.size(), 6u);
    EXPECT_EQ(group(plain, S("大潮")).catches, 13);
    EXPECT_EQ(group(plain, S("中潮")).outings, 0);
    EXPECT_EQ(group(plain, S("若潮")).outings, 1);
    EXPECT_EQ(group(plain, S("不明")).outings, 3);
    EXPECT_DOUBLE_EQ(group(plain, S("不明")).perOuting(), 8.0 / 3);
    EXPECT_EQ(plain.undated, 1);
    EXPECT_EQ(plain.species[1].byMonth[5], 4);

    QList<QDate> asked;
    TallyOptions options;
    options.computedTide = [&](const QDate& day) {
        asked << day;
        return day == QDate(2024, 6, 1) ? S("中潮") : QString();
    };
    const CatchTally computed = tally(options);
    EXPECT_EQ(asked, (QList<QDate>{QDate(2024, 5, 20), QDate(2024, 6, 1)})); // only where 潮 is empty
    const TideTally& middle = group(computed, S("中潮(計算)"));
    EXPECT_TRUE(middle.computed);
    EXPECT_EQ(middle.catches, 4);
    EXPECT_EQ(group(computed, S("中潮")).outings, 0);
    EXPECT_EQ(group(computed, S("不明")).outings, 2);
    EXPECT_EQ(computed.tides.back().name, S("不明"));
}

TEST_F(Tally, MonthsStackTheFiveMostCaughtAndTheRestAsOthers)
{
    const char* names[] = {"アジ", "サバ", "イワシ", "メバル", "カサゴ", "キス", "ハゼ"};
    for (int i = 0; i < 7; ++i)
        add(db.dm(), i + 1, QStringLiteral("2024/%1/01").arg(i + 1, 2, 10, QChar(u'0')), S("館山"), {}, S("大潮"),
            {{S(names[i]), {}, 70 - i * 10}});
    const MonthStack stack = tally().monthStack(5);
    EXPECT_EQ(stack.bands, (QStringList{S("アジ"), S("サバ"), S("イワシ"), S("メバル"), S("カサゴ"), S("その他")}));
    EXPECT_EQ(stack.counts[0][0], 70);
    EXPECT_EQ(stack.counts[5][5], 20);
    EXPECT_EQ(stack.counts[5][6], 10);
}

TEST_F(Tally, ASpeciesSearchCountsThatSpeciesAlone)
{
    addThreeOutings();
    TallyOptions options;
    options.onlySpecies = S("アジ");
    const CatchTally t = tally(options);
    EXPECT_EQ(t.catches, 15);
    ASSERT_EQ(t.species.size(), 1u);
    EXPECT_EQ(t.places[0].catches, 15);
    EXPECT_EQ(group(t, S("大潮")).catches, 12);
}
