#include "browser/Fishdata_F.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace kelpora::testing;

namespace {

class Correction : public ::testing::Test {
protected:
    void SetUp() override
    {
        insertRecord(db.dm(),
            {{QStringLiteral("CODENO"), 1}, {QStringLiteral("DAY_DATA"), QStringLiteral("2026/04/01")},
                {QStringLiteral("BASYO"), QStringLiteral("富津")},
                {QStringLiteral("FISH1"), QStringLiteral("シーバス")}});
        insertRecord(db.dm(),
            {{QStringLiteral("CODENO"), 2}, {QStringLiteral("DAY_DATA"), QStringLiteral("2026/04/02")},
                {QStringLiteral("TENNKI"), QStringLiteral("晴れ")}, {QStringLiteral("BASYO"), QStringLiteral("館山")},
                {QStringLiteral("FISH1"), QStringLiteral("アジ")}, {QStringLiteral("FISH2"), QStringLiteral("サバ")},
                {QStringLiteral("FISH1_KAZU"), 12}, {QStringLiteral("OLD_SHIO"), QStringLiteral("旧")}});
        w = new TFishdataF(nullptr);
        FishdataF = w;
        w->show();
    }
    void TearDown() override
    {
        delete w;
        FishdataF = nullptr;
    }

    // What is in the file for record 2, read on a separate query.
    kelpora::SqlQuery& stored()
    {
        check = std::make_unique<kelpora::SqlQuery>(db.dm().IBDB2, db.dm().IBTr2);
        check->addSql(QStringLiteral("select * from FISH_DATA where CODENO = 2"));
        check->open();
        return *check;
    }

    void retype(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        if (!text.isEmpty())
            typeText(edit, text);
    }

    bool navigationEnabled() const
    {
        return w->Btn_First->isEnabled() && w->Btn_Prior->isEnabled() && w->Btn_Next->isEnabled()
            && w->Btn_Last->isEnabled() && w->Btn_D_10->isEnabled() && w->Btn_U_10->isEnabled();
    }

    ScriptedSeams seams;
    TempDatabase db;
    TFishdataF* w = nullptr;
    std::unique_ptr<kelpora::SqlQuery> check;
};

} // namespace

TEST_F(Correction, TypingStartsItAndCancelRestoresTheStoredText)
{
    EXPECT_FALSE(w->Btn_Teisei->isEnabled());
    w->Btn_Prior->click();
    w->Btn_Next->click(); // filling by program is never typing
    EXPECT_FALSE(w->Btn_Teisei->isEnabled());
    EXPECT_TRUE(navigationEnabled());

    QTest::keyClicks(w->Edit_Tenki, QStringLiteral("x"));
    EXPECT_TRUE(w->Btn_Teisei->isEnabled());
    EXPECT_TRUE(w->Btn_No->isEnabled());
    EXPECT_FALSE(w->Btn_First->isEnabled());
    EXPECT_FALSE(w->Btn_U_10->isEnabled());
    EXPECT_TRUE(w->Btn_All_Show->isEnabled());

    w->Btn_No->click();
    EXPECT_EQ(w->Edit_Tenki->text(), QStringLiteral("晴れ"));
    EXPECT_FALSE(w->Btn_Teisei->isEnabled());
    EXPECT_TRUE(navigationEnabled());
    EXPECT_EQ(stored().fieldText(QStringLiteral("TENNKI")), QStringLiteral("晴れ"));
}

TEST_F(Correction, TypingInAMemoStartsItToo)
{
    QTest::keyClicks(w->Memo_Cyouka, QStringLiteral("a"));
    EXPECT_TRUE(w->Btn_Teisei->isEnabled());
}

