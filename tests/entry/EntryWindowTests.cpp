#include "EntryFixture.h"

#include "app/Main_F.h"
#include "core/DateText.h"
#include "pictures/ImageArea.h"
#include "pictures/JpegCodec.h"
#include "pictures/PictureStore.h"
#include "support/RecordWriter.h"

#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace kelpora::testing;
using kelpora::ImageArea;
using kelpora::Picture;

namespace {

QString today()
{
    return kelpora::DateText::format(QDate::currentDate());
}

// The Tab order round to the date again; Enter follows it through the fields.
const QStringList kFieldOrder = names({"Edit_Day", "Edit_Tenki", "Edit_Basyo", "Edit_Fune", "CBox_Shio",
    "Edit_Shio_Kijyun", "Edit_Old_Day", "Edit_Max_T1", "Edit_Max_T1_2", "Edit_Max_H1", "Edit_Max_T2", "Edit_Max_T2_2",
    "Edit_Max_H2", "Edit_Min_T1", "Edit_Min_T1_2", "Edit_Min_H1", "Edit_Min_T2", "Edit_Min_T2_2", "Edit_Min_H2",
    "Edit_F1", "Edit_F1_Max", "Edit_F1_Min", "Edit_F1_kazu", "Edit_F2", "Edit_F2_Max", "Edit_F2_Min", "Edit_F2_kazu",
    "Edit_F3", "Edit_F3_Max", "Edit_F3_Min", "Edit_F3_kazu", "Memo_Shikake", "Memo_Cyouka", "Btn_New_Yes", "Btn_New_No",
    "Btn_Close", "Edit_Day"});

using Entry = EntryFixture;

} // namespace

TEST(EntryFromTheMenu, OpensForANewRecordWithTheNextNumberAndTodaysDate)
{
    ScriptedSeams seams;
    TempDatabase db;
    for (int code : {1, 2, 5, 7})
        insertMinimal(db.dm(), code);
    TMainF menu;
    menu.show();
    bool checked = false;
    seams.modal.scripts.push_back([&](QDialog& d) {
        auto& w = dynamic_cast<TFishDataIn&>(d);
        EXPECT_EQ(FishDataIn, &w);
        EXPECT_EQ(w.parentWidget(), &menu);
        EXPECT_EQ(Mode_Flg, QStringLiteral("NEW_Flg"));
        EXPECT_EQ(w.windowTitle(), QStringLiteral("釣果記録"));
        EXPECT_EQ(w.size(), QSize(956, 683));
        EXPECT_EQ(w.minimumSize(), w.maximumSize());
        EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        EXPECT_EQ(w.Edit_No->text(), QStringLiteral("8"));
        EXPECT_TRUE(w.Edit_No->isReadOnly());
        EXPECT_EQ(w.Edit_Day->text(), today());
        EXPECT_EQ(w.focusWidget(), w.Edit_Day);
        for (QLineEdit* required : {w.Edit_Day, w.Edit_Basyo, w.Edit_F1})
            EXPECT_EQ(required->palette().color(QPalette::Base), QColor(0, 255, 255))
                << qPrintable(required->objectName());
        for (const char* name : {"Label_Day", "Label_Basyo", "Label_F1"}) {
            auto* label = w.findChild<QLabel*>(QLatin1String(name));
            EXPECT_TRUE(label->font().bold());
            EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        }
        const std::pair<QPushButton*, const char*> buttons[] = {{w.Btn_New_Yes, "入　力"}, {w.Btn_New_No, "消 去"},
            {w.Btn_Close, "戻　る"}, {w.But_Cyoui, "潮位"}, {w.Btn_Chizu, "地図"}, {w.Btn_Apri_Chizu, "地図ソフト"}};
        for (const auto& [button, text] : buttons)
            EXPECT_EQ(button->text(), QString::fromUtf8(text));
        EXPECT_EQ(w.CBox_Shio->count(), 6);
        EXPECT_EQ(w.CBox_Shio->itemText(5), QStringLiteral("若潮"));
        EXPECT_EQ(w.CBox_Shio->currentText(), QString());
        EXPECT_TRUE(w.Edit_Old_Sho->isHidden());
        // Japanese input for names and notes, none for dates, times and numbers.
        for (QWidget* on : std::initializer_list<QWidget*>{w.Edit_Tenki, w.Edit_F2, w.CBox_Shio, w.Memo_Cyouka})
            EXPECT_TRUE(on->testAttribute(Qt::WA_InputMethodEnabled)) << qPrintable(on->objectName());
        for (QWidget* off : {w.Edit_Day, w.Edit_Max_T1, w.Edit_Min_H2, w.Edit_F3_kazu})
            EXPECT_FALSE(off->testAttribute(Qt::WA_InputMethodEnabled)) << qPrintable(off->objectName());
        QTest::mouseClick(w.Btn_Close, Qt::LeftButton);
        EXPECT_FALSE(w.isVisible());
        checked = true;
        return 0;
    });
    QTest::mouseClick(menu.findChild<QPushButton*>(QStringLiteral("Btn_Data_In")), Qt::LeftButton);
    EXPECT_TRUE(checked);
    EXPECT_EQ(seams.modal.opened, QStringList{QStringLiteral("FishDataIn")});
    EXPECT_EQ(FishDataIn, nullptr);
    EXPECT_TRUE(seams.messages.errors.isEmpty()) << qPrintable(seams.messages.errors.join(u'|'));
}

