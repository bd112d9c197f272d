#include "EntryFixture.h"

#include "core/CatchRecord.h"
#include "core/DM_1.h"
#include "core/DateText.h"
#include "core/NamedParams.h"
#include "core/SqlQuery.h"
#include "entry/EntryInsert.h"
#include "pictures/ImageArea.h"
#include "pictures/JpegCodec.h"
#include "support/RecordWriter.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

using namespace kelpora::testing;
using kelpora::ImageArea;
using kelpora::JpegCodec;
using kelpora::Picture;

namespace {

class Insert : public EntryFixture {
protected:
    // What reached the file for one record, read on a query of its own.
    kelpora::SqlQuery& stored(int code)
    {
        check = std::make_unique<kelpora::SqlQuery>(db.dm().IBDB2, db.dm().IBTr2);
        check->addSql(QStringLiteral("select * from FISH_DATA where CODENO = %1").arg(code));
        check->open();
        return *check;
    }

    int recordCount() { return TempDatabase::countRows(db.path()); }

    // Date as offered, place and first species through their pickers.
    void typeMinimalEntry()
    {
        answerPicker(QStringLiteral("館山"));
        answerPicker(QStringLiteral("アジ"));
        QTest::mouseClick(w->Edit_Basyo, Qt::LeftButton);
        QTest::mouseClick(w->Edit_F1, Qt::LeftButton);
    }

    void confirm() { QTest::mouseClick(w->Btn_New_Yes, Qt::LeftButton); }

    std::unique_ptr<kelpora::SqlQuery> check;
};

} // namespace

TEST_F(Insert, TheTideBoxStoresWhatWasTypedAndEachResetLetsTheNextDateReplaceTheOffered)
{
    typeMinimalEntry();
    QTest::mouseClick(w->CBox_Shio->lineEdit(), Qt::LeftButton);
    typeText(w->CBox_Shio, QStringLiteral("若"));
    QTest::keyClick(w->CBox_Shio, Qt::Key_Return);
    EXPECT_EQ(focused(), QStringLiteral("Edit_Shio_Kijyun"));
    confirm();
    ASSERT_EQ(seams.messages.informed, QStringList{QStringLiteral("入力完了")});
    EXPECT_EQ(stored(1).fieldText(QStringLiteral("SHIO")), QStringLiteral("若"));

    QTest::keyClicks(w->focusWidget(), QStringLiteral("2026/1/5"));
    EXPECT_EQ(w->Edit_Day->text(), QStringLiteral("2026/1/5"));
    QTest::mouseClick(w->Btn_New_No, Qt::LeftButton);
    QTest::keyClicks(w->focusWidget(), QStringLiteral("2026/2/6"));
    EXPECT_EQ(w->Edit_Day->text(), QStringLiteral("2026/2/6"));
}

TEST_F(Insert, AMinimalEntryStoresEmptyTextsAndNullsAndTheWindowStartsAgain)
{
    insertMinimal(db.dm(), 3);
    activate();
    QTest::mouseClick(w->Btn_New_No, Qt::LeftButton);
    typeMinimalEntry();
    confirm();
    ASSERT_EQ(seams.messages.informed, QStringList{QStringLiteral("入力完了")});
    EXPECT_TRUE(seams.messages.errors.isEmpty()) << qPrintable(seams.messages.errors.join(u'|'));

    kelpora::SqlQuery& q = stored(4);
    ASSERT_EQ(q.rowCount(), 1);
    EXPECT_EQ(q.fieldText(QStringLiteral("DAY_DATA")), kelpora::DateText::format(QDate::currentDate()));
    EXPECT_EQ(q.fieldText(QStringLiteral("BASYO")), QStringLiteral("館山"));
    EXPECT_EQ(q.fieldText(QStringLiteral("FISH1")), QStringLiteral("アジ"));
    for (const char* column : {"TENNKI", "FUNE", "SHIO", "KIJYUNN", "KYUUREKI", "OLD_SHIO", "FISH2", "FISH3"}) {
        EXPECT_FALSE(q.isNull(QLatin1String(column))) << column;
        EXPECT_EQ(q.fieldText(QLatin1String(column)), QString()) << column;
    }
    for (const char* column : {"MAX1", "MAX2", "MIN1", "MIN2", "MAX1_HIGHT", "MAX2_HIGHT", "MIN1_LOW", "MIN2_LOW",
             "FISH1_MAX", "FISH1_MIN", "FISH1_KAZU", "FISH2_MAX", "FISH2_MIN", "FISH2_KAZU", "FISH3_MAX", "FISH3_MIN",
             "FISH3_KAZU", "SHIKAKE", "BIKOU", "SHIO_ZU", "CHIZU", "PHOTO1", "PHOTO2", "PHOTO3", "PHOTO4"})
        EXPECT_TRUE(q.isNull(QLatin1String(column))) << column;
    for (const char* column : kelpora::EntryInsert::markColumns()) {
        EXPECT_FALSE(q.isNull(QLatin1String(column))) << column;
        EXPECT_EQ(q.fieldInteger(QLatin1String(column)), 0) << column;
    }

    EXPECT_EQ(w->Edit_No->text(), QStringLiteral("5"));
    EXPECT_EQ(w->Edit_Basyo->text(), QString());
    EXPECT_EQ(w->Edit_F1->text(), QString());
    EXPECT_EQ(focused(), QStringLiteral("Edit_Day"));
}

