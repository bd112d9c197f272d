#pragma once

#include "imaging/Picture.h"
#include "imaging/PictureStore.h"

#include <QFuture>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QThreadPool;

namespace kelpora {

// Makes what an image area paints, on Qt's thread pool. Nothing here touches a widget:
// a caller hands out a picture and the size to draw it at, and receives an image or
// the text of why there is none.
//
// Each job is a QFuture. Waiting on it (result(), waitForFinished()) runs the job on the
// waiting thread if no worker has taken it yet, so a caller that waits never waits for
// a busy pool; a QFutureWatcher delivers the result to the GUI thread instead.
class PictureDecoder {
public:
    PictureDecoder() = delete;

    // An image in the raster engine's own format (RGB32, so painting converts nothing),
    // or the error text and a null image. Both empty when there was nothing to draw.
    struct Result {
        QImage image;
        QString error;
    };

    // `picture` scaled to exactly `target` (the caller chooses the aspect). A JPEG is
    // decoded at the smallest scale that still covers the target. A null image for no
    // picture or an empty target. Runs on any thread; throws PictureError.
    static QImage render(const Picture& picture, const QSize& target);
    // The same, with every failure turned into its text.
    static Result tryRender(const Picture& picture, const QSize& target) noexcept;

    // What is on screen now goes before what is only made ready in case it is wanted next.
    enum class Priority { Ahead = 0, Shown = 1 };

    // Queues the job on `pool` (Qt's global pool when null) and returns at once. The
    // future never holds an exception. Pictures are shared, not copied, so this is cheap.
    // A job cancelled before a worker takes it is never run.
    static QFuture<Result> start(
        const Picture& picture, const QSize& target, QThreadPool* pool = nullptr, Priority priority = Priority::Shown);

    // A stored picture made ready before it is shown: its bytes made into a picture by
    // `rule` (a BMP file is decoded here too), and that drawn at the size `targetFor`
    // gives for the picture's own size. When the bytes are no picture, only readError is
    // set: the text PictureStore::fromBytes would have thrown.
    struct Prepared {
        Picture picture;
        QString readError;
        QSize target;
        Result result;
    };
    static Prepared tryPrepare(const QByteArray& bytes, ReadRule rule, const std::function<QSize(QSize)>& targetFor);
    static QFuture<Prepared> prepare(const QByteArray& bytes, ReadRule rule, std::function<QSize(QSize)> targetFor,
        Priority priority = Priority::Ahead, QThreadPool* pool = nullptr);
    // The same for a picture already read: only the drawing is made.
    static QFuture<Prepared> prepare(
        const Picture& picture, const QSize& target, Priority priority = Priority::Ahead, QThreadPool* pool = nullptr);
};

} // namespace kelpora
