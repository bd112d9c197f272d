// The whole road of one catch record, as a user goes it from the main menu: entered with
// a marked tide chart, a map and photos; browsed to, its chart looked at, corrected,
// searched for by species and by month, its photo and its map changed, looked at in the
// work sheet, and deleted in the maintenance window. After each stage the file is read
// on a connection of its own, so only what was committed counts.
#include "tide/TideFixtures.h"

#include "app/Main_F.h"
#include "browser/Fishdata_F.h"
#include "browser/WorkSheet_F2.h"
#include "core/DM_1.h"
#include "core/Connection.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "entry/Data_Sel_F.h"
#include "entry/Fish_Data_IN.h"
#include "maintenance/Mente_F.h"
#include "pictures/Fish_Chizu_In_F.h"
#include "pictures/ImageArea.h"
#include "pictures/JpegCodec.h"
#include "pictures/Photo_Big_F.h"
#include "pictures/Photo_F.h"
#include "support/OpenWindow.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"
#include "tide/New_Shio_In_F.h"
#include "tide/Shape.h"
#include "tide/Shio_New_F.h"

#include <QAbstractItemView>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace kelpora::testing;
using kelpora::JpegCodec;
using kelpora::Picture;

namespace {

// One record as the file holds it, read over a connection of its own.
class Stored {
public:
    Stored(const QString& path, int code) : m_book(path), m_q(m_book)
    {
        m_q.addSql(QStringLiteral("select * from FISH_DATA where CODENO = %1").arg(code));
        m_q.open();
    }
    bool exists() const { return !m_q.isEmpty(); }
    QString text(const char* column) const { return m_q.fieldText(QLatin1String(column)); }
    int number(const char* column) const { return m_q.fieldInteger(QLatin1String(column)); }
    bool isNull(const char* column) const { return m_q.isNull(QLatin1String(column)); }
    QByteArray blob(const char* column) const { return m_q.fieldBlob(QLatin1String(column)); }
    QSize jpegSize(const char* column) const { return JpegCodec::readSize(blob(column)); }

private:
    kelpora::Connection m_book;
    kelpora::SqlQuery m_q;
};

// A photo as a camera writes it: a JPEG that is not our encoder's, so keeping its bytes
// and encoding it anew can be told apart.
QByteArray cameraJpeg(QColor colour)
{
    QImage image(320, 240, QImage::Format_RGB888);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 70);
    return bytes;
}

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

void retype(QLineEdit* edit, const QString& text)
{
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    typeText(edit, text);
}

// Opens the box's list with the mouse, walks to the item with the arrow keys and takes it.
void choose(QComboBox* box, const QString& item)
{
    const int row = box->findText(item);
    ASSERT_GE(row, 0);
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* list = box->view();
    while (list->currentIndex().row() < row)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex().row() > row)
        QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
}

// What the window system delivers for a double-click on a grid row.
void doubleClickRow(QTableView* grid, int row)
{
    const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
}

template <class W> void whenOpened(ScriptedSeams& seams, std::function<void(W&)> drive)
{
    seams.modal.scripts.push_back([drive](QDialog& d) {
        d.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        drive(dynamic_cast<W&>(d));
        EXPECT_FALSE(d.isVisible()) << d.objectName().toStdString(); // closed by its own button
        return 0;
    });
}

QString cell(QTableView* grid, int row, int column)
{
    return grid->model()->index(row, column).data().toString();
}

QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* text : texts)
        out << QString::fromUtf8(text);
    return out;
}

QStringList codesOf(const kelpora::SqlQuery& rows)
{
    QStringList codes;
    for (int row = 0; row < rows.rowCount(); ++row)
        codes << rows.textAt(row, QStringLiteral("CODENO"));
    return codes;
}

class WholeRoad : public ::testing::Test {
protected:
    WholeRoad()
    {
        const char* const others[3][3]
            = {{"2025/05/10", "館山", "アジ"}, {"2025/05/24", "富津", "シーバス"}, {"2025/11/02", "館山", "アジ"}};
        for (int code = 1; code <= 3; ++code) {
            const auto& [day, place, fish] = others[code - 1];
            insertRecord(db.dm(),
                {{QStringLiteral("CODENO"), code}, {QStringLiteral("DAY_DATA"), QString::fromUtf8(day)},
                    {QStringLiteral("BASYO"), QString::fromUtf8(place)},
                    {QStringLiteral("FISH1"), QString::fromUtf8(fish)}});
        }
        photo1 = writeFile("photo1.jpg", cameraJpeg(Qt::red));
        photo3 = writeFile("photo3.jpg", cameraJpeg(Qt::blue));
        newPhoto = writeFile("new.jpg", cameraJpeg(Qt::darkGreen));
        menu.shown();
    }

