#include "core/SharedState.h"
#include "entry/Fish_Data_IN.h"
#include "imaging/JpegCodec.h"
#include "kit/ImageArea.h"
#include "pictures/Fish_Chizu_In_F.h"
#include "pictures/Map_F.h"
#include "support/PictureWindows.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/TestImages.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace kelpora::testing;
using kelpora::ImageArea;
using kelpora::JpegCodec;
using kelpora::Picture;
using kelpora::testing::jpegFile;
using kelpora::testing::quadrants;

namespace {

class MapInput : public ::testing::Test {
protected:
    // The map input as the browser opens it, over the browser's current record.
    TFish_Chizu_InF& openFromBrowser()
    {
        Mode_Flg = kOldFlg;
        input.reset();
        if (!browser)
            browser.emplace();
        seams.messages.errors.clear(); // what the browser said about the record's pictures
        input.emplace(Fish_Chizu_InF, browser->get());
        return input->shown();
    }
    std::optional<QByteArray> map(int code) { return storedBlob(db.path(), code, QStringLiteral("CHIZU")); }
    QString label() { return named<QLabel>(input->get(), "Label_XY")->text(); }
    QLineEdit* code() { return named<QLineEdit>(input->get(), "Edit_CODE"); }
    const Picture& shown() { return named<ImageArea>(input->get(), "Image_M")->picture(); }
    void press(const char* button) { click(input->get(), button); }
    void pasteAndConfirm(const QImage& bitmap)
    {
        seams.clipboard.bitmapImage = bitmap;
        press("Btn_In");
        press("Btn_OK");
    }

    ScriptedSeams seams;
    TempDatabase db;
    std::optional<ShownBrowser> browser;
    std::optional<OpenWindow<TFishDataIn>> entry;
    std::optional<OpenWindow<TFish_Chizu_InF>> input; // owned by one of the two above
};

} // namespace

TEST_F(MapInput, IsLaidOutAsDesignedAndItsSideControlsFollowTheRightEdge)
{
    insertMinimal(db.dm(), 1);
    TFish_Chizu_InF& w = openFromBrowser();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("地図・仕掛け"));
    EXPECT_EQ(w.size(), QSize(690, 560));
    EXPECT_EQ(w.minimumSize(), QSize(690, 560));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(named(&w, "Image_M")->geometry(), QRect(16, 16, 500, 500));
    EXPECT_EQ(named<QPushButton>(&w, "Btn_OK")->text(), QStringLiteral("登　録"));
    EXPECT_EQ(TFish_Chizu_InF::updateLines(),
        (QStringList{QStringLiteral(" update FISH_DATA set    "), QStringLiteral(" CHIZU = :parCHIZU       "),
            QStringLiteral(" where CODENO = :parCODE ")}));

    auto rightGap = [&](const char* name) {
        QWidget* c = named(&w, name);
        return w.width() - c->mapTo(&w, QPoint(c->width(), 0)).x();
    };
    const int gap = rightGap("Btn_OK");
    w.resize(900, 700);
    EXPECT_EQ(rightGap("Btn_OK"), gap);
    EXPECT_EQ(rightGap("Edit_CODE"), gap);
    w.hide(); // every opening starts at the designed size again
    w.show();
    EXPECT_EQ(w.size(), QSize(690, 560));
}

TEST_F(MapInput, AJpegMapShowsItsTopLeftAtFullSizeAndIsReencodedOnConfirming)
{
    const QByteArray stored = kelpora::testing::withComment(jpegFile({1000, 800}));
    insertRecord(db.dm(), {{QStringLiteral("CODENO"), 4}, {QStringLiteral("CHIZU"), stored}});
    TFish_Chizu_InF& w = openFromBrowser();
    EXPECT_EQ(code()->text(), QStringLiteral("4"));
    EXPECT_EQ(label(), QStringLiteral("jpeg"));
    const QImage screen = named<ImageArea>(&w, "Image_M")->grab().toImage();
    EXPECT_TRUE(kelpora::testing::near(screen.pixel(490, 10), Qt::red)); // not shrunk: the red quarter is 500 wide
    EXPECT_TRUE(kelpora::testing::near(screen.pixel(10, 450), Qt::blue));

    press("Btn_OK");
    EXPECT_FALSE(w.isVisible());
    const QByteArray written = map(4).value_or(QByteArray());
    EXPECT_NE(written, stored);
    EXPECT_EQ(written, JpegCodec::encode(JpegCodec::decode(stored)));
    EXPECT_TRUE(seams.messages.informed.isEmpty());
}

