#include "BookFolder.h"
#include "BookHolder.h"
#include "ToolProcess.h"

#include "bookcare/CsvExport.h"
#include "bookcare/CsvImport.h"
#include "bookcare/CsvReader.h"
#include "support/RecordWriter.h"
#include "support/SmallDisk.h"

#include "core/CatchRecord.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <map>

#include <csignal>
#include <cstdio>
#include <sys/types.h>

using kelpora::testing::BookFolder;
using kelpora::testing::ToolProcess;
using kelpora::bookcare::CsvExport;
using kelpora::bookcare::CsvReader;

namespace {

// The demo book and one record that a spreadsheet program finds hardest to read.
void addAwkwardRecord(const BookFolder& folder)
{
    folder.withDataModule([](TDM1& dm) {
        kelpora::testing::insertRecord(dm,
            {{QStringLiteral("CODENO"), 21}, {QStringLiteral("DAY_DATA"), QStringLiteral("2026/06/01")},
                {QStringLiteral("BASYO"), QStringLiteral("堤防\"赤灯\",先端")}, {QStringLiteral("FUNE"), QString()},
                {QStringLiteral("FISH1"), QStringLiteral("アジ")},
                {QStringLiteral("BIKOU"), QStringLiteral("一行目\r\n二行目, \"引用\"\r\n")},
                {QStringLiteral("SHIKAKE"), QStringLiteral("")}, {QStringLiteral("FISH1_MAX"), -3},
                {QStringLiteral("CHIZU"), QByteArray("not a picture")}});
    });
}

struct Exported {
    QByteArray csv;
    std::vector<CsvReader::Record> rows; // header first
    std::map<QString, QByteArray> pictures; // name -> bytes
};

Exported exportTo(const QString& dir, const QString& csvPath)
{
    const CsvExport::Result r = CsvExport::run(dir, csvPath);
    Exported e;
    e.csv = BookFolder::readFile(csvPath);
    CsvReader reader(e.csv);
    CsvReader::Record row;
    while (reader.next(row))
        e.rows.push_back(row);
    QDirIterator it(r.picturesDir, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        e.pictures[QFileInfo(path).fileName()] = BookFolder::readFile(path);
    }
    return e;
}

int columnIndex(const char* name)
{
    const auto columns = kelpora::record::columns();
    for (size_t i = 0; i < columns.size(); ++i)
        if (qstrcmp(columns[i].name, name) == 0)
            return int(i);
    return -1;
}

const CsvReader::Field& field(const Exported& e, int code, const char* column)
{
    return e.rows.at(size_t(code)).fields.at(size_t(columnIndex(column)));
}

} // namespace

TEST(CsvExport, WritesUtf8WithAByteOrderMarkAndTheColumnNames)
{
    BookFolder folder;
    BookFolder out(false);
    const Exported e = exportTo(folder.path(), out.file(QStringLiteral("book.csv")));
    EXPECT_TRUE(e.csv.startsWith("\xEF\xBB\xBF"
                                 "CODENO,DAY_DATA,TENNKI,FUNE,BASYO,"));
    EXPECT_TRUE(e.csv.contains(",TIME3_START,TIME3_END\r\n"));
    ASSERT_EQ(e.rows.size(), 21u);
    EXPECT_EQ(e.rows[0].fields.size(), 55u);
    for (int code = 1; code <= 20; ++code) {
        EXPECT_EQ(field(e, code, "CODENO").bytes, QByteArray::number(code)) << "record-number order";
        EXPECT_EQ(e.rows[size_t(code)].fields.size(), 55u);
    }
    // The Japanese arrives as UTF-8, not as the Shift-JIS of the file.
    EXPECT_EQ(QString::fromUtf8(field(e, 1, "BASYO").bytes).size(), field(e, 1, "BASYO").bytes.size() / 3);
}