    QByteArray bytesOf(const QString& path) const
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    QString writeFile(const char* name, const QByteArray& bytes)
    {
        const QString path = QDir(db.dir()).absoluteFilePath(QLatin1String(name));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }

    // The value picker's turn: a stored value double-clicked in its list, or a new one typed.
    void pick(const QString& value, bool stored)
    {
        whenOpened<TData_Sel>(seams, [value, stored](TData_Sel& p) {
            if (!stored) {
                typeText(p.Edit_NEW, value);
                QTest::keyClick(p.Edit_NEW, Qt::Key_Return);
                return;
            }
            QCoreApplication::processEvents(); // the list lays its items out
            const QList<QListWidgetItem*> found = p.ListBox1->findItems(value, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            const QPoint at = p.ListBox1->visualItemRect(found[0]).center();
            QTest::mouseClick(p.ListBox1->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(p.ListBox1->viewport(), Qt::LeftButton, {}, at);
        });
    }

    void enterRecord(TFishDataIn& w);
    void markTideChart(TNew_Shio_InF& ed);
    void browse(TFishdataF& b);
    void changePhoto(TPhoto_BigF& viewer);
    void deleteRecord(TMenteF& m);

    ScriptedSeams seams;
    TempDatabase db;
    OpenWindow<TMainF> menu{MainF, nullptr};
    QString photo1, photo3, newPhoto;
    // The marks as placed below: fishing period 100 px in and 160 wide, catch time 1 at (280, 230).
    const Marks marks{100, 160, 0, 0, 0, 0, 280, 230, 0, 0, 0, 0};
};

void WholeRoad::enterRecord(TFishDataIn& w)
{
    EXPECT_EQ(w.Edit_No->text(), QStringLiteral("4"));
    EXPECT_EQ(w.focusWidget(), w.Edit_Day);
    w.Edit_Day->selectAll();
    QTest::keyClicks(w.Edit_Day, QStringLiteral("2026/5/3"));
    QTest::keyClick(w.Edit_Day, Qt::Key_Return);
    EXPECT_EQ(w.Edit_Day->text(), QStringLiteral("2026/05/03"));
    typeText(w.Edit_Tenki, QStringLiteral("晴れ"));
    // Enter goes on to the place and the point, each through its picker.
    pick(QStringLiteral("館山"), true);
    QTest::keyClick(w.Edit_Tenki, Qt::Key_Return);
    pick(QStringLiteral("沖堤"), false);
    QTest::keyClick(w.Edit_Basyo, Qt::Key_Return);
    EXPECT_EQ(w.Edit_Basyo->text(), QStringLiteral("館山"));
    EXPECT_EQ(w.Edit_Fune->text(), QStringLiteral("沖堤"));
    QTest::keyClicks(w.Edit_Max_T1, QStringLiteral("6"));
    QTest::keyClicks(w.Edit_Max_T1_2, QStringLiteral("05"));
    QTest::keyClicks(w.Edit_Max_H1, QStringLiteral("150"));
    pick(QStringLiteral("アジ"), true);
    QTest::mouseClick(w.Edit_F1, Qt::LeftButton);
    EXPECT_EQ(w.Edit_F1->text(), QStringLiteral("アジ"));
    QTest::keyClicks(w.Edit_F1_Max, QStringLiteral("28"));
    QTest::keyClicks(w.Edit_F1_kazu, QStringLiteral("12"));
    typeText(w.Memo_Shikake, QStringLiteral("サビキ"));

    whenOpened<TNew_Shio_InF>(seams, [this](TNew_Shio_InF& ed) { markTideChart(ed); });
    QTest::mouseDClick(w.Image_Shio, Qt::LeftButton);
    EXPECT_EQ(w.Image_Shio->picture().size(), QSize(500, 400));
    for (size_t i = 0; i < marks.size(); ++i)
        EXPECT_EQ(Shio_Marks[6 + i], marks[i]) << i;

    whenOpened<TFish_Chizu_InF>(seams, [this](TFish_Chizu_InF& map) {
        EXPECT_EQ(map.Edit_CODE->text(), QStringLiteral("新規入力"));
        seams.clipboard.bitmapImage = tideChart(300, 200);
        click(map.Btn_In);
        EXPECT_EQ(map.Label_XY->text(), QStringLiteral("300 * 200"));
        click(map.Btn_OK);
    });
    click(w.Btn_Chizu);
    EXPECT_EQ(w.Image_Map->picture().kind(), Picture::Kind::Jpeg);

    seams.fileDialog.answers = {photo1, photo3};
    QTest::mouseDClick(w.Image_A, Qt::LeftButton);
    QTest::mouseDClick(w.Image_C, Qt::LeftButton);
    EXPECT_EQ(w.Image_A->picture().jpegBytes(), bytesOf(photo1));

    click(w.Btn_New_Yes);
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("入力完了")});
    EXPECT_EQ(w.Edit_No->text(), QStringLiteral("5")); // ready for the next record
    EXPECT_TRUE(w.Image_Shio->picture().isNull());
    click(w.Btn_Close);
}

