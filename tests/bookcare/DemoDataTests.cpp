#include "bookcare/DemoData.h"

#include "bookcare/CatchDatabase.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/SjisCodec.h"
#include "core/SqlQuery.h"
#include "imaging/PictureStore.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"

#include <QCryptographicHash>
#include <QDate>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kelpora::SqlQuery;
using kelpora::testing::TempDatabase;

namespace {

constexpr int kRecords = 30;

kelpora::bookcare::DemoOptions thirty()
{
    kelpora::bookcare::DemoOptions options;
    options.records = kRecords;
    return options;
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void openAll(SqlQuery& q)
{
    q.addSql(QStringLiteral("select *  from FISH_DATA  order by CODENO  "));
    q.open();
}

// Every text column of every row, for comparing two books.
QByteArray textDigest(TDM1& dm)
{
    SqlQuery q(dm.IBDB2, dm.IBTr2);
    openAll(q);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (int row = 0; row < q.rowCount(); ++row, q.next())
        for (const char* column : {"DAY_DATA", "BASYO", "FUNE", "TENNKI", "MAX1", "MIN2", "FISH1", "FISH2", "BIKOU"})
            hash.addData((q.fieldText(QLatin1String(column)) + u'|').toUtf8());
    return hash.result();
}

QString initdb()
{
    return QStringLiteral(KELPORA_INITDB_PATH);
}

// One book for the tests that only read it: making a book waits on forced writes.
class DemoBook : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_seams = new kelpora::testing::ScriptedSeams;
        s_book = new TempDatabase(false);
        kelpora::bookcare::createDemoDatabase(s_book->path(), thirty());
    }
    static void TearDownTestSuite()
    {
        delete s_book;
        s_book = nullptr;
        delete s_seams;
        s_seams = nullptr;
    }
    static TDM1& dm() { return s_book->dm(); }
    static QString path() { return s_book->path(); }

private:
    static kelpora::testing::ScriptedSeams* s_seams;
    static TempDatabase* s_book;
};

kelpora::testing::ScriptedSeams* DemoBook::s_seams = nullptr;
TempDatabase* DemoBook::s_book = nullptr;

} // namespace