TEST_F(Entry, EnterWalksEveryFieldAndOpensThePickersOnTheWay)
{
    answerPicker(QStringLiteral("館山"));
    answerPicker(QStringLiteral("沖堤"));
    answerPicker(QStringLiteral("アジ"));
    QStringList walked{focused()};
    auto typeAndEnter = [&](const QString& text) {
        if (!text.isEmpty())
            typeText(w->focusWidget(), text);
        enter();
        walked << focused();
    };
    // Date, weather, place, point, tide, port, lunar date.
    for (const char* text : {"", "晴れ", "", "", "大潮", "布良", "5/3"})
        typeAndEnter(QString::fromUtf8(text));
    // Hour, minute and height of the four tide rows, then the three species.
    for (int i = 0; i < 4 * 3; ++i)
        typeAndEnter(QStringLiteral("1"));
    for (const char* text : {"", "30", "20", "5", "サバ", "40", "30", "2", "イワシ", "15", "12", "30"})
        typeAndEnter(QString::fromUtf8(text));
    const QStringList expected = kFieldOrder.mid(0, 32);
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(pickedKinds, names({"BASYO", "FUNE", "SAKANA"}));
    EXPECT_EQ(w->Edit_Basyo->text(), QStringLiteral("館山"));
    EXPECT_EQ(w->Edit_Fune->text(), QStringLiteral("沖堤"));
    EXPECT_EQ(w->Edit_F1->text(), QStringLiteral("アジ"));
    EXPECT_EQ(w->CBox_Shio->currentText(), QStringLiteral("大潮"));
    EXPECT_EQ(w->CBox_Shio->count(), 6); // Enter adds nothing to the list
    EXPECT_EQ(w->Edit_F3_kazu->text(), QStringLiteral("30"));

    // In the memos Enter is a line break.
    QTest::keyClicks(w->Memo_Shikake, QStringLiteral("a"));
    enter();
    QTest::keyClicks(w->Memo_Shikake, QStringLiteral("b"));
    EXPECT_EQ(focused(), QStringLiteral("Memo_Shikake"));
    EXPECT_EQ(w->Memo_Shikake->toPlainText(), QStringLiteral("a\nb"));
    EXPECT_TRUE(seams.messages.informed.isEmpty());
}