// The chart pasted, the marks shown with "釣り時間の表示", and two of them placed with the
// pointer: the fishing period moved and widened, the first catch time moved.
void WholeRoad::markTideChart(TNew_Shio_InF& ed)
{
    EXPECT_EQ(ed.Edit_CODE->text(), QStringLiteral("新規入力"));
    seams.clipboard.bitmapImage = tideChart(500, 400);
    click(ed.Btn_In);
    EXPECT_EQ(ed.Label_XY->text(), QStringLiteral("500 * 400"));
    EXPECT_EQ(ed.Btn_Time->text(), QStringLiteral("釣り時間の表示"));
    click(ed.Btn_Time);
    click(ed.S_Btn_1);
    auto drag = [&ed](Qt::MouseButton button, QPoint from, QPoint to) {
        pressAt(&ed, button, from);
        moveTo(&ed, to);
        releaseAt(&ed, button, to);
    };
    drag(Qt::LeftButton, {50, 200}, {150, 200});
    drag(Qt::RightButton, {200, 200}, {260, 200});
    EXPECT_EQ(ed.Shape_1->geometry(), QRect(116, 16, 160, 400));
    click(ed.S_Btn_3__);
    drag(Qt::LeftButton, {60, 52}, {300, 250});
    EXPECT_EQ(ed.Shape_4->geometry(), QRect(296, 246, 17, 17));
    click(ed.Btn_OK);
}