TEST_F(Correction, StoresEmptyFieldsAsTheirColumnsExpect)
{
    retype(w->Edit_F2, QString());
    retype(w->Edit_F1, QString());
    retype(w->Edit_F1_kazu, QString());
    retype(w->Edit_Day, QStringLiteral("いつか"));
    w->Memo_Cyouka->setPlainText(QStringLiteral("一行目\n二行目"));
    w->Btn_Teisei->click();
    ASSERT_TRUE(seams.messages.informed.isEmpty()) << qPrintable(seams.messages.informed.join(u'|'));
    ASSERT_TRUE(seams.messages.errors.isEmpty()) << qPrintable(seams.messages.errors.join(u'|'));

    kelpora::SqlQuery& q = stored();
    EXPECT_TRUE(q.isNull(QStringLiteral("FISH2")));
    EXPECT_FALSE(q.isNull(QStringLiteral("FISH1")));
    EXPECT_EQ(q.fieldText(QStringLiteral("FISH1")), QString());
    EXPECT_TRUE(q.isNull(QStringLiteral("FISH1_KAZU")));
    EXPECT_TRUE(q.isNull(QStringLiteral("MAX1")));
    EXPECT_EQ(q.fieldText(QStringLiteral("DAY_DATA")), QStringLiteral("いつか"));
    EXPECT_EQ(q.fieldText(QStringLiteral("BIKOU")), QStringLiteral("一行目\r\n二行目"));
    EXPECT_TRUE(q.isNull(QStringLiteral("SHIKAKE")));
    EXPECT_EQ(q.fieldText(QStringLiteral("OLD_SHIO")), QStringLiteral("旧"));
    EXPECT_FALSE(w->Btn_Teisei->isEnabled());
    EXPECT_EQ(w->Edit_No->text(), QStringLiteral("2"));
    EXPECT_EQ(w->Edit_Day->text(), QStringLiteral("いつか"));
}

TEST_F(Correction, ANonIntegerIsReportedAndTheTypingStays)
{
    retype(w->Edit_Max_H1, QStringLiteral("12.5"));
    retype(w->Edit_Tenki, QStringLiteral("雨"));
    w->Btn_Teisei->click();
    ASSERT_EQ(seams.messages.errors.size(), 1);
    EXPECT_TRUE(seams.messages.errors[0].contains(QStringLiteral("12.5")));
    EXPECT_TRUE(w->Btn_Teisei->isEnabled());
    EXPECT_FALSE(w->Btn_Next->isEnabled());
    EXPECT_EQ(w->Edit_Max_H1->text(), QStringLiteral("12.5"));
    EXPECT_EQ(stored().fieldText(QStringLiteral("TENNKI")), QStringLiteral("晴れ"));

    retype(w->Edit_Max_H1, QStringLiteral("-12"));
    w->Btn_Teisei->click();
    EXPECT_EQ(stored().fieldInteger(QStringLiteral("MAX1_HIGHT")), -12);
    EXPECT_EQ(stored().fieldText(QStringLiteral("TENNKI")), QStringLiteral("雨"));
}

TEST_F(Correction, AFailedUpdateKeepsTheTypingSoItCanBeShortened)
{
    const QString tooLong = QStringLiteral("とても長い釣り場の名前です");
    retype(w->Edit_Place, tooLong);
    w->Btn_Teisei->click();
    // 13 full-width characters are 26 bytes of Shift-JIS; the column holds 20.
    EXPECT_EQ(seams.messages.informed,
        QStringList{
            QStringLiteral("更新に失敗しました\n「場所」が 6 バイト長すぎます（20 バイトまで、全角文字は 2 バイト）")});
    EXPECT_EQ(w->Edit_Place->text(), tooLong);
    EXPECT_TRUE(w->Btn_Teisei->isEnabled());
    EXPECT_EQ(stored().fieldText(QStringLiteral("BASYO")), QStringLiteral("館山"));

    retype(w->Edit_Place, QStringLiteral("洲崎"));
    w->Btn_Teisei->click();
    EXPECT_EQ(stored().fieldText(QStringLiteral("BASYO")), QStringLiteral("洲崎"));
    EXPECT_FALSE(w->Btn_Teisei->isEnabled());
}

TEST_F(Correction, UnstorableCharactersAreRefusedAndTheTypingStays)
{
    retype(w->Edit_F1, QStringLiteral("𩸽"));
    w->Btn_Teisei->click();
    ASSERT_EQ(seams.messages.errors.size(), 1);
    EXPECT_TRUE(seams.messages.errors[0].contains(QStringLiteral("𩸽")));
    EXPECT_EQ(w->Edit_F1->text(), QStringLiteral("𩸽"));
    EXPECT_TRUE(w->Btn_Teisei->isEnabled());
    EXPECT_EQ(stored().fieldText(QStringLiteral("FISH1")), QStringLiteral("アジ"));
}

