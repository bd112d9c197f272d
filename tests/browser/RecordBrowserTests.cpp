#include "browser/Fishdata_F.h"
#include "core/SharedState.h"
#include "pictures/ImageArea.h"
#include "pictures/JpegCodec.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/TestImages.h"
#include "support/Waiting.h"

#include <QBuffer>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

#include <QTest>

#include <gtest/gtest.h>

using namespace kelpora::testing;
using kelpora::ImageArea;
using kelpora::Picture;

namespace {

QImage drawing(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(colour);
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(0, h / 2, w, h / 3);
    return image;
}

struct Browser {
    explicit Browser()
    {
        window = new TFishdataF(nullptr);
        FishdataF = window;
        window->show();
    }
    ~Browser()
    {
        delete window;
        FishdataF = nullptr;
    }
    int number() const { return window->Edit_No->text().toInt(); }
    TFishdataF* window;
};

} // namespace

TEST(RecordBrowser, OpensOnTheHighestNumberAndMovesClampAtTheEnds)
{
    ScriptedSeams seams;
    TempDatabase db;
    for (int code : {3, 1, 2, 5, 4, 6, 7, 8, 9, 10, 11, 12})
        insertMinimal(db.dm(), code);
    Browser b;
    TFishdataF& w = *b.window;
    EXPECT_EQ(w.size(), QSize(947, 670));
    EXPECT_EQ(b.number(), 12);
    w.Btn_U_10->click();
    EXPECT_EQ(b.number(), 12);
    w.Btn_Next->click();
    EXPECT_EQ(b.number(), 12);
    w.Btn_D_10->click();
    EXPECT_EQ(b.number(), 2);
    w.Btn_D_10->click();
    EXPECT_EQ(b.number(), 1);
    w.Btn_Prior->click();
    EXPECT_EQ(b.number(), 1);
    for (int i = 0; i < 3; ++i)
        w.Btn_Next->click();
    EXPECT_EQ(b.number(), 4); // eight rows before the end
    w.Btn_U_10->click();
    EXPECT_EQ(b.number(), 12);
    w.Btn_First->click();
    EXPECT_EQ(b.number(), 1);
    w.Btn_Last->click();
    EXPECT_EQ(b.number(), 12);
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST(RecordBrowser, ShowsTextNumbersAndMemosAsStored)
{
    ScriptedSeams seams;
    TempDatabase db;
    insertRecord(db.dm(),
        {{QStringLiteral("CODENO"), 1}, {QStringLiteral("DAY_DATA"), QStringLiteral("2026/11/03")},
            {QStringLiteral("BASYO"), QStringLiteral("城ヶ島")}, {QStringLiteral("FISH1"), QStringLiteral("メバル")},
            {QStringLiteral("FISH2"), QString()}, {QStringLiteral("FISH1_MAX"), QVariant()},
            {QStringLiteral("FISH1_MIN"), 0}, {QStringLiteral("FISH1_KAZU"), -3},
            {QStringLiteral("MAX1"), QStringLiteral("05:42")}, {QStringLiteral("MAX1_HIGHT"), 153},
            {QStringLiteral("OLD_SHIO"), QStringLiteral("隠し")},
            {QStringLiteral("SHIKAKE"), QStringLiteral("胴付き\r\nハリス 1.5号")}});
    Browser b;
    TFishdataF& w = *b.window;
    EXPECT_EQ(w.Edit_Place->text(), QStringLiteral("城ヶ島"));
    EXPECT_EQ(w.Edit_F1->text(), QStringLiteral("メバル"));
    EXPECT_EQ(w.Edit_F2->text(), QString());
    EXPECT_EQ(w.Edit_F3->text(), QString()); // NULL and empty text look the same
    EXPECT_EQ(w.Edit_F1_Max->text(), QString());
    EXPECT_EQ(w.Edit_F1_Min->text(), QStringLiteral("0"));
    EXPECT_EQ(w.Edit_F1_kazu->text(), QStringLiteral("-3"));
    EXPECT_EQ(w.Edit_Max_T1->text(), QStringLiteral("05:42"));
    EXPECT_EQ(w.Edit_Max_H1->text(), QStringLiteral("153"));
    EXPECT_EQ(w.Edit_Old_Sho->text(), QStringLiteral("隠し"));
    EXPECT_FALSE(w.Edit_Old_Sho->isVisible());
    EXPECT_EQ(w.Memo_Shikake->document()->blockCount(), 2);
    EXPECT_EQ(w.Memo_Shikake->toPlainText(), QStringLiteral("胴付き\nハリス 1.5号"));
    EXPECT_TRUE(w.Memo_Cyouka->toPlainText().isEmpty());
    EXPECT_FALSE(w.Btn_Teisei->isEnabled());
    EXPECT_TRUE(w.Btn_Next->isEnabled());

    // A text longer than its field shows its beginning, also after a move.
    w.Edit_Place->setCursorPosition(2);
    QTest::mouseClick(w.Btn_Prior, Qt::LeftButton);
    EXPECT_EQ(w.Edit_Place->cursorPosition(), 0);
}

TEST(RecordBrowser, AnEmptyBookShowsNumberZeroAndNothingElse)
{
    ScriptedSeams seams;
    TempDatabase db;
    Browser b;
    TFishdataF& w = *b.window;
    EXPECT_EQ(w.Edit_No->text(), QStringLiteral("0"));
    EXPECT_TRUE(w.Edit_Place->text().isEmpty());
    w.Btn_U_10->click();
    w.Btn_Prior->click();
    EXPECT_EQ(w.Edit_No->text(), QStringLiteral("0"));
    EXPECT_TRUE(w.Image_Shio->picture().isNull());
    EXPECT_EQ(ShioZu_Flag, 0);
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST(RecordBrowser, ShowsBitmapAndJpegChartsMapsAndThumbnails)
{
    ScriptedSeams seams;
    TempDatabase db;
    const QByteArray jpeg = kelpora::JpegCodec::encode(drawing(800, 600, Qt::cyan));
    insertRecord(db.dm(),
        {{QStringLiteral("CODENO"), 1},
            {QStringLiteral("SHIO_ZU"), kelpora::JpegCodec::encode(drawing(640, 480, Qt::white))},
            {QStringLiteral("PHOTO4"), jpeg}});
    insertRecord(db.dm(),
        {{QStringLiteral("CODENO"), 2}, {QStringLiteral("SHIO_ZU"), bmpFile(drawing(640, 480, Qt::yellow))},
            {QStringLiteral("CHIZU"), jpeg}, {QStringLiteral("PHOTO1"), jpeg}});
    Browser b;
    TFishdataF& w = *b.window;
    ASSERT_TRUE(picturesShown(w));
    EXPECT_EQ(w.Image_Shio->picture().kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(w.Image_Shio->picture().size(), QSize(640, 480));
    EXPECT_EQ(w.Image_Map->picture().kind(), Picture::Kind::Jpeg);
    EXPECT_EQ(w.Image_A->picture().size(), QSize(800, 600));
    EXPECT_TRUE(w.Image_D->picture().isNull());
    EXPECT_EQ(ShioZu_Flag, 1);
    EXPECT_EQ(Chizu_Flag, 1);

    w.Btn_Prior->click();
    ASSERT_TRUE(picturesShown(w));
    EXPECT_EQ(w.Image_Shio->picture().kind(), Picture::Kind::Jpeg);
    EXPECT_TRUE(w.Image_Map->picture().isNull());
    EXPECT_TRUE(w.Image_A->picture().isNull());
    EXPECT_FALSE(w.Image_D->picture().isNull());
    EXPECT_EQ(Chizu_Flag, 0);
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST(RecordBrowser, OneDamagedPictureIsReportedOnceAndTheOthersStillShow)
{
    ScriptedSeams seams;
    TempDatabase db;
    const QByteArray good = kelpora::JpegCodec::encode(drawing(400, 300, Qt::green));
    QByteArray truncated = good.left(good.size() / 2);
    insertRecord(db.dm(),
        {{QStringLiteral("CODENO"), 1}, {QStringLiteral("SHIO_ZU"), QByteArray("not a picture at all")},
            {QStringLiteral("CHIZU"), good}, {QStringLiteral("PHOTO1"), bmpFile(drawing(50, 40, Qt::red))},
            {QStringLiteral("PHOTO2"), truncated}, {QStringLiteral("PHOTO3"), good}});
    Browser b;
    TFishdataF& w = *b.window;
    ASSERT_TRUE(picturesShown(w));
    EXPECT_EQ(seams.messages.errors.size(), 1) << qPrintable(seams.messages.errors.join(u'|'));
    EXPECT_TRUE(w.Image_Shio->picture().isNull());
    EXPECT_EQ(ShioZu_Flag, 1); // the column holds something, even if it cannot be shown
    EXPECT_FALSE(w.Image_Map->picture().isNull());
    EXPECT_TRUE(w.Image_A->picture().isNull()); // a BMP is no photo
    EXPECT_TRUE(w.Image_B->picture().isNull());
    EXPECT_FALSE(w.Image_C->picture().isNull());
    EXPECT_EQ(w.Edit_No->text(), QStringLiteral("1"));
    // Each failure says first, in Japanese, which picture it is; the decoder's reason follows.
    const QStringList lines = seams.messages.errors.value(0).split(u'\n');
    ASSERT_EQ(lines.size(), 6) << qPrintable(lines.join(u'|'));
    EXPECT_EQ(lines[0], QStringLiteral("潮汐図を表示できません"));
    EXPECT_EQ(lines[2], QStringLiteral("写真1を表示できません"));
    EXPECT_EQ(lines[4], QStringLiteral("写真2を表示できません"));
    EXPECT_FALSE(lines[5].isEmpty());
}

TEST(RecordBrowser, DoubleClickOnAThumbnailRemembersThePosition)
{
    ScriptedSeams seams;
    TempDatabase db;
    insertMinimal(db.dm(), 1);
    insertMinimal(db.dm(), 2);
    Browser b;
    b.window->Btn_Prior->click();
    emit b.window->Image_B->doubleClicked();
    EXPECT_EQ(Photo_Mark, QStringLiteral("1"));
}
