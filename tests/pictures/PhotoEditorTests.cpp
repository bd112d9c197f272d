#include "core/Error.h"
#include "core/SharedState.h"
#include "imaging/JpegCodec.h"
#include "imaging/PictureStore.h"
#include "kit/ImageArea.h"
#include "pictures/Photo_Big_F.h"
#include "pictures/Photo_F.h"
#include "support/PictureWindows.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/TestImages.h"

#include <QDir>
#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

using namespace kelpora::testing;
using kelpora::ImageArea;
using kelpora::JpegCodec;
using kelpora::Picture;
using kelpora::testing::jpegFile;
using kelpora::testing::quadrants;

namespace {

// A JPEG cut off in the middle of its picture data: the header reads, the picture does not.
QByteArray halfOf(const QByteArray& jpeg)
{
    return jpeg.left(jpeg.size() / 2);
}

// The editor as the photo viewer opens it: over the viewer of the record the browser shows.
class PhotoEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        insertRecord(db.dm(),
            {{QStringLiteral("CODENO"), 5}, {QStringLiteral("BASYO"), QStringLiteral("城ヶ島")},
                {QStringLiteral("PHOTO1"), photo1}, {QStringLiteral("PHOTO2"), photo2},
                {QStringLiteral("PHOTO3"), photo3}, {QStringLiteral("CHIZU"), photo1}});
    }
    TPhotoF& openSlot(int slot)
    {
        if (!browser) {
            browser.emplace();
            viewer.emplace(Photo_BigF, browser->get());
            viewer->shown();
        }
        Photo_No = slot;
        editor.emplace(PhotoF, viewer->get());
        seams.messages.informed.clear();
        return editor->shown();
    }
    std::optional<QByteArray> stored(const char* column, int code = 5)
    {
        return storedBlob(db.path(), code, QLatin1String(column));
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(QDir(db.dir()).absoluteFilePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return file.fileName();
    }
    const Picture& shown() { return named<ImageArea>(editor->get(), "Image1")->picture(); }
    void press(const char* button) { click(editor->get(), button); }

    const QByteArray photo1 = jpegFile({320, 240});
    const QByteArray photo2 = kelpora::testing::bmpFile(quadrants({64, 32}));
    const QByteArray photo3 = kelpora::testing::withComment(jpegFile({640, 480}));
    ScriptedSeams seams;
    TempDatabase db;
    std::optional<ShownBrowser> browser;
    std::optional<OpenWindow<TPhoto_BigF>> viewer;
    std::optional<OpenWindow<TPhotoF>> editor;
};

} // namespace

TEST_F(PhotoEditor, IsLaidOutAsDesignedAndBuildsTheStatementsOfItsSlot)
{
    TPhotoF& w = openSlot(3);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("写真"));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(named(&w, "Image1")->size(), QSize(577, 545));
    EXPECT_EQ(named<QLabel>(&w, "Label_CODE")->text(), QStringLiteral("5"));
    EXPECT_EQ(named<QLabel>(&w, "Label3")->text(), QStringLiteral("の処理"));
    EXPECT_EQ(named<QPushButton>(&w, "Btn_Clear")->text(), QStringLiteral("消去します"));
    EXPECT_EQ(shown().jpegBytes(), photo3);

    EXPECT_EQ(TPhotoF::readStatement(2, QStringLiteral("12")),
        QStringLiteral("select  PHOTO2  from FISH_DATA where CODENO =  12"));
    EXPECT_EQ(TPhotoF::writeStatement(4),
        QStringLiteral("update FISH_DATA set  PHOTO4  = :parPHOTO where CODENO = :parCODE"));
    EXPECT_THROW(TPhotoF::writeStatement(5), kelpora::Error);
    // Only a number is ever written into the statement's text.
    EXPECT_THROW(TPhotoF::readStatement(1, QStringLiteral("1 or 1=1")), kelpora::ConversionError);
}

TEST_F(PhotoEditor, RefusesAnyOwnerButThePhotoViewer)
{
    browser.emplace();
    Photo_No = 1;
    editor.emplace(PhotoF, browser->get());
    EXPECT_FALSE(editor->shown().isVisible());
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("*********")});
    EXPECT_TRUE(shown().isNull()); // nothing read
}

TEST_F(PhotoEditor, AJpegFileIsStoredByteForByteAndConfirmingAgainKeepsIt)
{
    const QByteArray file = kelpora::testing::withComment(jpegFile({800, 600}));
    seams.fileDialog.answers.push_back(writeFile(QStringLiteral("海.JPG"), file));
    doubleClick(&openSlot(4), "Image1");
    EXPECT_EQ(seams.fileDialog.lastFilters, kelpora::PictureStore::photoFileFilters());
    press("Btn_Ok");
    EXPECT_FALSE(editor->get()->isVisible());
    EXPECT_EQ(stored("PHOTO4"), file);

    openSlot(4);
    EXPECT_EQ(shown().jpegBytes(), file);
    press("Btn_Ok");
    EXPECT_EQ(stored("PHOTO4"), file);
    EXPECT_TRUE(seams.messages.informed.isEmpty());
}