TEST_F(Entry, EnterSkipsTheRestOfAnEmptyTideRowOrSpecies)
{
    w->Edit_Max_T1->setFocus();
    QStringList walked{focused()};
    answerPicker(QStringLiteral("アジ"));
    for (int i = 0; i < 4; ++i) {
        enter();
        walked << focused();
    }
    EXPECT_EQ(walked, names({"Edit_Max_T1", "Edit_Max_T2", "Edit_Min_T1", "Edit_Min_T2", "Edit_F1"}));
    EXPECT_EQ(pickedKinds, names({"SAKANA"}));

    w->Edit_F1_kazu->setFocus();
    enter();
    EXPECT_EQ(focused(), QStringLiteral("Edit_F2"));
    enter();
    EXPECT_EQ(focused(), QStringLiteral("Edit_F3"));
    enter();
    EXPECT_EQ(focused(), QStringLiteral("Memo_Shikake"));

    // An hour without its minute still leads to the minute.
    w->Edit_Min_T2->setFocus();
    QTest::keyClicks(w->Edit_Min_T2, QStringLiteral("6"));
    enter();
    EXPECT_EQ(focused(), QStringLiteral("Edit_Min_T2_2"));
    enter();
    EXPECT_EQ(focused(), QStringLiteral("Edit_Min_H2"));
    EXPECT_EQ(pickedKinds.size(), 1);
}

TEST_F(Entry, TabFollowsTheTableWithoutSkippingAndOpensThePickersToo)
{
    answerPicker(QStringLiteral("館山"));
    answerPicker(QString());
    answerPicker(QStringLiteral("アジ"));
    QStringList walked{focused()};
    for (int i = 0; i < 36; ++i) {
        QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
        walked << focused();
    }
    const QStringList& expected = kFieldOrder;
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(pickedKinds, names({"BASYO", "FUNE", "SAKANA"}));
    EXPECT_EQ(w->Edit_Fune->text(), QString());

    // Backwards the same way, round from the date to the close button.
    QTest::keyClick(w->Edit_Day, Qt::Key_Backtab);
    EXPECT_EQ(focused(), QStringLiteral("Btn_Close"));
    QTest::keyClick(w->Btn_Close, Qt::Key_Backtab);
    EXPECT_EQ(focused(), QStringLiteral("Btn_New_No"));

    // Backwards into the point field opens its picker as well.
    answerPicker(QStringLiteral("沖"));
    w->CBox_Shio->setFocus();
    QTest::keyClick(w->CBox_Shio, Qt::Key_Backtab);
    EXPECT_EQ(focused(), QStringLiteral("Edit_Fune"));
    EXPECT_EQ(w->Edit_Fune->text(), QStringLiteral("沖"));
}

TEST_F(Entry, DigitFieldsDropEveryOtherTypedCharacter)
{
    QTest::keyClicks(w->Edit_F1_Max, QStringLiteral("1a2 -,.3"));
    typeText(w->Edit_F1_Max, QStringLiteral("４"));
    EXPECT_EQ(w->Edit_F1_Max->text(), QStringLiteral("123"));
    QTest::keyClick(w->Edit_F1_Max, Qt::Key_Backspace);
    EXPECT_EQ(w->Edit_F1_Max->text(), QStringLiteral("12"));
    QTest::keyClicks(w->Edit_Max_T1, QStringLiteral("0.7"));
    EXPECT_EQ(w->Edit_Max_T1->text(), QStringLiteral("07"));

    // Heights take points, as many and wherever they are typed.
    QTest::keyClicks(w->Edit_Min_H2, QStringLiteral("12.5.3x"));
    EXPECT_EQ(w->Edit_Min_H2->text(), QStringLiteral("12.5.3"));

    // A committed input-method string is typing too: digits and signs in Japanese mode
    // still count as what they stand for, anything else goes.
    const auto commit = [](QWidget* field, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(field, &event);
    };
    commit(w->Edit_F2_kazu, QStringLiteral("２５あ"));
    commit(w->Edit_F2_kazu, QStringLiteral("。"));
    EXPECT_EQ(w->Edit_F2_kazu->text(), QStringLiteral("25"));
    commit(w->Edit_Max_H2, QStringLiteral("１２．５"));
    EXPECT_EQ(w->Edit_Max_H2->text(), QStringLiteral("12.5"));
    retype(w->Edit_Day, QString());
    commit(w->Edit_Day, QStringLiteral("２０２６／１２／０９あ"));
    commit(w->Edit_Day, QStringLiteral("ー"));
    EXPECT_EQ(w->Edit_Day->text(), QStringLiteral("2026/12/09-"));
    commit(w->Edit_Old_Day, QStringLiteral("十月１日"));
    EXPECT_EQ(w->Edit_Old_Day->text(), QStringLiteral("十月１日"));

    // Ctrl+V is a typed control character and dropped; the context menu's paste is not typing.
    QApplication::clipboard()->setText(QStringLiteral("9x"));
    QTest::keyClick(w->Edit_F3_kazu, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->Edit_F3_kazu->text(), QString());
    w->Edit_F3_kazu->paste();
    EXPECT_EQ(w->Edit_F3_kazu->text(), QStringLiteral("9x"));

    // Text fields take anything.
    QTest::keyClicks(w->Edit_Tenki, QStringLiteral("a-1"));
    EXPECT_EQ(w->Edit_Tenki->text(), QStringLiteral("a-1"));
}