TEST(CsvExport, KeepsNullAndEmptyTextApartAndQuotesWhatNeedsIt)
{
    BookFolder folder;
    addAwkwardRecord(folder);
    BookFolder out(false);
    const Exported e = exportTo(folder.path(), out.file(QStringLiteral("book.csv")));
    ASSERT_EQ(e.rows.size(), 22u);

    // Record 7 of the demo book was corrected (empty species as NULL), record 3 entered
    // (empty text).
    EXPECT_TRUE(field(e, 7, "FISH2").bytes.isEmpty());
    EXPECT_FALSE(field(e, 7, "FISH2").quoted);
    EXPECT_TRUE(field(e, 3, "FISH2").bytes.isEmpty());
    EXPECT_TRUE(field(e, 3, "FISH2").quoted);
    // A NULL number is a bare empty field too.
    EXPECT_FALSE(field(e, 3, "FISH2_MAX").quoted);

    const QByteArray awkward = QStringLiteral("21,2026/06/01,,\"\",\"堤防\"\"赤灯\"\",先端\",").toUtf8();
    EXPECT_TRUE(e.csv.contains(awkward)) << e.csv.mid(e.csv.indexOf("\r\n21,"), 200).toStdString();
    EXPECT_TRUE(e.csv.contains(QStringLiteral(",\"\",\"一行目\r\n二行目, \"\"引用\"\"\r\n\",").toUtf8()))
        << "memo with its CR LF inside quotes";
    EXPECT_EQ(field(e, 21, "FISH1_MAX").bytes, "-3");
    EXPECT_EQ(field(e, 21, "CHIZU").bytes, "book_pictures/00021_CHIZU.bin");
}

TEST(CsvExport, WritesEveryPictureByteForByteNamedAfterRecordAndColumn)
{
    BookFolder folder;
    BookFolder out(false);
    const Exported e = exportTo(folder.path(), out.file(QStringLiteral("book.csv")));

    int bitmaps = 0, jpegs = 0, checked = 0;
    folder.withDataModule([&](TDM1& dm) {
        kelpora::SqlQuery q(dm.IBDB2, dm.IBTr2);
        q.addSql(QStringLiteral("select *  from FISH_DATA  order by CODENO  "));
        q.open();
        for (int code = 1; code <= q.rowCount(); ++code, q.next()) {
            for (const char* column : {"SHIO_ZU", "CHIZU", "PHOTO1", "PHOTO2", "PHOTO3", "PHOTO4"}) {
                const CsvReader::Field& f = field(e, code, column);
                if (q.isNull(QLatin1String(column))) {
                    EXPECT_TRUE(f.bytes.isEmpty());
                    continue;
                }
                const QByteArray stored = q.fieldBlob(QLatin1String(column));
                const bool bmp = stored.startsWith("BM");
                bmp ? ++bitmaps : ++jpegs;
                const QString name
                    = QStringLiteral("%1_%2.%3")
                          .arg(code, 5, 10, QChar(u'0'))
                          .arg(QLatin1String(column), bmp ? QStringLiteral("bmp") : QStringLiteral("jpg"));
                EXPECT_EQ(QString::fromUtf8(f.bytes), QStringLiteral("book_pictures/") + name);
                ASSERT_TRUE(e.pictures.count(name)) << name.toStdString();
                EXPECT_EQ(e.pictures.at(name), stored) << name.toStdString();
                ++checked;
            }
        }
    });
    EXPECT_GT(bitmaps, 0);
    EXPECT_GT(jpegs, 0);
    EXPECT_EQ(size_t(checked), e.pictures.size());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList{QStringLiteral("book.csv"), QStringLiteral("book_pictures")}));
}

TEST(CsvExport, ImportThenExportAgainGivesTheSameFilesByteForByte)
{
    BookFolder folder;
    addAwkwardRecord(folder);
    // Bytes that are not Shift-JIS (a lone lead byte, 0x80, 0xFF), NEC's copy of a kanji
    // that code page 932 writes with IBM's bytes, and NULs, as a damaged
    // book may hold them; the map that is no picture would now be refused by the import.
    const QString odd = QStringLiteral("x'8AD98140FF008041ED820082'");
    folder.execute(QStringLiteral("update FISH_DATA set CHIZU = null, FUNE = %1, SHIKAKE = %1 where CODENO = 21").arg(odd));
    BookFolder first(false);
    const Exported a = exportTo(folder.path(), first.file(QStringLiteral("book.csv")));

    BookFolder rebuilt(false);
    const ToolProcess::Outcome imported
        = ToolProcess::tool("kelpora-import", {first.file(QStringLiteral("book.csv")), rebuilt.path()});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(BookFolder::records(rebuilt.book()), 21);
    EXPECT_EQ(BookFolder::records(rebuilt.book(), QStringLiteral("where FISH2 is null")),
        BookFolder::records(folder.book(), QStringLiteral("where FISH2 is null")));
    EXPECT_EQ(BookFolder::records(rebuilt.book(), QStringLiteral("where FUNE = %1 and SHIKAKE = %1").arg(odd)), 1);
    EXPECT_FALSE(a.csv.contains('\0'));

    BookFolder second(false);
    const ToolProcess::Outcome exported
        = ToolProcess::tool("kelpora-export", {rebuilt.path(), second.file(QStringLiteral("book.csv"))});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.err.contains(QStringLiteral("記録 21 の FUNE にシフトJISとして読めないバイトがあり")))
        << exported.err.toStdString();
    const QByteArray again = BookFolder::readFile(second.file(QStringLiteral("book.csv")));
    EXPECT_EQ(again, a.csv);
    EXPECT_EQ(first.listing(), second.listing());
    for (const auto& [name, bytes] : a.pictures)
        EXPECT_EQ(BookFolder::readFile(second.file(QStringLiteral("book_pictures/") + name)), bytes)
            << name.toStdString();
}

