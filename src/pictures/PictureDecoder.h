#pragma once

#include "pictures/Picture.h"

#include <QFuture>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

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

    struct Job {
        Picture picture;
        QSize target;
    };

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

    // Queues the job on `pool` (Qt's global pool when null) and returns at once. The
    // future never holds an exception. Pictures are shared, not copied, so this is cheap.
    static QFuture<Result> start(const Picture& picture, const QSize& target, QThreadPool* pool = nullptr);
    static QList<QFuture<Result>> startAll(const QList<Job>& jobs, QThreadPool* pool = nullptr);
    // Starts them all and waits for them all: one result per job, in order.
    static QList<Result> renderAll(const QList<Job>& jobs);
    // Waits for them all, the last first: the workers take jobs from the front of the
    // queue, so the waiting thread takes those none has started and decodes beside them
    // instead of idling.
    static void waitForAll(const QList<QFuture<Result>>& futures);
};

} // namespace kelpora
