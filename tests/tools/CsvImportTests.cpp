#include "BookFolder.h"
#include "ToolProcess.h"
#include "support/SmallDisk.h"
#include "support/TestImages.h"

#include "bookcare/CsvImport.h"

#include "core/CatchRecord.h"
#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <gtest/gtest.h>

#include <map>

using kelpora::testing::BookFolder;
using kelpora::testing::ToolProcess;

namespace {

QByteArray header()
{
    QStringList names;
    for (const kelpora::record::Column& c : kelpora::record::columns())
        names << QLatin1String(c.name);
    return "\xEF\xBB\xBF" + names.join(u',').toUtf8() + "\r\n";
}

// One CSV line: number, date, place and first species set, every other field NULL,
// then the given fields as they stand in the file.
QByteArray line(int code, const std::map<QString, QByteArray>& fields = {})
{
    std::map<QString, QByteArray> all{{QStringLiteral("CODENO"), QByteArray::number(code)},
        {QStringLiteral("DAY_DATA"), "2026/05/01"}, {QStringLiteral("BASYO"), "館山"},
        {QStringLiteral("FISH1"), "アジ"}};
    for (const auto& [k, v] : fields)
        all[k] = v;
    QByteArrayList out;
    for (const kelpora::record::Column& c : kelpora::record::columns())
        out << (all.count(QLatin1String(c.name)) ? all.at(QLatin1String(c.name)) : QByteArray());
    return out.join(',') + "\r\n";
}

// A good CSV of two records (the second with a two-line memo, so it covers lines 3 and
// 4) followed by the bad line, which therefore stands on line 5.
QByteArray withBadLine(const QByteArray& bad)
{
    return header() + line(1) + line(2, {{QStringLiteral("BIKOU"), "\"朝まずめ\r\n夕まずめ\""}}) + bad;
}

} // namespace

TEST(CsvImport, RefusesEachKindOfBadLineWithItsNumberAndLeavesNoBook)
{
    const QByteArray photo = "in_pictures/00003_PHOTO1.jpg";
    const std::vector<std::pair<QByteArray, QString>> cases{
        {line(3).replace("館山", "\"館山"), QStringLiteral("引用符が閉じられていません")},
        {line(3).replace(",アジ,", ",アジ,,"), QStringLiteral("項目の数が 56 です")},
        {line(3).replace("館山", "\"館\"山"), QStringLiteral("引用符で囲んだ項目の後に余分な文字があります")},
        {line(3).replace("館山", "館\"山"), QStringLiteral("引用符で囲んでいない項目の中に引用符")},
        {line(3, {{QStringLiteral("FISH1_MAX"), "12cm"}}), QStringLiteral("FISH1_MAX: 「12cm」は整数ではありません")},
        {line(3, {{QStringLiteral("MAX1_HIGHT"), "2147483648"}}),
            QStringLiteral("MAX1_HIGHT: 「2147483648」は範囲外の数です")},
        {line(2), QStringLiteral("CODENO: 記録番号 2 は 3 行目と重複しています")},
        {line(3, {{QStringLiteral("CODENO"), ""}}), QStringLiteral("CODENO: 記録番号がありません")},
        {line(3, {{QStringLiteral("PHOTO1"), photo}}),
            QStringLiteral("PHOTO1: 写真のフォルダ ")},
        {line(3, {{QStringLiteral("BASYO"), "磯🐟"}}),
            QStringLiteral("BASYO: 「🐟」(U+1F41F) はシフトJISで保存できない文字です")},
        {line(3, {{QStringLiteral("FUNE"), "一二三四五六七八九十一"}}),
            QStringLiteral("FUNE: 「一二三四五六七八九十一」は長すぎます（22 バイト、最大 20 バイト）")},
        {line(3, {{QStringLiteral("TENNKI"), "\xFF\xFE"}}),
            QStringLiteral("TENNKI: UTF-8 として読めない文字があります")},
    };
    for (const auto& [bad, reason] : cases) {
        SCOPED_TRACE(reason.toStdString());
        BookFolder folder(false);
        const QString csv = folder.file(QStringLiteral("in.csv"));
        BookFolder::writeFile(csv, withBadLine(bad));
        const QString target = folder.file(QStringLiteral("book"));
        try {
            kelpora::bookcare::CsvImport::run(csv, target);
            ADD_FAILURE() << "imported";
        } catch (const kelpora::Error& e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("の 5 行目: ") + reason)) << e.text().toStdString();
            EXPECT_TRUE(e.text().endsWith(QStringLiteral("釣果記録は作っていません。"))) << e.text().toStdString();
        }
        EXPECT_EQ(folder.listing(), QStringList{QStringLiteral("in.csv")}) << "no book and no folder left behind";
    }
}