TEST(CsvExport, RefusesToOverwriteAndToReadABookHeldOpen)
{
    BookFolder folder;
    BookFolder out(false);
    const QString csv = out.file(QStringLiteral("book.csv"));
    BookFolder::writeFile(csv, "mine");
    const ToolProcess::Outcome exists = ToolProcess::tool("kelpora-export", {folder.path(), csv});
    EXPECT_EQ(exists.exitCode, 1);
    EXPECT_TRUE(exists.err.contains(QStringLiteral("上書きはしません"))) << exists.err.toStdString();
    EXPECT_EQ(BookFolder::readFile(csv), "mine");

    kelpora::testing::BookHolder holder(folder.path());
    ASSERT_TRUE(holder.holding());
    const ToolProcess::Outcome held
        = ToolProcess::tool("kelpora-export", {out.file(QStringLiteral("other.csv"))}, folder.path());
    EXPECT_EQ(held.exitCode, 1);
    EXPECT_TRUE(held.err.contains(QStringLiteral("開いています"))) << held.err.toStdString();
    EXPECT_EQ(out.listing(), QStringList{QStringLiteral("book.csv")});
}

TEST(CsvExport, OntoAFullDiskFailsByNameAndLeavesNothing)
{
    BookFolder folder;
    BookFolder roomy(false);
    exportTo(folder.path(), roomy.file(QStringLiteral("book.csv")));
    qint64 size = 0;
    for (QDirIterator it(roomy.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        size += QFileInfo(it.next()).size();

    // Room for some of the pictures, then for all of them but not the CSV.
    for (const qint64 room : {size / 2, size - BookFolder::readFile(roomy.file(QStringLiteral("book.csv"))).size() / 2}) {
        kelpora::testing::SmallDisk disk(int(room / 1024));
        KELPORA_NEED_SMALL_DISK(disk);
        const ToolProcess::Outcome full
            = ToolProcess::tool("kelpora-export", {folder.path(), disk.file(QStringLiteral("book.csv"))});
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_TRUE(full.err.contains(QStringLiteral("を書けません: ディスクの空きがありません"))) << full.err.toStdString();
        EXPECT_FALSE(full.err.contains(QStringLiteral("Unknown"))) << full.err.toStdString();
        EXPECT_TRUE(full.out.isEmpty()) << full.out.toStdString();
        EXPECT_TRUE(QDir(disk.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            << QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u' ').toStdString();
    }
}

TEST(CsvExport, KilledAtAnyMomentLeavesNoCsvThatLooksComplete)
{
    BookFolder folder;
    BookFolder reference(false);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(ToolProcess::tool("kelpora-export", {folder.path(), reference.file(QStringLiteral("book.csv"))}).exitCode, 0);
    const qint64 takes = clock.elapsed();
    const QByteArray whole = BookFolder::readFile(reference.file(QStringLiteral("book.csv")));
    // Kills spread over the time a whole export takes, from before it opens the book to
    // after it has put its files in place.
    for (int step = 0; step <= 10; ++step) {
        const int delayMs = int(takes * step / 10);
        SCOPED_TRACE(delayMs);
        BookFolder out(false);
        QProcess p;
        p.start(ToolProcess::toolPath("kelpora-export"), {folder.path(), out.file(QStringLiteral("book.csv"))});
        ASSERT_TRUE(p.waitForStarted());
        QThread::msleep(delayMs);
        ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished();
        // Either the export had finished, or nothing under the CSV's name is there.
        const bool finished = QFileInfo::exists(out.file(QStringLiteral("book.csv")));
        if (finished) {
            EXPECT_EQ(BookFolder::readFile(out.file(QStringLiteral("book.csv"))), whole);
        }
        std::printf("killed after %d ms: %s\n", delayMs, finished ? "export was complete" : "no CSV");
        for (const QString& name : out.listing())
            EXPECT_TRUE(name.startsWith(u'.') || name.startsWith(QStringLiteral("book_pictures"))
                || name == QStringLiteral("book.csv"))
                << name.toStdString();
    }
}