void WholeRoad::browse(TFishdataF& b)
{
    // It opens on the last record, the new one; browsed away from and back to it.
    EXPECT_EQ(b.Edit_No->text(), QStringLiteral("4"));
    click(b.Btn_First);
    EXPECT_EQ(b.Edit_No->text(), QStringLiteral("1"));
    click(b.Btn_Next);
    click(b.Btn_Next);
    click(b.Btn_Next);
    EXPECT_EQ(b.Edit_No->text(), QStringLiteral("4"));
    EXPECT_EQ(b.Edit_Day->text(), QStringLiteral("2026/05/03"));
    EXPECT_EQ(b.Edit_Place->text(), QStringLiteral("館山"));
    EXPECT_EQ(b.Edit_Fune->text(), QStringLiteral("沖堤"));
    EXPECT_EQ(b.Edit_Max_T1->text(), QStringLiteral("06:05"));
    EXPECT_EQ(b.Edit_Max_H1->text(), QStringLiteral("150"));
    EXPECT_EQ(b.Edit_F1_kazu->text(), QStringLiteral("12"));
    EXPECT_EQ(b.Memo_Shikake->toPlainText(), QStringLiteral("サビキ"));
    EXPECT_EQ(b.Image_Shio->picture().size(), QSize(500, 400));
    EXPECT_EQ(b.Image_Map->picture().size(), QSize(300, 200));
    EXPECT_EQ(b.Image_A->picture().jpegBytes(), bytesOf(photo1));
    EXPECT_TRUE(b.Image_B->picture().isNull());
    EXPECT_EQ(b.Image_C->picture().jpegBytes(), bytesOf(photo3));

    // The chart with its marks, where they were placed.
    whenOpened<TShio_NewF>(seams, [](TShio_NewF& v) {
        EXPECT_EQ(v.Image_SS->geometry(), QRect(16, 52, 500, 400));
        EXPECT_EQ(v.Shape1->geometry(), QRect(16 + 100, 52, 160, 400));
        EXPECT_EQ(v.Shape4->geometry(), QRect(16 + 280, 52 + 230, 17, 17));
        EXPECT_FALSE(v.Shape2->isVisible());
        click(v.Button1);
    });
    QTest::mouseDClick(b.Image_Shio, Qt::LeftButton);

    // A correction: typing starts it, "訂　正" stores it.
    retype(b.Edit_Tenki, QStringLiteral("曇りのち雨"));
    EXPECT_FALSE(b.Btn_Next->isEnabled());
    click(b.Btn_Teisei);
    EXPECT_EQ(Stored(db.path(), 4).text("TENNKI"), QStringLiteral("曇りのち雨"));
    EXPECT_EQ(b.Edit_Tenki->text(), QStringLiteral("曇りのち雨"));
    EXPECT_TRUE(b.Btn_Next->isEnabled());

    // By species: records 1, 3 and 4 caught アジ.
    whenOpened<QDialog>(seams,
        [](QDialog& d) { choose(d.findChild<QComboBox*>(QStringLiteral("CBox_Serch")), QStringLiteral("アジ")); });
    choose(b.CBox_Kensaku, QStringLiteral("魚種"));
    EXPECT_EQ(codesOf(*b.IBSQL_2), strings({"1", "3", "4"}));
    EXPECT_EQ(b.Edit_No->text(), QStringLiteral("4"));
    // By month: May, in any year.
    whenOpened<QDialog>(seams, [](QDialog& d) { click(d.findChild<QPushButton*>(QStringLiteral("Btn_M05"))); });
    choose(b.CBox_Kensaku, QStringLiteral("月"));
    EXPECT_EQ(b.Label_kensaku->text(), QStringLiteral("月で検索"));
    EXPECT_EQ(codesOf(*b.IBSQL_2), strings({"1", "2", "4"}));
    EXPECT_EQ(b.Edit_No->text(), QStringLiteral("4"));

    whenOpened<TPhoto_BigF>(seams, [this](TPhoto_BigF& v) { changePhoto(v); });
    click(b.Btn_Photo);
    EXPECT_EQ(Stored(db.path(), 4).blob("PHOTO1"), bytesOf(newPhoto));
    EXPECT_EQ(Stored(db.path(), 4).blob("PHOTO3"), bytesOf(photo3));
    EXPECT_EQ(b.Image_A->picture().jpegBytes(), bytesOf(newPhoto));

    // A new map for the stored record, from the browser's map input.
    whenOpened<TFish_Chizu_InF>(seams, [this](TFish_Chizu_InF& map) {
        EXPECT_EQ(map.Edit_CODE->text(), QStringLiteral("4"));
        EXPECT_EQ(map.Label_XY->text(), QStringLiteral("jpeg"));
        seams.clipboard.bitmapImage = tideChart(400, 300);
        click(map.Btn_In);
        click(map.Btn_OK);
    });
    click(b.Btn_Chizu);
    EXPECT_EQ(Stored(db.path(), 4).jpegSize("CHIZU"), QSize(400, 300));
    EXPECT_EQ(b.Image_Map->picture().size(), QSize(400, 300));
    // Each editor came back to the same record of the same search.
    EXPECT_EQ(codesOf(*b.IBSQL_2), strings({"1", "2", "4"}));
    EXPECT_EQ(b.Edit_No->text(), QStringLiteral("4"));

    whenOpened<TWorkSheetF2>(seams, [](TWorkSheetF2& sheet) {
        QTableView* grid = sheet.DBGrid1;
        EXPECT_EQ(grid->model()->rowCount(), 3);
        EXPECT_EQ(grid->currentIndex().row(), 2);
        const QStringList row{cell(grid, 2, 0), cell(grid, 2, 1), cell(grid, 2, 2), cell(grid, 2, 3), cell(grid, 2, 4)};
        EXPECT_EQ(row, strings({"4", "2026/05/03", "館山", "沖堤", "アジ"}));
        click(sheet.Btn_Close);
    });
    click(b.Btn_worksheet);
    EXPECT_EQ(b.Edit_No->text(), QStringLiteral("4"));
    click(b.Btn_Return);
}

// Photo 1 replaced by a file through the photo editor; the viewer shows the new one.
void WholeRoad::changePhoto(TPhoto_BigF& viewer)
{
    EXPECT_EQ(viewer.Label_Code->text(), QStringLiteral("4"));
    EXPECT_EQ(viewer.Image_AA->picture().jpegBytes(), bytesOf(photo1));
    EXPECT_EQ(viewer.Image_CC->picture().jpegBytes(), bytesOf(photo3));
    whenOpened<TPhotoF>(seams, [this](TPhotoF& editor) {
        EXPECT_EQ(editor.Label_CODE->text(), QStringLiteral("4"));
        EXPECT_EQ(editor.Image1->picture().jpegBytes(), bytesOf(photo1));
        seams.fileDialog.answers = {newPhoto};
        click(editor.Btn_File);
        click(editor.Btn_Ok);
    });
    click(viewer.Btn_No1);
    EXPECT_EQ(viewer.Image_AA->picture().jpegBytes(), bytesOf(newPhoto));
    click(viewer.Button1);
}