TEST_F(Insert, AFullEntryStoresEveryColumnAsTyped)
{
    answerPicker(QStringLiteral("富津"));
    answerPicker(QStringLiteral("第二海堡"));
    answerPicker(QStringLiteral("シーバス"));
    retype(w->Edit_Day, QStringLiteral("2026/5/3"));
    typeText(w->Edit_Tenki, QStringLiteral("曇り"));
    QTest::mouseClick(w->Edit_Basyo, Qt::LeftButton);
    QTest::mouseClick(w->Edit_Fune, Qt::LeftButton);
    typeText(w->CBox_Shio, QStringLiteral("中潮"));
    typeText(w->Edit_Shio_Kijyun, QStringLiteral("横須賀"));
    typeText(w->Edit_Old_Day, QStringLiteral("3月17日"));
    const std::pair<QLineEdit*, const char*> typed[] = {{w->Edit_Max_T1, "6"}, {w->Edit_Max_T1_2, "5"},
        {w->Edit_Max_H1, "12.5"}, {w->Edit_Max_T2, "18"}, {w->Edit_Max_T2_2, "47"}, {w->Edit_Max_H2, "13.5"},
        {w->Edit_Min_T1, "0"}, {w->Edit_Min_T1_2, "00"}, {w->Edit_Min_H1, "12.4"}, {w->Edit_Min_T2, "12"},
        {w->Edit_Min_T2_2, "30"}, {w->Edit_Min_H2, ".5"}, {w->Edit_F1_Max, "62"}, {w->Edit_F1_Min, "45"},
        {w->Edit_F1_kazu, "0123"}, {w->Edit_F2_Max, "30"}, {w->Edit_F2_Min, "25"}, {w->Edit_F2_kazu, "3"},
        {w->Edit_F3_Max, "20"}, {w->Edit_F3_Min, "18"}, {w->Edit_F3_kazu, "2"}};
    for (const auto& [field, text] : typed)
        QTest::keyClicks(field, QString::fromUtf8(text));
    QTest::mouseClick(w->Edit_F1, Qt::LeftButton);
    typeText(w->Edit_F2, QStringLiteral("サバ"));
    typeText(w->Edit_F3, QStringLiteral("アジ"));
    typeText(w->Memo_Shikake, QStringLiteral("ルアー"));
    QTest::keyClick(w->Memo_Shikake, Qt::Key_Return);
    typeText(w->Memo_Shikake, QStringLiteral("PE1.0号"));
    typeText(w->Memo_Cyouka, QStringLiteral("abc"));

    const QByteArray chart = JpegCodec::encode(drawing(333, 248, Qt::white));
    const QImage map = drawing(300, 200, Qt::yellow);
    w->Image_Shio->setPicture(Picture::fromJpeg(chart)); // as the tide chart editor hands it over
    seams.program.whileRunning = [&] { seams.clipboard.bitmapImage = map; }; // the map program copies its map
    QTest::mouseClick(w->Btn_Apri_Chizu, Qt::LeftButton);
    QByteArray photos[4];
    for (int i = 0; i < 4; ++i) {
        photos[i] = JpegCodec::encode(drawing(64 + i, 48, QColor(40 * i, 90, 200)));
        photos[i].append("\xFF\xD9 trailing bytes kept", 22); // not what our encoder writes
        seams.fileDialog.answers.push_back(writeFile(QStringLiteral("p%1.jpeg").arg(i), photos[i]));
    }
    for (ImageArea* photo : {w->Image_A, w->Image_B, w->Image_C, w->Image_D})
        QTest::mouseDClick(photo, Qt::LeftButton);
    for (int i = 0; i < 18; ++i)
        Shio_Marks[size_t(i)] = i < 6 ? 0 : 100 + i;

    confirm();
    ASSERT_EQ(seams.messages.informed, QStringList{QStringLiteral("入力完了")});
    ASSERT_TRUE(seams.messages.errors.isEmpty()) << qPrintable(seams.messages.errors.join(u'|'));
    EXPECT_EQ(pickedKinds, names({"BASYO", "FUNE", "SAKANA"}));

    kelpora::SqlQuery& q = stored(1);
    const std::pair<const char*, const char*> texts[]
        = {{"DAY_DATA", "2026/05/03"}, {"TENNKI", "曇り"}, {"FUNE", "第二海堡"}, {"BASYO", "富津"}, {"SHIO", "中潮"},
            {"KIJYUNN", "横須賀"}, {"KYUUREKI", "3月17日"}, {"OLD_SHIO", ""}, {"MAX1", "06:05"}, {"MAX2", "18:47"},
            {"MIN1", "00:00"}, {"MIN2", "12:30"}, {"FISH1", "シーバス"}, {"FISH2", "サバ"}, {"FISH3", "アジ"},
            {"SHIKAKE", "ルアー\r\nPE1.0号"}, {"BIKOU", "abc"}};
    for (const auto& [column, text] : texts)
        EXPECT_EQ(q.fieldText(QLatin1String(column)), QString::fromUtf8(text)) << column;
    const std::pair<const char*, int> numbers[] = {{"MAX1_HIGHT", 12}, {"MAX2_HIGHT", 14}, {"MIN1_LOW", 12},
        {"MIN2_LOW", 0}, {"FISH1_MAX", 62}, {"FISH1_MIN", 45}, {"FISH1_KAZU", 123}, {"FISH2_MAX", 30},
        {"FISH2_MIN", 25}, {"FISH2_KAZU", 3}, {"FISH3_MAX", 20}, {"FISH3_MIN", 18}, {"FISH3_KAZU", 2}};
    for (const auto& [column, value] : numbers) {
        EXPECT_FALSE(q.isNull(QLatin1String(column))) << column;
        EXPECT_EQ(q.fieldInteger(QLatin1String(column)), value) << column;
    }

    // A JPEG keeps its bytes; a bitmap is encoded at quality 90, baseline.
    EXPECT_EQ(q.fieldBlob(QStringLiteral("SHIO_ZU")), chart);
    const QByteArray storedMap = q.fieldBlob(QStringLiteral("CHIZU"));
    EXPECT_EQ(storedMap, JpegCodec::encode(map));
    EXPECT_EQ(JpegCodec::readSize(storedMap), QSize(300, 200));
    EXPECT_TRUE(storedMap.contains("\xFF\xC0")); // SOF0
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(q.fieldBlob(QStringLiteral("PHOTO%1").arg(i + 1)), photos[i]) << i;
    const auto& marks = kelpora::EntryInsert::markColumns();
    for (size_t i = 0; i < marks.size(); ++i)
        EXPECT_EQ(q.fieldInteger(QLatin1String(marks[i])), i < 6 ? 0 : int(100 + i)) << marks[i];

    // Ready for the next record: nothing of this one is left, the marks included.
    EXPECT_EQ(w->Edit_No->text(), QStringLiteral("2"));
    EXPECT_EQ(w->Memo_Shikake->toPlainText(), QString());
    EXPECT_EQ(w->Edit_Max_H1->text(), QString());
    EXPECT_TRUE(w->Image_Shio->picture().isNull());
    EXPECT_TRUE(w->Image_C->picture().isNull());
    EXPECT_EQ(Shio_Marks, (std::array<int, 18>{}));
}