TEST(CsvImport, ToolReportsABadLineInOneLineAndKeepsTheFolder)
{
    BookFolder folder(false);
    const QString csv = folder.file(QStringLiteral("in.csv"));
    BookFolder::writeFile(csv, withBadLine(line(3, {{QStringLiteral("FISH1_KAZU"), "-"}})));
    BookFolder target(false);
    const ToolProcess::Outcome run = ToolProcess::tool("kelpora-import", {csv, target.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count(u'\n'), 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("kelpora-import: "))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("の 5 行目: FISH1_KAZU: 「-」は整数ではありません")))
        << run.err.toStdString();
    EXPECT_TRUE(target.listing().isEmpty());
}

TEST(CsvImport, RefusesAWrongHeaderAndAnExistingBook)
{
    BookFolder folder(false);
    const QString csv = folder.file(QStringLiteral("in.csv"));
    BookFolder::writeFile(csv, QByteArray("CODENO,DAY_DATA\r\n1,2026/05/01\r\n"));
    const ToolProcess::Outcome wrong = ToolProcess::tool("kelpora-import", {csv, folder.file(QStringLiteral("x"))});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("の 1 行目: 見出しが"))) << wrong.err.toStdString();

    BookFolder existing;
    const QByteArray before = BookFolder::fileHash(existing.book());
    BookFolder::writeFile(csv, header() + line(1));
    const ToolProcess::Outcome refused = ToolProcess::tool("kelpora-import", {csv, existing.path()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("上書きはしません"))) << refused.err.toStdString();
    EXPECT_EQ(BookFolder::fileHash(existing.book()), before);
}

TEST(CsvImport, ReadsWhatASpreadsheetProgramWrites)
{
    // No byte-order mark, LF line ends, every field quoted, a blank line at the end;
    // pictures found relative to the CSV.
    BookFolder folder(false);
    QDir().mkpath(folder.file(QStringLiteral("in_pictures/tide")));
    BookFolder::writeFile(folder.file(QStringLiteral("in_pictures/a.jpg")), kelpora::testing::jpegFile(QSize(8, 8)));
    BookFolder::writeFile(folder.file(QStringLiteral("in_pictures/tide/b.bmp")),
        kelpora::testing::bmpFile(kelpora::testing::quadrants(QSize(4, 4))));
    // A link that stays inside the picture folder is followed.
    QFile::link(QStringLiteral("a.jpg"), folder.file(QStringLiteral("in_pictures/alias.jpg")));
    QByteArray csv = header().mid(3).replace("\r\n", "\n");
    QByteArrayList fields;
    for (const kelpora::record::Column& c : kelpora::record::columns()) {
        const QByteArray name(c.name);
        fields << (name == "CODENO" ? "\"7\""
                : name == "BASYO"   ? "\"館山\""
                : name == "PHOTO3"  ? "\"in_pictures/a.jpg\""
                : name == "PHOTO4"  ? "\"in_pictures/alias.jpg\""
                : name == "SHIO_ZU" ? "\"in_pictures/tide/b.bmp\""
                                    : "\"\"");
    }
    csv += fields.join(',') + "\n\n";
    BookFolder::writeFile(folder.file(QStringLiteral("in.csv")), csv);
    const kelpora::bookcare::CsvImport::Result r
        = kelpora::bookcare::CsvImport::run(folder.file(QStringLiteral("in.csv")), folder.file(QStringLiteral("book")));
    EXPECT_EQ(r.records, 1);
    EXPECT_EQ(r.pictures, 3);
    EXPECT_EQ(BookFolder::records(r.book,
                  QStringLiteral("where CODENO = 7 and BASYO = '館山' and TENNKI = ''"
                                 " and FISH1_MAX is null and PHOTO1 is null and PHOTO3 is not null"
                                 " and PHOTO4 is not null and SHIO_ZU is not null")),
        1);
}