TEST_F(Entry, EnterInTheDateWritesItYearMonthDayOrSaysItIsWrong)
{
    retype(w->Edit_Day, QStringLiteral("２０２６年５月３日"));
    enter();
    EXPECT_EQ(w->Edit_Day->text(), QStringLiteral("2026/05/03"));
    EXPECT_EQ(focused(), QStringLiteral("Edit_Tenki"));

    w->Edit_Day->setFocus();
    retype(w->Edit_Day, QStringLiteral("2026/02/30"));
    enter();
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("日付の指定が間違っています")});
    EXPECT_EQ(w->Edit_Day->text(), QStringLiteral("2026/02/30"));
    EXPECT_EQ(focused(), QStringLiteral("Edit_Day"));
}

TEST_F(Entry, PickersOpenOnArrivalAndDoubleClickButNotWhenTheWindowGetsItsFocusBack)
{
    insertMinimal(db.dm(), 1, QStringLiteral("館山"));
    // A click into the place field: the field is emptied and the picker opened.
    typeText(w->Edit_Basyo, QStringLiteral("古い値"));
    seams.modal.scripts.push_back([&](QDialog& picker) {
        EXPECT_EQ(w->Edit_Basyo->text(), QString());
        EXPECT_EQ(picker.windowTitle(), QStringLiteral("場所の選択"));
        QTest::keyClick(picker.findChild<QWidget*>(QStringLiteral("ListBox1")), Qt::Key_Return);
        return 1;
    });
    QTest::mouseClick(w->Edit_Basyo, Qt::LeftButton);
    EXPECT_EQ(w->Edit_Basyo->text(), QStringLiteral("館山"));
    EXPECT_EQ(seams.modal.opened.size(), 1);

    // The window getting its focus back, after the picker or a message box, opens nothing.
    w->Btn_New_No->setFocus();
    w->Edit_Basyo->setFocus();
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    activate();
    EXPECT_EQ(focused(), QStringLiteral("Edit_Basyo"));
    QTest::mouseClick(w->Edit_Basyo, Qt::LeftButton); // a click in the field it is already in
    EXPECT_EQ(seams.modal.opened.size(), 1);

    // Species 2 and 3 only on a double-click; place and point on a double-click too.
    QTest::mouseClick(w->Edit_F2, Qt::LeftButton);
    EXPECT_EQ(seams.modal.opened.size(), 1);
    answerPicker(QStringLiteral("サバ"));
    QTest::mouseDClick(w->Edit_F2, Qt::LeftButton);
    answerPicker(QStringLiteral("イワシ"));
    w->Edit_F3->setFocus();
    QTest::mouseDClick(w->Edit_F3, Qt::LeftButton);
    answerPicker(QStringLiteral("港"));
    QTest::mouseDClick(w->Edit_Basyo, Qt::LeftButton);
    EXPECT_EQ(pickedKinds, names({"SAKANA", "SAKANA", "BASYO"}));
    EXPECT_EQ(w->Edit_F2->text(), QStringLiteral("サバ"));
    EXPECT_EQ(w->Edit_F3->text(), QStringLiteral("イワシ"));
    EXPECT_EQ(w->Edit_Basyo->text(), QStringLiteral("港"));
    EXPECT_EQ(seams.modal.opened, QStringList(4, QStringLiteral("Data_Sel")));

    // Leaving the picker without a choice leaves the field empty.
    seams.modal.scripts.push_back([](QDialog& picker) {
        QTest::mouseClick(picker.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
        return 0;
    });
    QTest::mouseDClick(w->Edit_Basyo, Qt::LeftButton);
    EXPECT_EQ(w->Edit_Basyo->text(), QString());
}

TEST_F(Entry, APhotoIsLoadedFromAJpegFileAndAFailureKeepsThePreviousOne)
{
    const QByteArray jpeg = kelpora::JpegCodec::encode(drawing(40, 30, Qt::red));
    seams.fileDialog.answers = {writeFile(QStringLiteral("a.jpg"), jpeg),
        writeFile(QStringLiteral("b.jpg"), QByteArray("not a picture")), QString()};
    QTest::mouseDClick(w->Image_B, Qt::LeftButton);
    EXPECT_EQ(seams.fileDialog.lastFilters,
        (QStringList{
            QStringLiteral("JPEG イメージファイル (*.jpg)"), QStringLiteral("JPEG イメージファイル (*.jpeg)")}));
    ASSERT_EQ(w->Image_B->picture().kind(), Picture::Kind::Jpeg);
    EXPECT_EQ(w->Image_B->picture().jpegBytes(), jpeg);
    EXPECT_TRUE(w->Image_A->picture().isNull());

    QTest::mouseDClick(w->Image_B, Qt::LeftButton);
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("JPEGフォーマットの写真を指定してくださいを")});
    EXPECT_EQ(w->Image_B->picture().jpegBytes(), jpeg);

    QTest::mouseDClick(w->Image_B, Qt::LeftButton); // cancelled
    EXPECT_EQ(w->Image_B->picture().jpegBytes(), jpeg);
    EXPECT_EQ(seams.messages.informed.size(), 1);
}