TEST_F(Correction, ReloadingDiscardsTheTypingWithoutAsking)
{
    retype(w->Edit_Tenki, QStringLiteral("曇り"));
    w->Btn_All_Show->click();
    EXPECT_EQ(w->Edit_Tenki->text(), QStringLiteral("晴れ"));
    EXPECT_FALSE(w->Btn_Teisei->isEnabled());
    EXPECT_TRUE(seams.messages.questions.isEmpty());
}

TEST_F(Correction, NumbersAreDecimalIntegersWithNothingAround)
{
    for (const QString& typed : {QStringLiteral(" 12 "), QStringLiteral("１２"), QStringLiteral("12a")}) {
        seams.messages.errors.clear();
        retype(w->Edit_F1_kazu, typed);
        w->Btn_Teisei->click();
        ASSERT_EQ(seams.messages.errors.size(), 1) << typed.toStdString();
        EXPECT_TRUE(seams.messages.errors[0].contains(QStringLiteral("魚種１の数")));
        EXPECT_TRUE(w->correcting());
        EXPECT_EQ(stored().fieldInteger(QStringLiteral("FISH1_KAZU")), 12);
    }
    retype(w->Edit_F1_kazu, QStringLiteral("+7"));
    w->Btn_Teisei->click();
    EXPECT_EQ(stored().fieldInteger(QStringLiteral("FISH1_KAZU")), 7);
}

namespace {

// Text written by another program: bytes that are not Shift-JIS at all in TENNKI, and
// the NEC duplicate of "∵" (87 9A; the same character is normally 81 E6) in FUNE.
void storeForeignBytes(TDM1& dm)
{
    kelpora::SqlQuery q(dm.IBDB2, dm.IBTr2);
    q.addSql(QStringLiteral("update FISH_DATA set TENNKI = :parT, FUNE = :parF where CODENO = 2"));
    q.bindTextBytes(QStringLiteral("parT"), QByteArray("\x80\x80", 2));
    q.bindTextBytes(QStringLiteral("parF"), QByteArray("\x87\x9A", 2));
    q.execute();
    dm.IBTr2.commitRetaining();
}

} // namespace

TEST_F(Correction, UntouchedFieldsAreWrittenBackAsTheyWereRead)
{
    storeForeignBytes(db.dm());
    w->Btn_All_Show->click();
    EXPECT_EQ(w->Edit_Tenki->text(), QString(2, QChar::ReplacementCharacter));
    EXPECT_EQ(w->Edit_Fune->text(), QStringLiteral("∵"));

    retype(w->Edit_F1, QStringLiteral("マアジ"));
    w->Btn_Teisei->click();
    ASSERT_TRUE(seams.messages.errors.isEmpty()) << qPrintable(seams.messages.errors.join(u'|'));
    EXPECT_EQ(stored().fieldText(QStringLiteral("FISH1")), QStringLiteral("マアジ"));
    EXPECT_EQ(stored().fieldBytes(QStringLiteral("TENNKI")), QByteArray("\x80\x80", 2));
    EXPECT_EQ(stored().fieldBytes(QStringLiteral("FUNE")), QByteArray("\x87\x9A", 2));

    // Typing into the unreadable field itself: the refusal says which field it is.
    w->Edit_Tenki->end(false);
    QTest::keyClicks(w->Edit_Tenki, QStringLiteral("x"));
    w->Btn_Teisei->click();
    ASSERT_EQ(seams.messages.errors.size(), 1);
    EXPECT_TRUE(seams.messages.errors[0].startsWith(QStringLiteral("「天候」")))
        << qPrintable(seams.messages.errors[0]);
    EXPECT_TRUE(w->correcting());
    EXPECT_EQ(stored().fieldBytes(QStringLiteral("TENNKI")), QByteArray("\x80\x80", 2));
}
