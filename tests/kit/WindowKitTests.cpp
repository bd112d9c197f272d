#include "app/Main_F.h"
#include "browser/Fishdata_F.h"
#include "browser/WorkSheet_F2.h"
#include "core/NamedParams.h"
#include "core/SharedState.h"
#include "support/OpenWindow.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace kelpora::testing;

namespace {

class WindowKit : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int code = 1; code <= 5; ++code)
            insertMinimal(db.dm(), code);
    }

    ScriptedSeams seams;
    TempDatabase db;
};

} // namespace

TEST_F(WindowKit, EnterAndEscapeInABrowserFieldKeepTheCorrectionAndTheWindow)
{
    OpenWindow browser(FishdataF, nullptr);
    TFishdataF& w = browser.shown();
    w.Btn_Prior->click();
    typeText(w.Edit_Tenki, QStringLiteral("雨"));
    ASSERT_TRUE(w.Btn_Teisei->isEnabled());

    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(w.Edit_Tenki, key);
        EXPECT_TRUE(w.isVisible()) << key;
    }
    QTest::keyClick(w.Memo_Cyouka, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.Edit_Tenki->text(), QStringLiteral("雨"));
    EXPECT_TRUE(w.correcting());
    EXPECT_EQ(w.Edit_No->text(), QStringLiteral("4"));
    for (QPushButton* b : w.findChildren<QPushButton*>())
        EXPECT_FALSE(b->isDefault() || b->autoDefault()) << b->objectName().toStdString();
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

TEST_F(WindowKit, EnterOnAFocusedButtonPressesThatButtonOnly)
{
    OpenWindow browser(FishdataF, nullptr);
    TFishdataF& w = browser.shown();
    w.Btn_Return->setFocus();
    QTest::keyClick(w.Btn_Return, Qt::Key_Return);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(WindowKit, EscapeDoesNotCloseTheWorkSheetNorMoveTheBrowser)
{
    OpenWindow browser(FishdataF, nullptr);
    TFishdataF& w = browser.shown();
    seams.modal.scripts.push_back([](QDialog& sheet) {
        auto* grid = sheet.findChild<QTableView*>(QStringLiteral("DBGrid1"));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Up);
        QTest::keyClick(grid, Qt::Key_Escape);
        QTest::keyClick(grid, Qt::Key_Return);
        EXPECT_TRUE(sheet.isVisible());
        EXPECT_TRUE(WorkSheet_Mark.isEmpty());
        sheet.findChild<QPushButton*>(QStringLiteral("Btn_Close"))->click();
        return 0;
    });
    w.Btn_worksheet->click();
    EXPECT_EQ(WorkSheet_Mark, QStringLiteral("4"));
    EXPECT_EQ(w.Edit_No->text(), QStringLiteral("4"));
}

TEST_F(WindowKit, MinimiseAndRestoreDoNotRunTheShowStepsAgain)
{
    OpenWindow browser(FishdataF, nullptr);
    TFishdataF& w = browser.shown();
    w.Btn_First->click();
    typeText(w.Edit_Tenki, QStringLiteral("曇り"));
    w.showMinimized();
    QCoreApplication::processEvents();
    w.showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Edit_No->text(), QStringLiteral("1"));
    EXPECT_EQ(w.Edit_Tenki->text(), QStringLiteral("曇り"));
    EXPECT_TRUE(w.correcting());

    TMainF menu;
    menu.show();
    Mode_Flg = QStringLiteral("NEW_Flg");
    menu.showMinimized();
    QCoreApplication::processEvents();
    menu.showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(Mode_Flg, QStringLiteral("NEW_Flg"));
}

TEST(FieldTables, TheBrowsersTableBindsEveryParameterOfItsUpdateAndNoOther)
{
    QStringList expected = kelpora::toPositional(TFishdataF::updateLines().join(u'\n')).names;
    QStringList bound;
    for (const QString& name : kelpora::kit::boundParameters(TFishdataF::fields()))
        bound << name.toUpper();
    expected.sort();
    bound.sort();
    EXPECT_EQ(bound, expected);
}
