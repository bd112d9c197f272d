#include "core/DM_1.h"
#include "core/SqlQuery.h"
#include "pictures/JpegCodec.h"
#include "pictures/PictureStore.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace kelpora;
using kelpora::testing::TempDatabase;

namespace {

QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor(x * 255 / w, y * 255 / h, 128));
    return image;
}

class PictureColumns : public ::testing::Test {
protected:
    void store(const QString& column, const Picture& picture, WriteRule rule)
    {
        SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
        q.addSql(QStringLiteral("update FISH_DATA set %1 = :par%1 where CODENO = :parCODE").arg(column));
        q.bindInteger(QStringLiteral("parCODE"), 1);
        PictureStore::bindPicture(q, QStringLiteral("par") + column, picture, rule);
        ASSERT_TRUE(db.dm().guardedWrite(q, QStringLiteral("登録に失敗しました")));
    }
    SqlQuery& row()
    {
        reader = std::make_unique<SqlQuery>(db.dm().IBDB2, db.dm().IBTr2);
        reader->addSql(QStringLiteral("select * from FISH_DATA where CODENO = 1"));
        reader->open();
        return *reader;
    }
    int storedLength(const QString& column)
    {
        SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
        q.addSql(QStringLiteral("select coalesce(octet_length(%1), -1) from FISH_DATA where CODENO = 1").arg(column));
        q.open();
        return q.aggregateInteger();
    }

    void SetUp() override { kelpora::testing::insertMinimal(db.dm(), 1); }

    kelpora::testing::ScriptedSeams seams;
    TempDatabase db;
    std::unique_ptr<SqlQuery> reader;
};

} // namespace

TEST_F(PictureColumns, AJpegIsStoredByteForByteAndNoPictureClearsToNull)
{
    const QByteArray file = JpegCodec::encode(gradient(320, 200));
    store(QStringLiteral("PHOTO1"), Picture::fromJpeg(file), WriteRule::KeepOrEncode);
    EXPECT_EQ(row().fieldBlob(QStringLiteral("PHOTO1")), file);
    const Picture back = PictureStore::readPicture(row(), QStringLiteral("PHOTO1"), ReadRule::JpegOnly);
    EXPECT_EQ(back.jpegBytes(), file);

    store(QStringLiteral("PHOTO1"), Picture(), WriteRule::KeepOrEncode);
    EXPECT_EQ(storedLength(QStringLiteral("PHOTO1")), -1); // NULL, never an empty BLOB
    EXPECT_TRUE(PictureStore::readPicture(row(), QStringLiteral("PHOTO1"), ReadRule::JpegOnly).isNull());
}

TEST_F(PictureColumns, ABitmapIsStoredAsAJpegOfTheSameSize)
{
    store(QStringLiteral("CHIZU"), Picture::fromBitmap(gradient(333, 111)), WriteRule::KeepOrEncode);
    const QByteArray bytes = row().fieldBlob(QStringLiteral("CHIZU"));
    ASSERT_TRUE(bytes.startsWith("\xFF\xD8"));
    EXPECT_EQ(JpegCodec::readSize(bytes), QSize(333, 111));

    // Re-encoding a stored JPEG makes a new file of the same size.
    const Picture jpeg = PictureStore::readPicture(row(), QStringLiteral("CHIZU"), ReadRule::BitmapFirst);
    ASSERT_EQ(jpeg.kind(), Picture::Kind::Jpeg);
    store(QStringLiteral("CHIZU"), jpeg, WriteRule::Reencode);
    const QByteArray again = row().fieldBlob(QStringLiteral("CHIZU"));
    EXPECT_NE(again, bytes);
    EXPECT_EQ(JpegCodec::readSize(again), QSize(333, 111));
}

TEST_F(PictureColumns, ABmpInTheColumnIsAChartOrMapButNoPhoto)
{
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    gradient(64, 48).save(&buffer, "BMP");
    SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
    q.addSql(QStringLiteral("update FISH_DATA set SHIO_ZU = :parA, PHOTO2 = :parA where CODENO = 1"));
    q.bindBlob(QStringLiteral("parA"), bmp);
    ASSERT_TRUE(db.dm().guardedWrite(q, QStringLiteral("登録に失敗しました")));

    const Picture chart = PictureStore::readPicture(row(), QStringLiteral("SHIO_ZU"), ReadRule::BitmapFirst);
    EXPECT_EQ(chart.kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(chart.size(), QSize(64, 48));
    EXPECT_THROW(PictureStore::readPicture(row(), QStringLiteral("PHOTO2"), ReadRule::JpegOnly), PictureError);
}