TEST_F(DemoBook, NumbersTheRecordsAndDatesThemInOrder)
{
    EXPECT_EQ(TempDatabase::countRows(path()), kRecords);
    SqlQuery q(dm().IBDB2, dm().IBTr2);
    openAll(q);
    ASSERT_EQ(q.rowCount(), kRecords);
    QDate previous;
    const QRegularExpression time(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d$"));
    for (int code = 1; code <= kRecords; ++code, q.next()) {
        SCOPED_TRACE(code);
        EXPECT_EQ(q.fieldInteger(QStringLiteral("CODENO")), code);
        const QString day = q.fieldText(QStringLiteral("DAY_DATA"));
        const QDate date = QDate::fromString(day, QStringLiteral("yyyy/MM/dd"));
        ASSERT_TRUE(date.isValid()) << day.toStdString();
        if (previous.isValid()) {
            EXPECT_LE(previous, date);
        }
        previous = date;
        for (const char* column : {"MAX1", "MAX2", "MIN1", "MIN2"}) {
            if (!q.isNull(QLatin1String(column))) {
                EXPECT_TRUE(time.match(q.fieldText(QLatin1String(column))).hasMatch());
            }
        }
        EXPECT_FALSE(q.fieldText(QStringLiteral("BASYO")).isEmpty());
        EXPECT_FALSE(q.fieldText(QStringLiteral("FISH1")).isEmpty());
        EXPECT_EQ(q.fieldInteger(QStringLiteral("TIME3_END")), 0);
    }
    // Spread over years, not crowded into a few days.
    EXPECT_GE(QDate(2021, 1, 1).daysTo(previous), 3 * 365);
}

TEST_F(DemoBook, JapaneseTextIsStoredAsShiftJisAndMemosUseCrLf)
{
    SqlQuery q(dm().IBDB2, dm().IBTr2);
    q.addSql(QStringLiteral("select BASYO, octet_length(BASYO) as PLACE_BYTES, FISH1, SHIO, SHIKAKE from FISH_DATA"));
    q.open();
    const QStringList tides{QStringLiteral("大潮"), QStringLiteral("中潮"), QStringLiteral("小潮"),
        QStringLiteral("長潮"), QStringLiteral("若潮"), QString()};
    int multiLine = 0;
    for (int row = 0; row < q.rowCount(); ++row, q.next()) {
        const QString place = q.fieldText(QStringLiteral("BASYO"));
        SCOPED_TRACE(place.toStdString());
        EXPECT_FALSE(place.contains(QChar::ReplacementCharacter));
        // Two bytes a character: what reached the file is code page 932, not UTF-8.
        EXPECT_EQ(q.fieldInteger(QStringLiteral("PLACE_BYTES")), 2 * place.size());
        EXPECT_EQ(kelpora::sjis::encode(place).size(), 2 * place.size());
        EXPECT_TRUE(tides.contains(q.fieldText(QStringLiteral("SHIO"))));
        if (!q.isNull(QStringLiteral("SHIKAKE"))) {
            const QString tackle = q.fieldText(QStringLiteral("SHIKAKE"));
            EXPECT_FALSE(tackle.endsWith(u'\n'));
            EXPECT_FALSE(tackle.contains(QRegularExpression(QStringLiteral("[^\\r]\\n"))));
            if (tackle.contains(QStringLiteral("\r\n")))
                ++multiLine;
        }
    }
    EXPECT_GT(multiLine, 0);

    // A place typed in the program finds the stored records: the bytes are the same.
    q.first();
    SqlQuery lookup(dm().IBDB2, dm().IBTr2);
    lookup.addSql(QStringLiteral("select count(*) from FISH_DATA where BASYO = :parBASYO"));
    lookup.bindText(QStringLiteral("parBASYO"), q.fieldText(QStringLiteral("BASYO")));
    lookup.open();
    EXPECT_GE(lookup.aggregateInteger(), 1);
}

TEST_F(DemoBook, LeavesFieldsEmptyInBothForms)
{
    const QString book = path();
    EXPECT_GT(TempDatabase::countRows(book, QStringLiteral("where FISH2 is null")), 0);
    EXPECT_GT(TempDatabase::countRows(book, QStringLiteral("where FISH2 = ''")), 0);
    EXPECT_GT(TempDatabase::countRows(book, QStringLiteral("where FISH2 <> ''")), 0);
    EXPECT_GT(TempDatabase::countRows(book, QStringLiteral("where FISH3 is null")), 0);
    EXPECT_GT(TempDatabase::countRows(book, QStringLiteral("where FISH3 = ''")), 0);
    EXPECT_GT(TempDatabase::countRows(book, QStringLiteral("where MAX1_HIGHT is null")), 0);
    EXPECT_GT(TempDatabase::countRows(book, QStringLiteral("where FISH1_MAX is null")), 0);
    EXPECT_GT(TempDatabase::countRows(book, QStringLiteral("where SHIKAKE is null")), 0);
    EXPECT_GT(TempDatabase::countRows(book,
                  QStringLiteral("where SHIO_ZU is null and CHIZU is null and PHOTO1 is null and PHOTO2 is null"
                                 " and PHOTO3 is null and PHOTO4 is null")),
        0);
    // An empty weather or tide type is stored as empty text, never as NULL.
    EXPECT_EQ(
        TempDatabase::countRows(book, QStringLiteral("where TENNKI is null or SHIO is null or OLD_SHIO is null")), 0);
}

TEST_F(DemoBook, HoldsTideChartsAsBitmapAndAsJpegAndPhotosAsJpeg)
{
    SqlQuery q(dm().IBDB2, dm().IBTr2);
    openAll(q);
    int bitmaps = 0, jpegs = 0, photos = 0, maps = 0;
    for (int row = 0; row < q.rowCount(); ++row, q.next()) {
        if (!q.isNull(QStringLiteral("SHIO_ZU"))) {
            const QByteArray chart = q.fieldBlob(QStringLiteral("SHIO_ZU"));
            if (chart.startsWith("BM"))
                ++bitmaps;
            else if (chart.startsWith("\xFF\xD8"))
                ++jpegs;
            const kelpora::Picture picture = kelpora::PictureStore::fromBytes(chart, kelpora::ReadRule::BitmapFirst);
            EXPECT_EQ(picture.size(), QSize(640, 480));
            EXPECT_FALSE(picture.pixels().isNull());
            // The marks lie on the chart.
            EXPECT_GT(q.fieldInteger(QStringLiteral("NEW_1_E")), 0);
            EXPECT_LT(q.fieldInteger(QStringLiteral("NEW_1_S")) + q.fieldInteger(QStringLiteral("NEW_1_E")), 640);
        } else {
            EXPECT_EQ(q.fieldInteger(QStringLiteral("NEW_1_E")), 0);
        }
        if (!q.isNull(QStringLiteral("CHIZU"))) {
            ++maps;
            EXPECT_TRUE(q.fieldBlob(QStringLiteral("CHIZU")).startsWith("\xFF\xD8"));
        }
        for (const char* column : {"PHOTO1", "PHOTO2", "PHOTO3", "PHOTO4"}) {
            if (q.isNull(QLatin1String(column)))
                continue;
            ++photos;
            const kelpora::Picture photo
                = kelpora::PictureStore::fromBytes(q.fieldBlob(QLatin1String(column)), kelpora::ReadRule::JpegOnly);
            EXPECT_EQ(photo.kind(), kelpora::Picture::Kind::Jpeg);
        }
    }
    EXPECT_GT(bitmaps, 0);
    EXPECT_GT(jpegs, 0);
    EXPECT_GT(maps, 0);
    EXPECT_GT(photos, 0);
}

TEST_F(DemoBook, TheSameSeedGivesTheSameBook)
{
    const QByteArray shared = textDigest(dm());
    TempDatabase again(false);
    kelpora::bookcare::createDemoDatabase(again.path(), thirty());
    EXPECT_EQ(textDigest(again.dm()), shared);
}

TEST(DemoData, RefusesAnExistingFileAndLeavesItAlone)
{
    kelpora::testing::ScriptedSeams seams;
    TempDatabase db; // an empty book already there
    const QByteArray before = fileHash(db.path());
    ASSERT_FALSE(before.isEmpty());
    EXPECT_THROW(kelpora::bookcare::createDemoDatabase(db.path(), thirty()), kelpora::Error);
    EXPECT_EQ(fileHash(db.path()), before);
    EXPECT_EQ(TempDatabase::countRows(db.path()), 0);
}

TEST(DemoData, ToolMakesADemoBookAndRefusesToOverwriteOne)
{
    ASSERT_FALSE(initdb().isEmpty());
    QTemporaryDir dir;
    QProcess first;
    first.start(initdb(), {QStringLiteral("--demo"), QStringLiteral("12"), dir.path()});
    ASSERT_TRUE(first.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().constData();
    const QString path = dir.filePath(QStringLiteral("KELPORA.FDB"));
    EXPECT_EQ(TempDatabase::countRows(path), 12);

    const QByteArray before = fileHash(path);
    for (const QStringList& args :
        {QStringList{QStringLiteral("--demo"), QStringLiteral("5"), dir.path()}, QStringList{dir.path()}}) {
        QProcess again;
        again.start(initdb(), args);
        ASSERT_TRUE(again.waitForFinished(60000));
        EXPECT_EQ(again.exitCode(), 1);
        EXPECT_FALSE(again.readAllStandardError().isEmpty());
        EXPECT_EQ(fileHash(path), before);
    }

    QProcess bad;
    bad.start(initdb(), {QStringLiteral("--demo"), QStringLiteral("many"), dir.path()});
    ASSERT_TRUE(bad.waitForFinished(60000));
    EXPECT_EQ(bad.exitCode(), 2);
}