TEST_F(Insert, DateAndTimesAreCheckedBeforeTheRequiredFields)
{
    // A bad time is reported before the missing place and species.
    QTest::keyClicks(w->Edit_Min_T1, QStringLiteral("24"));
    QTest::keyClicks(w->Edit_Min_T1_2, QStringLiteral("0"));
    confirm();
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("日付・時間の入力が不正です")});

    // So is an empty date, and one only Enter's lenient reading would take.
    w->Edit_Min_T1->clear();
    for (const char* date : {"", "2026-05-03"}) {
        retype(w->Edit_Day, QString::fromUtf8(date));
        confirm();
    }
    EXPECT_EQ(seams.messages.informed.size(), 3);
    EXPECT_EQ(seams.messages.informed.value(2), QStringLiteral("日付・時間の入力が不正です"));
    EXPECT_TRUE(seams.modal.opened.isEmpty());

    // Then the required fields: species 1 is asked for first, then the place.
    retype(w->Edit_Day, QStringLiteral("2026/5/3"));
    answerPicker(QStringLiteral("アジ"));
    answerPicker(QStringLiteral("館山"));
    confirm();
    EXPECT_EQ(seams.messages.informed.value(3), QStringLiteral("必須事項：日付、場所、魚種１が未入力です"));
    EXPECT_EQ(pickedKinds, names({"SAKANA", "BASYO"}));
    EXPECT_EQ(w->Edit_Day->text(), QStringLiteral("2026/05/03"));
    EXPECT_EQ(focused(), QStringLiteral("Edit_Basyo"));
    EXPECT_EQ(recordCount(), 0);

    // A later bad time leaves the date rewritten.
    retype(w->Edit_Day, QStringLiteral("2026/6/1"));
    QTest::keyClicks(w->Edit_Max_T2, QStringLiteral("7"));
    QTest::keyClicks(w->Edit_Max_T2_2, QStringLiteral("60"));
    confirm();
    EXPECT_EQ(seams.messages.informed.value(4), QStringLiteral("日付・時間の入力が不正です"));
    EXPECT_EQ(w->Edit_Day->text(), QStringLiteral("2026/06/01"));
    EXPECT_EQ(recordCount(), 0);
}