TEST_F(MapInput, ABmpMapShowsItsSizeAndAPasteReplacesAJpegMap)
{
    insertRecord(db.dm(), {{QStringLiteral("CODENO"), 1}, {QStringLiteral("CHIZU"), jpegFile({300, 200})}});
    insertRecord(db.dm(),
        {{QStringLiteral("CODENO"), 2}, {QStringLiteral("CHIZU"), kelpora::testing::bmpFile(quadrants({640, 480}))}});
    openFromBrowser();
    EXPECT_EQ(label(), QStringLiteral("640 * 480"));

    QTest::mouseClick((*browser)->Btn_Prior, Qt::LeftButton);
    openFromBrowser();
    EXPECT_EQ(label(), QStringLiteral("jpeg"));
    press("Btn_In"); // nothing on the clipboard
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("クリップボードに画像がありません")});
    EXPECT_EQ(shown().kind(), Picture::Kind::Jpeg);
    seams.clipboard.bitmapImage = quadrants({123, 45});
    press("Btn_In");
    EXPECT_EQ(label(), QStringLiteral("123 * 45"));
    press("Btn_OK");
    EXPECT_EQ(map(1), JpegCodec::encode(quadrants({123, 45})));
}

TEST_F(MapInput, AnEmptyAreaStoresNullAndReturnWritesNothing)
{
    insertMinimal(db.dm(), 1);
    insertRecord(db.dm(), {{QStringLiteral("CODENO"), 2}, {QStringLiteral("CHIZU"), jpegFile({64, 64})}});
    openFromBrowser();
    press("Btn_Clear");
    EXPECT_TRUE(shown().isNull() && label().isEmpty());
    press("Btn_Return");
    EXPECT_TRUE(map(2).has_value());
    openFromBrowser();
    press("Btn_Clear");
    press("Btn_OK");
    EXPECT_FALSE(map(2).has_value());

    QTest::mouseClick((*browser)->Btn_Prior, Qt::LeftButton); // record 1 has no map
    openFromBrowser();
    EXPECT_TRUE(shown().isNull() && label().isEmpty());
    press("Btn_OK");
    EXPECT_FALSE(map(1).has_value());
    EXPECT_TRUE(seams.messages.informed.isEmpty());
}

TEST_F(MapInput, TheNumberTypedIntoEditCodeDecidesWhichRecordIsWritten)
{
    insertMinimal(db.dm(), 1);
    insertMinimal(db.dm(), 2);
    for (const char* typed : {"1", "99", "2x"}) {
        openFromBrowser();
        code()->selectAll();
        QTest::keyClicks(code(), QLatin1String(typed));
        pasteAndConfirm(quadrants({80, 60}));
    }
    EXPECT_EQ(map(1), JpegCodec::encode(quadrants({80, 60})));
    EXPECT_FALSE(map(2).has_value());
    EXPECT_TRUE(seams.messages.informed.isEmpty()); // no record 99: nothing happens, nothing is said
    EXPECT_TRUE(input->get()->isVisible()); // "2x" is refused before anything is written
    ASSERT_EQ(seams.messages.errors.size(), 1);
    EXPECT_TRUE(seams.messages.errors.front().contains(QStringLiteral("2x")));
}

TEST_F(MapInput, AFailedWriteSaysSoAndClosesWithTheMapKept)
{
    const QByteArray old = jpegFile({64, 64});
    insertRecord(db.dm(), {{QStringLiteral("CODENO"), 1}, {QStringLiteral("CHIZU"), old}});
    refuseUpdates(db.dm());
    openFromBrowser();
    pasteAndConfirm(quadrants({80, 60}));
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("登録に失敗しました")});
    EXPECT_FALSE(input->get()->isVisible());
    EXPECT_EQ(map(1), old);

    (*browser)->Edit_No->clear(); // no record number to work on
    seams.messages.informed.clear();
    EXPECT_FALSE(openFromBrowser().isVisible());
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("コード番号取得失敗")});
}