void WholeRoad::deleteRecord(TMenteF& m)
{
    QTableView* grid = m.DBGrid_Data;
    ASSERT_EQ(grid->model()->rowCount(), 4);
    EXPECT_EQ(cell(grid, 3, 0), QStringLiteral("4"));
    doubleClickRow(grid, 3);
    EXPECT_EQ(m.Edit_Data_del->text(), QStringLiteral("4"));
    seams.messages.answers = {true}; // "はい"
    click(m.Btn_D_del);
    ASSERT_EQ(seams.messages.questions.size(), 1);
    EXPECT_TRUE(seams.messages.questions[0].startsWith(QStringLiteral("番号 4 の記録を削除します。")));
    EXPECT_TRUE(seams.messages.questions[0].contains(QStringLiteral("場所　館山")));
    EXPECT_EQ(grid->model()->rowCount(), 3);
    click(m.Btn_Return);
}

} // namespace

TEST_F(WholeRoad, ARecordIsEnteredBrowsedCorrectedSearchedChangedAndDeleted)
{
    whenOpened<TFishDataIn>(seams, [this](TFishDataIn& w) { enterRecord(w); });
    click(menu->Btn_Data_In);
    {
        const Stored r(db.path(), 4);
        ASSERT_TRUE(r.exists());
        EXPECT_EQ(r.text("DAY_DATA"), QStringLiteral("2026/05/03"));
        EXPECT_EQ(r.text("TENNKI"), QStringLiteral("晴れ"));
        EXPECT_EQ(r.text("BASYO"), QStringLiteral("館山"));
        EXPECT_EQ(r.text("FUNE"), QStringLiteral("沖堤"));
        EXPECT_EQ(r.text("MAX1"), QStringLiteral("06:05"));
        EXPECT_EQ(r.number("MAX1_HIGHT"), 150);
        EXPECT_EQ(r.text("FISH1"), QStringLiteral("アジ"));
        EXPECT_EQ(r.number("FISH1_MAX"), 28);
        EXPECT_TRUE(r.isNull("FISH1_MIN"));
        EXPECT_EQ(r.text("SHIKAKE"), QStringLiteral("サビキ"));
        EXPECT_EQ(r.jpegSize("SHIO_ZU"), QSize(500, 400));
        EXPECT_EQ(r.jpegSize("CHIZU"), QSize(300, 200));
        EXPECT_EQ(r.blob("PHOTO1"), bytesOf(photo1)); // a JPEG file keeps its bytes
        EXPECT_TRUE(r.isNull("PHOTO2"));
        EXPECT_EQ(r.blob("PHOTO3"), bytesOf(photo3));
    }
    EXPECT_EQ(readStored(db.path(), 4).marks, marks);

    whenOpened<TFishdataF>(seams, [this](TFishdataF& b) { browse(b); });
    click(menu->Btn_Data_Out);
    {
        // Everything changed on the way, and nothing else.
        const Stored r(db.path(), 4);
        EXPECT_EQ(r.text("TENNKI"), QStringLiteral("曇りのち雨"));
        EXPECT_EQ(r.text("BASYO"), QStringLiteral("館山"));
        EXPECT_EQ(r.blob("PHOTO1"), bytesOf(newPhoto));
        EXPECT_EQ(r.jpegSize("CHIZU"), QSize(400, 300));
        EXPECT_EQ(r.jpegSize("SHIO_ZU"), QSize(500, 400));
    }
    EXPECT_EQ(readStored(db.path(), 4).marks, marks);

    whenOpened<TMenteF>(seams, [this](TMenteF& m) { deleteRecord(m); });
    click(menu->Btn_Mente);
    EXPECT_FALSE(Stored(db.path(), 4).exists());
    EXPECT_EQ(TempDatabase::countRows(db.path()), 3);

    EXPECT_EQ(seams.modal.opened,
        strings({"FishDataIn", "Data_Sel", "Data_Sel", "Data_Sel", "New_Shio_InF", "Fish_Chizu_InF", "FishdataF",
            "Shio_NewF", "Kensaku_2_F", "KensakuF", "Photo_BigF", "PhotoF", "Fish_Chizu_InF", "WorkSheetF2",
            "MenteF"}));
    EXPECT_TRUE(seams.modal.scripts.empty());
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("入力完了")});
    EXPECT_TRUE(seams.messages.errors.isEmpty()) << qPrintable(seams.messages.errors.join(u'|'));
}