TEST_F(Insert, NumbersThatCannotBeStoredStopTheInsertAndKeepTheEntry)
{
    typeMinimalEntry();
    const std::pair<QLineEdit*, const char*> cases[]
        = {{w->Edit_F2_kazu, "2147483648"}, {w->Edit_Max_H2, "12.5.3"}, {w->Edit_F1_Min, "1a"}, {w->Edit_Min_H1, "."}};
    for (const auto& [field, text] : cases) {
        field->setText(QString::fromUtf8(text)); // as pasted: not filtered
        confirm();
        ASSERT_FALSE(seams.messages.informed.isEmpty());
        EXPECT_TRUE(seams.messages.informed.last().startsWith(QStringLiteral("SQL不正\n"))) << text;
        EXPECT_TRUE(seams.messages.informed.last().contains(QString::fromUtf8(text))) << text;
        EXPECT_EQ(field->text(), QString::fromUtf8(text));
        field->clear();
    }
    EXPECT_EQ(w->Edit_Basyo->text(), QStringLiteral("館山"));
    EXPECT_EQ(recordCount(), 0);

    // The largest count fits; an hour without its minute is no time, and no mistake either.
    w->Edit_F2_kazu->setText(QStringLiteral("2147483647"));
    QTest::keyClicks(w->Edit_Max_T1, QStringLiteral("6"));
    confirm();
    EXPECT_EQ(seams.messages.informed.last(), QStringLiteral("入力完了"));
    EXPECT_EQ(stored(1).fieldInteger(QStringLiteral("FISH2_KAZU")), 2147483647);
    EXPECT_TRUE(stored(1).isNull(QStringLiteral("MAX1")));
}

TEST_F(Insert, AFailedInsertKeepsEveryFieldPictureAndTheNumber)
{
    typeMinimalEntry();
    typeText(w->Edit_Tenki, QStringLiteral("晴れ"));
    w->Image_Map->setPicture(Picture::fromBitmap(drawing(50, 40, Qt::red)));
    Shio_Marks[6] = 12;
    // Meanwhile a record with this number was stored behind the window's back.
    insertMinimal(db.dm(), 1, QStringLiteral("別の場所"));
    confirm();
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("入力に失敗しました")});
    EXPECT_EQ(w->Edit_No->text(), QStringLiteral("1"));
    EXPECT_EQ(w->Edit_Tenki->text(), QStringLiteral("晴れ"));
    EXPECT_EQ(w->Edit_Basyo->text(), QStringLiteral("館山"));
    EXPECT_EQ(w->Image_Map->picture().size(), QSize(50, 40));
    EXPECT_EQ(Shio_Marks[6], 12);
    EXPECT_EQ(stored(1).fieldText(QStringLiteral("BASYO")), QStringLiteral("別の場所"));

    // Once the other record is gone, pressing again stores this one.
    kelpora::SqlQuery del(db.dm().IBDB2, db.dm().IBTr2);
    del.addSql(QStringLiteral("delete from FISH_DATA where CODENO = 1"));
    del.execute();
    db.dm().IBTr2.commitRetaining();
    confirm();
    EXPECT_EQ(seams.messages.informed.last(), QStringLiteral("入力完了"));
    EXPECT_EQ(stored(1).fieldText(QStringLiteral("TENNKI")), QStringLiteral("晴れ"));
    EXPECT_EQ(stored(1).fieldInteger(QStringLiteral("NEW_1_S")), 12);
}