TEST_F(PhotoEditor, ACaptureThatFailsKeepsThePictureItHad)
{
    openSlot(1);
    press("Btn_File"); // cancelled
    press("Btn_C_BORD"); // nothing on the clipboard: nothing happens, nothing is said
    EXPECT_TRUE(seams.messages.informed.isEmpty());
    for (const auto& [name, bytes] : {std::pair{QStringLiteral("memo.txt"), jpegFile({20, 20})},
             std::pair{QStringLiteral("fake.jpg"), QByteArray("just text")},
             std::pair{QStringLiteral("cut.jpeg"), halfOf(jpegFile({400, 400}))}}) {
        seams.fileDialog.answers.push_back(writeFile(name, bytes));
        press("Btn_File");
        EXPECT_EQ(seams.messages.informed.takeLast(), QStringLiteral("JPEGフォーマットの写真を指定してくださいを"))
            << qPrintable(name);
    }
    seams.clipboard.pictureImage = QImage(Picture::MaxSide + 1, 2, QImage::Format_RGB888);
    press("Btn_C_BORD");
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("失敗しました")});
    EXPECT_EQ(shown().jpegBytes(), photo1);
}

TEST_F(PhotoEditor, APastedBitmapIsStoredAsABaselineJpegAtQuality90InItsSlotOnly)
{
    const QImage bitmap = quadrants({300, 200});
    seams.clipboard.pictureImage = bitmap;
    openSlot(3);
    press("Btn_C_BORD");
    press("Btn_Ok");
    const QByteArray bytes = stored("PHOTO3").value_or(QByteArray());
    EXPECT_EQ(bytes, JpegCodec::encode(bitmap));
    EXPECT_EQ(kelpora::testing::sofSize(bytes), QSize(300, 200)); // SOF0: baseline
    EXPECT_EQ(stored("PHOTO1"), photo1);
    EXPECT_EQ(stored("PHOTO2"), photo2);
    EXPECT_FALSE(stored("PHOTO4").has_value());
    EXPECT_EQ(stored("CHIZU"), photo1);
    EXPECT_EQ(storedText(db.path(), 5, QStringLiteral("BASYO")), QStringLiteral("城ヶ島"));
}

TEST_F(PhotoEditor, ABmpInTheSlotIsShownAndStoredBackAsJpeg)
{
    openSlot(2);
    EXPECT_EQ(shown().kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(shown().size(), QSize(64, 32));
    press("Btn_Ok");
    const QByteArray bytes = stored("PHOTO2").value_or(QByteArray());
    EXPECT_EQ(bytes, JpegCodec::encode(quadrants({64, 32})));
}

TEST_F(PhotoEditor, ClearingAndConfirmingStoresNullAndCancellingChangesNothing)
{
    openSlot(3);
    press("Btn_Clear");
    EXPECT_TRUE(shown().isNull());
    seams.clipboard.pictureImage = quadrants({50, 50});
    press("Btn_C_BORD");
    seams.fileDialog.answers.push_back(writeFile(QStringLiteral("a.jpeg"), jpegFile({30, 30})));
    press("Btn_File");
    EXPECT_EQ(shown().size(), QSize(30, 30));
    press("Btn_No");
    EXPECT_FALSE(editor->get()->isVisible());
    EXPECT_EQ(stored("PHOTO3"), photo3);

    openSlot(3);
    press("Btn_Clear");
    press("Btn_Ok");
    EXPECT_FALSE(stored("PHOTO3").has_value());
}

TEST_F(PhotoEditor, AFailedWriteSaysSoAndClosesWithTheColumnKept)
{
    refuseUpdates(db.dm());
    openSlot(1);
    press("Btn_Clear");
    press("Btn_Ok");
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("失敗しました FISH_DATA")});
    EXPECT_FALSE(editor->get()->isVisible());
    EXPECT_EQ(stored("PHOTO1"), photo1);
}

// A stored photo the editor cannot read looks like an empty slot; confirming must not
// turn it into NULL unless the user erased it on purpose.
TEST_F(PhotoEditor, AnUnreadableStoredPhotoIsKeptUnlessTheUserErasesIt)
{
    const QByteArray cut = halfOf(jpegFile({400, 300})); // its header still reads
    const QByteArray garbage("neither BMP nor JPEG");
    insertRecord(db.dm(),
        {{QStringLiteral("CODENO"), 11}, {QStringLiteral("PHOTO2"), cut},
            {QStringLiteral("PHOTO4"), garbage}}); // the browser opens on it
    for (int slot : {2, 4}) {
        openSlot(slot);
        EXPECT_TRUE(shown().isNull());
        ASSERT_EQ(seams.messages.informed.size(), 1);
        EXPECT_TRUE(seams.messages.informed.front().startsWith(
            QStringLiteral("保存されている写真%1を読み込めませんでした。").arg(slot)));
        press("Btn_Ok");
        EXPECT_FALSE(editor->get()->isVisible());
    }
    EXPECT_EQ(stored("PHOTO2", 11), cut);
    EXPECT_EQ(stored("PHOTO4", 11), garbage);

    // A new photo replaces one as usual, and erasing on purpose does store NULL.
    seams.clipboard.pictureImage = quadrants({30, 20});
    openSlot(2);
    press("Btn_C_BORD");
    press("Btn_Ok");
    EXPECT_EQ(stored("PHOTO2", 11), JpegCodec::encode(quadrants({30, 20})));
    openSlot(4);
    press("Btn_Clear");
    press("Btn_Ok");
    EXPECT_FALSE(stored("PHOTO4", 11).has_value());
}