TEST_F(Entry, TheTideAndMapButtonsPrepareANewRecordsEditors)
{
    auto press = [](QWidget* opener) {
        Mode_Flg = kOldFlg;
        ShioZu_Flag = 0;
        if (qobject_cast<QPushButton*>(opener))
            QTest::mouseClick(opener, Qt::LeftButton);
        else
            QTest::mouseDClick(opener, Qt::LeftButton);
        return std::pair(Mode_Flg, ShioZu_Flag);
    };
    EXPECT_EQ(press(w->But_Cyoui), std::pair(kNewFlg, 1));
    EXPECT_EQ(press(w->Image_Shio), std::pair(kNewFlg, 1));
    EXPECT_EQ(press(w->Btn_Chizu), std::pair(kNewFlg, 0));
    EXPECT_EQ(press(w->Image_Map), std::pair(kNewFlg, 0));
    EXPECT_EQ(seams.modal.opened, names({"New_Shio_InF", "New_Shio_InF", "Fish_Chizu_InF", "Fish_Chizu_InF"}));
}

TEST_F(Entry, TheMapProgramsBitmapBecomesTheMap)
{
    const QImage drawn = drawing(120, 80, Qt::blue);
    seams.clipboard.pictureImage = drawing(1, 1, Qt::black);
    seams.program.whileRunning = [&] {
        EXPECT_FALSE(w->isEnabled());
        EXPECT_EQ(seams.clipboard.clears, 1);
        seams.clipboard.bitmapImage = drawn;
    };
    QTest::mouseClick(w->Btn_Apri_Chizu, Qt::LeftButton);
    EXPECT_EQ(seams.program.located, QStringList{QStringLiteral("Chizu.exe")});
    EXPECT_EQ(seams.program.started, QStringList{QStringLiteral("/scripted/bin/Chizu.exe")});
    EXPECT_TRUE(w->isEnabled());
    ASSERT_EQ(w->Image_Map->picture().kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(w->Image_Map->picture().size(), QSize(120, 80));
    EXPECT_TRUE(seams.messages.informed.isEmpty());

    // Nothing copied: the map stays as it was, and nothing is said.
    seams.program.whileRunning = nullptr;
    QTest::mouseClick(w->Btn_Apri_Chizu, Qt::LeftButton);
    EXPECT_EQ(w->Image_Map->picture().size(), QSize(120, 80));
    EXPECT_TRUE(seams.messages.informed.isEmpty());
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(Entry, AMapProgramThatIsMissingOrCannotStartIsReportedAndTheClipboardKept)
{
    seams.clipboard.bitmapImage = drawing(10, 10, Qt::green);
    const QString failed = QStringLiteral("地図ソフト（Chizu.exe）を起動できませんでした");

    seams.program.installed = false;
    QTest::mouseClick(w->Btn_Apri_Chizu, Qt::LeftButton);
    EXPECT_TRUE(seams.program.started.isEmpty());

    seams.program.installed = true;
    seams.program.canStart = false;
    QTest::mouseClick(w->Btn_Apri_Chizu, Qt::LeftButton);
    EXPECT_EQ(seams.program.started.size(), 1);

    EXPECT_EQ(seams.messages.informed, (QStringList{failed, failed}));
    EXPECT_EQ(seams.clipboard.clears, 0);
    EXPECT_TRUE(seams.clipboard.bitmapImage.has_value());
    EXPECT_TRUE(w->isEnabled());
    EXPECT_TRUE(w->Image_Map->picture().isNull());
}

TEST_F(Entry, EraseEmptiesEverythingAndStartsTheNextRecordAfresh)
{
    EXPECT_EQ(w->Edit_No->text(), QStringLiteral("1")); // an empty book
    insertMinimal(db.dm(), 4);
    typeText(w->Edit_Tenki, QStringLiteral("雨"));
    typeText(w->CBox_Shio, QStringLiteral("若潮"));
    QTest::keyClicks(w->Edit_Min_H1, QStringLiteral("3.5"));
    w->Memo_Cyouka->setPlainText(QStringLiteral("メモ"));
    w->Edit_Day->setText(QStringLiteral("2020/01/01"));
    w->Image_Shio->setPicture(Picture::fromBitmap(drawing(8, 8, Qt::red)));
    w->Image_Map->setPicture(Picture::fromBitmap(drawing(8, 8, Qt::red)));
    w->Image_D->setPicture(Picture::fromBitmap(drawing(8, 8, Qt::red)));
    Shio_Marks.fill(7);
    Mode_Flg = kNewFlg;
    Sel_Value = QStringLiteral("館山");

    QTest::mouseClick(w->Btn_New_No, Qt::LeftButton);
    for (const auto& f : TFishDataIn::fields()) {
        QWidget* field = f.widget(*w);
        if (field == w->Edit_No || field == w->Edit_Day)
            continue;
        if (auto* edit = qobject_cast<QLineEdit*>(field)) {
            EXPECT_EQ(edit->text(), QString()) << f.name;
        }
    }
    EXPECT_EQ(w->CBox_Shio->currentText(), QString());
    EXPECT_EQ(w->CBox_Shio->currentIndex(), -1);
    EXPECT_EQ(w->Memo_Cyouka->toPlainText(), QString());
    for (ImageArea* area : {w->Image_Shio, w->Image_Map, w->Image_A, w->Image_B, w->Image_C, w->Image_D})
        EXPECT_TRUE(area->picture().isNull()) << area->objectName().toStdString();
    EXPECT_EQ(Shio_Marks, (std::array<int, 18>{}));
    EXPECT_EQ(w->Edit_No->text(), QStringLiteral("5"));
    EXPECT_EQ(w->Edit_Day->text(), today());
    EXPECT_EQ(focused(), QStringLiteral("Edit_Day"));
    EXPECT_EQ(Mode_Flg, kNewFlg);
    EXPECT_EQ(Sel_Value, QStringLiteral("館山"));
}