TEST_F(Insert, TextThatDoesNotFitIsNamedAndNothingIsStored)
{
    typeMinimalEntry();
    typeText(w->Edit_Old_Day, QStringLiteral("六月二十一日"));
    confirm();
    EXPECT_EQ(seams.messages.informed,
        QStringList{
            QStringLiteral("入力に失敗しました\n「旧暦」が 2 バイト長すぎます（10 バイトまで、全角文字は 2 バイト）")});
    EXPECT_EQ(w->Edit_Old_Day->text(), QStringLiteral("六月二十一日"));
    EXPECT_EQ(recordCount(), 0);
}

TEST_F(Insert, ACharacterShiftJisLacksIsNamedAndNeverStoredAsAQuestionMark)
{
    typeMinimalEntry();
    typeText(w->Edit_Tenki, QStringLiteral("𠮷日"));
    confirm();
    ASSERT_EQ(seams.messages.errors.size(), 1);
    EXPECT_TRUE(seams.messages.errors[0].contains(QStringLiteral("𠮷"))) << qPrintable(seams.messages.errors[0]);
    EXPECT_EQ(w->Edit_Tenki->text(), QStringLiteral("𠮷日"));

    w->Edit_Tenki->clear();
    typeText(w->Memo_Cyouka, QStringLiteral("大漁🎣"));
    confirm();
    ASSERT_EQ(seams.messages.errors.size(), 2);
    EXPECT_TRUE(seams.messages.errors[1].contains(QStringLiteral("🎣"))) << qPrintable(seams.messages.errors[1]);
    EXPECT_EQ(w->Memo_Cyouka->toPlainText(), QStringLiteral("大漁🎣"));
    EXPECT_EQ(w->Edit_Basyo->text(), QStringLiteral("館山"));
    EXPECT_TRUE(seams.messages.informed.isEmpty());
    EXPECT_EQ(recordCount(), 0);
}

TEST_F(Insert, TheChartAndMapFromTheirEditorsAreStoredWithTheRecord)
{
    // Each editor pastes a drawing from the clipboard and confirms, as a user would.
    auto pasteAndConfirm = [this](QImage drawn) {
        seams.modal.scripts.push_back([this, drawn](QDialog& editor) {
            seams.clipboard.bitmapImage = drawn;
            QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("Btn_In")), Qt::LeftButton);
            QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("Btn_OK")), Qt::LeftButton);
            return 1;
        });
    };
    pasteAndConfirm(drawing(640, 480, Qt::cyan));
    QTest::mouseClick(w->But_Cyoui, Qt::LeftButton);
    pasteAndConfirm(drawing(300, 200, Qt::green));
    QTest::mouseDClick(w->Image_Map, Qt::LeftButton);
    ASSERT_EQ(w->Image_Shio->picture().kind(), Picture::Kind::Jpeg);
    ASSERT_EQ(w->Image_Map->picture().kind(), Picture::Kind::Jpeg);
    const QByteArray chart = w->Image_Shio->picture().jpegBytes();
    const QByteArray map = w->Image_Map->picture().jpegBytes();

    activate();
    typeMinimalEntry();
    confirm();
    ASSERT_EQ(seams.messages.informed, QStringList{QStringLiteral("入力完了")});
    kelpora::SqlQuery& q = stored(1);
    EXPECT_EQ(q.fieldBlob(QStringLiteral("SHIO_ZU")), chart);
    EXPECT_EQ(q.fieldBlob(QStringLiteral("CHIZU")), map);
    EXPECT_EQ(JpegCodec::readSize(chart), QSize(640, 480));
}

TEST(InsertStatement, NamesTheCataloguesColumnsInOrderAndBindsEachParameterOnce)
{
    const QStringList lines = kelpora::EntryInsert::lines();
    ASSERT_EQ(lines.size(), 36);
    const QString sql = lines.join(u'\n');
    const qsizetype values = sql.indexOf(QStringLiteral(" values "));
    ASSERT_GT(values, 0);

    QStringList columns = sql.left(values).split(QRegularExpression(QStringLiteral("[\\s,()]+")), Qt::SkipEmptyParts);
    columns = columns.mid(3); // "insert", "into", "FISH_DATA"
    QStringList catalogue;
    for (const auto& c : kelpora::record::columns())
        catalogue << QLatin1String(c.name);
    EXPECT_EQ(columns, catalogue);

    QStringList expected;
    for (const QString& c : catalogue)
        expected << QStringLiteral("PAR") + c;
    EXPECT_EQ(kelpora::toPositional(sql).names, expected);
    EXPECT_TRUE(lines[3].contains(u'\t'));
    EXPECT_EQ(lines[3], QStringLiteral(" DAY_DATA,  \t TENNKI,  \tFUNE,  \t     BASYO,       "));
}
