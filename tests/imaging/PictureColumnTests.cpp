#include "core/DM_1.h"
#include "core/IBTransaction.h"
#include "core/SqlQuery.h"
#include "imaging/JpegCodec.h"
#include "imaging/PictureCache.h"
#include "imaging/PictureStore.h"
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

// What the picture cache goes by: an id for the stored bytes, had without reading them,
// that stays while nothing is written and is new for every new content.
TEST_F(PictureColumns, ABlobIdNamesTheStoredBytesAndIsNewWhenTheyAreReplaced)
{
    const QByteArray first = JpegCodec::encode(gradient(40, 30));
    const QByteArray second = JpegCodec::encode(gradient(50, 30));
    store(QStringLiteral("PHOTO1"), Picture::fromJpeg(first), WriteRule::KeepOrEncode);
    store(QStringLiteral("PHOTO2"), Picture::fromJpeg(first), WriteRule::KeepOrEncode);
    kelpora::testing::insertMinimal(db.dm(), 2);

    SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
    q.addSql(QStringLiteral("select * from FISH_DATA order by CODENO"));
    q.open();
    const std::optional<quint64> photo1 = q.blobId(QStringLiteral("PHOTO1"));
    const std::optional<quint64> photo2 = q.blobId(QStringLiteral("PHOTO2"));
    ASSERT_TRUE(photo1 && photo2);
    EXPECT_NE(*photo1, *photo2) << "the same bytes stored twice are two BLOBs";
    EXPECT_FALSE(q.blobId(QStringLiteral("PHOTO3")).has_value());
    EXPECT_FALSE(q.blobIdAt(1, QStringLiteral("PHOTO1")).has_value());
    EXPECT_THROW(q.blobId(QStringLiteral("BASYO")), ConversionError);
    q.last();
    EXPECT_EQ(q.blobAt(0, QStringLiteral("PHOTO2")), first) << "any row, without moving";
    EXPECT_EQ(q.currentRow(), 1);
    q.close();
    q.open();
    EXPECT_EQ(q.blobId(QStringLiteral("PHOTO1")), photo1);

    const quint64 before = kelpora::IBTransaction::changeCount();
    store(QStringLiteral("PHOTO1"), Picture::fromJpeg(second), WriteRule::KeepOrEncode);
    EXPECT_GT(kelpora::IBTransaction::changeCount(), before);
    q.close();
    q.open();
    EXPECT_NE(q.blobId(QStringLiteral("PHOTO1")), photo1);
    EXPECT_EQ(q.blobId(QStringLiteral("PHOTO2")), photo2);
    EXPECT_EQ(q.fieldBlob(QStringLiteral("PHOTO1")), second);
}

TEST_F(PictureColumns, TheCacheGivesWhatAFreshReadGivesAndForgetsEverythingAtAWrite)
{
    const QByteArray file = JpegCodec::encode(gradient(320, 200));
    store(QStringLiteral("PHOTO1"), Picture::fromJpeg(file), WriteRule::KeepOrEncode);
    SqlQuery damage(db.dm().IBDB2, db.dm().IBTr2);
    damage.addSql(QStringLiteral("update FISH_DATA set PHOTO2 = :parPHOTO2 where CODENO = 1"));
    damage.bindBlob(QStringLiteral("parPHOTO2"), file.left(40));
    ASSERT_TRUE(db.dm().guardedWrite(damage, QStringLiteral("登録に失敗しました")));
    SqlQuery& q = row();
    PictureCache cache;
    const auto good = PictureCache::keyOf(q, QStringLiteral("PHOTO1"), ReadRule::JpegOnly);
    const auto bad = PictureCache::keyOf(q, QStringLiteral("PHOTO2"), ReadRule::JpegOnly);
    ASSERT_TRUE(good && bad);
    EXPECT_FALSE(PictureCache::keyOf(q, QStringLiteral("PHOTO3"), ReadRule::JpegOnly).has_value());

    const PictureCache::Stored picture = cache.read(q, QStringLiteral("PHOTO1"), *good);
    EXPECT_EQ(picture.picture.jpegBytes(), file);
    EXPECT_EQ(cache.stored(*good), nullptr) << "a JPEG's megabytes are read again, not kept";
    EXPECT_EQ(cache.pictureSize(*good), QSize(320, 200));
    QString fresh;
    try {
        PictureStore::readPicture(q, QStringLiteral("PHOTO2"), ReadRule::JpegOnly);
    } catch (const PictureError& e) {
        fresh = e.text();
    }
    EXPECT_FALSE(fresh.isEmpty());
    EXPECT_EQ(cache.read(q, QStringLiteral("PHOTO2"), *bad).error, fresh);
    ASSERT_NE(cache.stored(*bad), nullptr);
    EXPECT_EQ(cache.stored(*bad)->error, fresh);
    EXPECT_EQ(cache.size(), 2);

    const QSize target(97, 61);
    const PictureDecoder::Result drawn = PictureDecoder::tryRender(picture.picture, target);
    cache.keepDrawing(*good, target, drawn, cache.readAt());
    ASSERT_TRUE(cache.drawing(*good, target).has_value());
    EXPECT_TRUE(cache.drawing(*good, target)->image == drawn.image);
    EXPECT_FALSE(cache.drawing(*good, QSize(96, 60)).has_value());

    const quint64 before = cache.readAt();
    store(QStringLiteral("CHIZU"), Picture::fromJpeg(file), WriteRule::KeepOrEncode); // any write at all
    EXPECT_FALSE(cache.drawing(*good, target).has_value());
    EXPECT_EQ(cache.stored(*good), nullptr);
    EXPECT_EQ(cache.size(), 0);
    cache.keep(*good, picture, before); // read before the write: refused
    EXPECT_EQ(cache.size(), 0);
}

TEST(PictureCacheBound, HoldsAtMostItsRecordsPicturesAndDropsTheLeastRecentlyUsed)
{
    PictureCache cache(2);
    ASSERT_EQ(cache.capacity(), 2 * PictureCache::PicturesPerRecord);
    const Picture picture = Picture::fromBitmap(gradient(8, 8));
    for (quint64 blob = 1; blob <= 12; ++blob)
        cache.keep({blob, ReadRule::JpegOnly}, {picture, QString()}, cache.readAt());
    EXPECT_NE(cache.stored({1, ReadRule::JpegOnly}), nullptr); // now the most recently used
    cache.keep({13, ReadRule::JpegOnly}, {picture, QString()}, cache.readAt());
    EXPECT_EQ(cache.size(), cache.capacity());
    EXPECT_FALSE(cache.contains({2, ReadRule::JpegOnly}));
    EXPECT_TRUE(cache.contains({1, ReadRule::JpegOnly}));
    EXPECT_FALSE(cache.contains({1, ReadRule::BitmapFirst})) << "read by another rule is another picture";

    for (int i = 0; i < 5; ++i)
        cache.keepDrawing({1, ReadRule::JpegOnly}, QSize(10 + i, 10), {}, cache.readAt());
    EXPECT_EQ(cache.drawingCount(), PictureCache::DrawingsPerPicture);
    cache.keepOnly({{1, ReadRule::JpegOnly}, {13, ReadRule::JpegOnly}});
    EXPECT_EQ(cache.size(), 2);
}