TEST(CsvImport, ReadsOnlyPicturesFromItsOwnPictureFolder)
{
    using kelpora::testing::jpegFile;
    const QByteArray jpeg = jpegFile(QSize(64, 48));
    const std::vector<std::tuple<const char*, QByteArray, QString>> cases{
        {"PHOTO1", "/etc/passwd", QStringLiteral("「/etc/passwd」は絶対パスです。写真は in_pictures/ の中のファイルだけを読みます")},
        {"PHOTO1", "in_pictures/../secret.jpg", QStringLiteral("「..」を含みます")},
        {"PHOTO1", "secret.jpg", QStringLiteral("「secret.jpg」は in_pictures/ の中にありません")},
        {"CHIZU", "in_pictures/out.jpg", QStringLiteral("シンボリックリンクで in_pictures/ の外を指しています")},
        {"PHOTO2", "in_pictures/sub", QStringLiteral("in_pictures/sub は普通のファイルではありません")},
        {"PHOTO2", QByteArray("in_pictures/a\0.jpg", 18), QStringLiteral("写真のファイル名に NUL 文字 (0x00) があります")},
        {"PHOTO3", "in_pictures/text.jpg", QStringLiteral("in_pictures/text.jpg は JPEG の写真として読めません（")},
        {"PHOTO3", "in_pictures/cut.jpg", QStringLiteral("in_pictures/cut.jpg は JPEG の写真として読めません（")},
        {"PHOTO4", "in_pictures/map.bmp", QStringLiteral("in_pictures/map.bmp は JPEG の写真として読めません（")},
        {"SHIO_ZU", "in_pictures/text.jpg", QStringLiteral("は JPEG か BMP の画像として読めません（")},
        {"SHIO_ZU", "in_pictures/empty.bmp", QStringLiteral("in_pictures/empty.bmp は空です")},
    };
    BookFolder folder(false);
    QDir().mkpath(folder.file(QStringLiteral("in_pictures/sub")));
    BookFolder::writeFile(folder.file(QStringLiteral("secret.jpg")), jpeg);
    QFile::link(folder.file(QStringLiteral("secret.jpg")), folder.file(QStringLiteral("in_pictures/out.jpg")));
    BookFolder::writeFile(folder.file(QStringLiteral("in_pictures/text.jpg")), "root:x:0:0:root:/root:/bin/bash\n");
    BookFolder::writeFile(folder.file(QStringLiteral("in_pictures/cut.jpg")), jpeg.left(jpeg.size() / 2));
    BookFolder::writeFile(folder.file(QStringLiteral("in_pictures/map.bmp")),
        kelpora::testing::bmpFile(kelpora::testing::quadrants(QSize(4, 4))));
    BookFolder::writeFile(folder.file(QStringLiteral("in_pictures/empty.bmp")), "");
    const QString csv = folder.file(QStringLiteral("in.csv"));
    for (const auto& [column, path, reason] : cases) {
        SCOPED_TRACE(reason.toStdString());
        BookFolder::writeFile(csv, withBadLine(line(3, {{QLatin1String(column), path}})));
        const ToolProcess::Outcome run = ToolProcess::tool("kelpora-import", {csv, folder.file(QStringLiteral("book"))});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("の 5 行目: %1: ").arg(QLatin1String(column))));
        EXPECT_TRUE(run.err.contains(reason)) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("book")))) << "no book left";
    }
}

TEST(CsvImport, QuotesOnlyTheStartOfAnOverlongField)
{
    BookFolder folder(false);
    const QString csv = folder.file(QStringLiteral("in.csv"));
    BookFolder::writeFile(csv, withBadLine(line(3, {{QStringLiteral("FISH1_MAX"), QByteArray(1 << 20, '9')}})));
    const ToolProcess::Outcome run = ToolProcess::tool("kelpora-import", {csv, folder.file(QStringLiteral("book"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_LT(run.err.size(), 300) << run.err.left(400).toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("9999…（全 1048576 文字）」は範囲外の数です"))) << run.err.toStdString();
}

TEST(CsvImport, OntoAFullDiskSaysSoAndLeavesNothing)
{
    BookFolder book;
    BookFolder exported(false);
    ASSERT_EQ(ToolProcess::tool("kelpora-export", {book.path(), exported.file(QStringLiteral("d.csv"))}).exitCode, 0);
    kelpora::testing::SmallDisk disk(1500);
    KELPORA_NEED_SMALL_DISK(disk);
    const ToolProcess::Outcome run
        = ToolProcess::tool("kelpora-import", {exported.file(QStringLiteral("d.csv")), disk.file(QStringLiteral("book"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("を作れません: ディスクの空きがありません。釣果記録は作っていません。")))
        << run.err.toStdString();
    EXPECT_TRUE(QDir(disk.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}
