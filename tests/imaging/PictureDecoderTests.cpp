#include "support/TestImages.h"

#include "imaging/JpegCodec.h"
#include "imaging/PictureDecoder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <thread>

using namespace kelpora;
using namespace kelpora::testing;
using Result = PictureDecoder::Result;

namespace {

// What the decoder must give, made straight from the codec and Qt.
QImage directly(const QByteArray& jpeg, const QSize& target)
{
    const QImage full = JpegCodec::decode(jpeg);
    const QImage decoded = full.size() == target ? full : JpegCodec::decodeCovering(jpeg, target);
    const QImage sized
        = decoded.size() == target ? decoded : decoded.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return sized.convertToFormat(QImage::Format_RGB32);
}

QString failureText(const QByteArray& jpeg)
{
    try {
        JpegCodec::decode(jpeg);
    } catch (const Error& e) {
        return e.text();
    }
    return QString();
}

TEST(PictureDecoder, ResultsEqualADirectDecode)
{
    const QByteArray jpeg = JpegCodec::encode(texture(QSize(640, 480)));
    for (const QSize target : {QSize(97, 72), QSize(333, 250), QSize(640, 480), QSize(50, 200)}) {
        SCOPED_TRACE(::testing::Message() << target.width() << 'x' << target.height());
        const Result result = PictureDecoder::start(Picture::fromJpeg(jpeg), target).result();
        EXPECT_TRUE(result.error.isEmpty());
        EXPECT_EQ(result.image.format(), QImage::Format_RGB32);
        EXPECT_TRUE(result.image == directly(jpeg, target));
    }
    const QImage bitmap = quadrants(QSize(300, 200));
    const Result scaled = PictureDecoder::start(Picture::fromBitmap(bitmap), QSize(150, 100)).result();
    EXPECT_TRUE(scaled.image
        == bitmap.scaled(150, 100, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
               .convertToFormat(QImage::Format_RGB32));
}

TEST(PictureDecoder, ErrorsComeBackAsText)
{
    const QByteArray whole = JpegCodec::encode(texture(QSize(200, 160)));
    const QByteArray cut = whole.left(whole.size() / 2);
    const QByteArray huge
        = withProgressiveSize(jpegOfKind(texture(QSize(64, 48)), {.progressive = true}), 14142, 14142);
    QByteArray hugeStillReadable = huge; // as if stored before the header check refused it
    const Picture broken = Picture::fromJpeg(cut);

    const Result damaged = PictureDecoder::start(broken, QSize(97, 77)).result();
    EXPECT_TRUE(damaged.image.isNull());
    EXPECT_EQ(damaged.error, failureText(cut));
    EXPECT_FALSE(damaged.error.isEmpty());

    const Result nothing = PictureDecoder::start(Picture(), QSize(97, 81)).result();
    EXPECT_TRUE(nothing.image.isNull());
    EXPECT_TRUE(nothing.error.isEmpty()) << "no picture is nothing to draw, not a failure";
    EXPECT_TRUE(PictureDecoder::tryRender(broken, QSize()).error.isEmpty());
    EXPECT_THROW(PictureDecoder::render(broken, QSize(20, 16)), PictureError);
}

TEST(PictureDecoder, ManyJobsAtOnceEachGetTheirOwnResult)
{
    QList<QByteArray> files;
    for (int i = 0; i < 6; ++i)
        files << JpegCodec::encode(texture(QSize(160 + 32 * i, 120 + 8 * i)));
    const QByteArray cut = files[0].left(files[0].size() / 2);
    struct Job {
        Picture picture;
        QSize target;
    };
    QList<Job> jobs;
    QList<QFuture<Result>> futures;
    for (int i = 0; i < 48; ++i) {
        // Copies of one picture share its body, and its cached pixels, across threads.
        const QByteArray& bytes = i % 7 == 6 ? cut : files[i % 6];
        jobs.append({Picture::fromJpeg(bytes), QSize(40 + i, 30 + i)});
        futures.append(PictureDecoder::start(jobs.back().picture, jobs.back().target));
    }

    QList<Result> results;
    for (const QFuture<Result>& future : futures)
        results.append(future.result());
    ASSERT_EQ(results.size(), jobs.size());
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        SCOPED_TRACE(i);
        if (i % 7 == 6) {
            EXPECT_EQ(results[i].error, failureText(cut));
            continue;
        }
        EXPECT_TRUE(results[i].error.isEmpty());
        EXPECT_TRUE(results[i].image == directly(jobs[i].picture.jpegBytes(), jobs[i].target));
    }
}

TEST(PictureDecoder, ResultsReachTheGuiThreadThroughAWatcher)
{
    QFutureWatcher<Result> watcher;
    QThread* deliveredOn = nullptr;
    Result delivered;
    QObject::connect(&watcher, &QFutureWatcher<Result>::finished, [&] {
        deliveredOn = QThread::currentThread();
        delivered = watcher.result();
    });
    QSignalSpy finished(&watcher, &QFutureWatcher<Result>::finished);
    watcher.setFuture(PictureDecoder::start(Picture::fromJpeg(jpegFile(QSize(800, 600))), QSize(97, 72)));

    ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
    EXPECT_EQ(deliveredOn, QCoreApplication::instance()->thread());
    EXPECT_EQ(delivered.image.size(), QSize(97, 72));
    EXPECT_TRUE(near(delivered.image.pixel(5, 5), Qt::red));
}

TEST(PictureDecoder, WaitingRunsAJobNoWorkerHasTakenOnTheWaitingThread)
{
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    QSemaphore release;
    QFuture<void> blocker = QtConcurrent::run(&pool, [&release] { release.acquire(); });
    // Should the job wait for the busy worker after all, this ends the wait, and the
    // check below reports it rather than the test hanging.
    std::thread rescue([&release, &blocker] {
        for (int i = 0; i < 100 && !blocker.isFinished(); ++i)
            QThread::msleep(100);
        release.release();
    });

    const Result result
        = PictureDecoder::start(Picture::fromJpeg(jpegFile(QSize(200, 160))), QSize(50, 40), &pool).result();
    EXPECT_FALSE(blocker.isFinished()) << "the only worker is still busy";
    EXPECT_EQ(result.image.size(), QSize(50, 40));
    release.release();
    blocker.waitForFinished();
    rescue.join();
}

} // namespace