TEST_F(MapInput, ForANewRecordItStartsEmptyAndHandsTheReencodedMapToTheEntryWindow)
{
    insertRecord(db.dm(), {{QStringLiteral("CODENO"), 1}, {QStringLiteral("CHIZU"), jpegFile({64, 64})}});
    entry.emplace(FishDataIn, nullptr);
    const QByteArray before = jpegFile({50, 50});
    (*entry)->Image_Map->setPicture(Picture::fromJpeg(before));
    Mode_Flg = kNewFlg;
    Chizu_Flag = 1; // left over from browsing; the entry window's map is not the browser's
    for (int round = 0; round < 2; ++round) {
        input.emplace(Fish_Chizu_InF, entry->get());
        input->shown();
        EXPECT_EQ(code()->text(), QStringLiteral("新規入力"));
        EXPECT_TRUE(shown().isNull() && label().isEmpty());
        if (round == 0)
            press("Btn_OK"); // an empty area hands over nothing
        else
            pasteAndConfirm(quadrants({90, 70}));
    }
    EXPECT_NE((*entry)->Image_Map->picture().jpegBytes(), before);
    EXPECT_EQ((*entry)->Image_Map->picture().jpegBytes(), JpegCodec::encode(quadrants({90, 70})));
    EXPECT_EQ(map(1), jpegFile({64, 64})); // nothing written
}

// The browser shows an empty area for a stored map it could not read; the map input must
// not take that for "no map" and erase it.
TEST_F(MapInput, AStoredMapThatCouldNotBeReadIsKeptUnlessTheUserErasesIt)
{
    const QByteArray good = jpegFile({400, 300});
    const QByteArray damaged = good.left(good.size() / 2);
    insertRecord(db.dm(), {{QStringLiteral("CODENO"), 1}, {QStringLiteral("CHIZU"), damaged}});
    openFromBrowser();
    EXPECT_EQ(Chizu_Flag, 1);
    EXPECT_TRUE(shown().isNull() && label().isEmpty());
    ASSERT_EQ(seams.messages.informed.size(), 1);
    EXPECT_TRUE(
        seams.messages.informed.front().startsWith(QStringLiteral("保存されている地図を読み込めませんでした。")));
    press("Btn_OK");
    EXPECT_FALSE(input->get()->isVisible());
    EXPECT_EQ(map(1), damaged);

    openFromBrowser();
    press("Btn_Clear");
    press("Btn_OK");
    EXPECT_FALSE(map(1).has_value());
}

namespace {

class MapView : public ::testing::Test {
protected:
    TMapF& open()
    {
        view.emplace(MapF, browser->get());
        return view->shown();
    }
    void SetUp() override
    {
        insertRecord(db.dm(), {{QStringLiteral("CODENO"), 1}, {QStringLiteral("CHIZU"), jpegFile({2000, 1500})}});
        browser.emplace();
    }

    ScriptedSeams seams;
    TempDatabase db;
    std::optional<ShownBrowser> browser;
    std::optional<OpenWindow<TMapF>> view;
};

} // namespace

TEST_F(MapView, ShowsTheMapAtItsOwnSizeInAScrollAreaThatGrowsWithTheWindow)
{
    TMapF& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("地図"));
    EXPECT_EQ(w.size(), QSize(672, 631));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(named(&w, "Panel1")->geometry(), QRect(0, 0, 672, 41));
    EXPECT_EQ(named<QLabel>(&w, "Label1")->text(), QStringLiteral("地図の詳細表示"));
    auto* back = named<QPushButton>(&w, "Button1");
    EXPECT_EQ(w.focusWidget(), back);
    auto* scroll = named<QScrollArea>(&w, "ScrollBox1");
    EXPECT_EQ(scroll->geometry(), QRect(8, 48, 656, 578));
    EXPECT_EQ(named(&w, "Image_MM")->geometry(), QRect(8, 8, 2000, 1500));
    EXPECT_GT(scroll->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);

    w.resize(900, 800);
    EXPECT_EQ(scroll->geometry(), QRect(8, 48, 884, 747));
    EXPECT_EQ(back->mapTo(&w, QPoint(back->width(), 0)).x(), 900 - 8); // at the panel's right edge
    w.resize(300, 300);
    EXPECT_EQ(w.size(), QSize(672, 631)); // never smaller than it opens
}

TEST_F(MapView, AClickOnTheMapBesideItOrOnTheBackButtonCloses)
{
    QTest::mouseClick(named(&open(), "Image_MM"), Qt::LeftButton, Qt::NoModifier, QPoint(1500, 1000));
    EXPECT_FALSE(view->get()->isVisible());
    click(&open(), "Button1");
    EXPECT_FALSE(view->get()->isVisible());

    (*browser)->Image_Map->setPicture(Picture::fromJpeg(jpegFile({100, 80}))); // leaves background around it
    QWidget* background = named<QScrollArea>(&open(), "ScrollBox1")->viewport();
    QTest::mouseClick(background, Qt::LeftButton, Qt::NoModifier, QPoint(400, 400));
    EXPECT_FALSE(view->get()->isVisible());
}
