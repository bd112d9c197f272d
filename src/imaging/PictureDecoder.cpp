#include "imaging/PictureDecoder.h"

#include <QThreadPool>
#include <QtConcurrent/qtconcurrenttask.h>

#include <new>

namespace kelpora {

namespace {

QString outOfMemory()
{
    return QStringLiteral("画像を表示するためのメモリが足りません。");
}

QString unknownFailure()
{
    return QStringLiteral("画像を表示できませんでした。");
}

QThreadPool& poolOr(QThreadPool* pool)
{
    return pool ? *pool : *QThreadPool::globalInstance();
}

} // namespace

QImage PictureDecoder::render(const Picture& picture, const QSize& target)
{
    if (picture.isNull() || target.isEmpty())
        return QImage();
    QImage image = target == picture.size() ? picture.pixels() : picture.scaledTo(target);
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        throw PictureError(outOfMemory());
    return image;
}

PictureDecoder::Result PictureDecoder::tryRender(const Picture& picture, const QSize& target) noexcept
{
    // Nothing may leave a pool job or a paint event by an exception.
    Result result;
    try {
        result.image = render(picture, target);
    } catch (const Error& e) {
        result.error = e.text();
    } catch (const std::bad_alloc&) {
        result.error = outOfMemory();
    } catch (...) {
        result.error = unknownFailure();
    }
    return result;
}

QFuture<PictureDecoder::Result> PictureDecoder::start(
    const Picture& picture, const QSize& target, QThreadPool* pool, Priority priority)
{
    // The job holds its own copies of the picture and the size.
    return QtConcurrent::task(&PictureDecoder::tryRender)
        .withArguments(picture, target)
        .withPriority(int(priority))
        .onThreadPool(poolOr(pool))
        .spawn();
}

PictureDecoder::Prepared PictureDecoder::tryPrepare(
    const QByteArray& bytes, ReadRule rule, const std::function<QSize(QSize)>& targetFor)
{
    Prepared prepared;
    try {
        prepared.picture = PictureStore::fromBytes(bytes, rule);
    } catch (const Error& e) {
        prepared.readError = e.text();
        return prepared;
    } catch (const std::bad_alloc&) {
        prepared.readError = outOfMemory();
        return prepared;
    } catch (...) {
        prepared.readError = unknownFailure();
        return prepared;
    }
    prepared.target = targetFor(prepared.picture.size());
    prepared.result = tryRender(prepared.picture, prepared.target);
    return prepared;
}

QFuture<PictureDecoder::Prepared> PictureDecoder::prepare(
    const QByteArray& bytes, ReadRule rule, std::function<QSize(QSize)> targetFor, Priority priority, QThreadPool* pool)
{
    return QtConcurrent::task(
        [bytes, rule, targetFor = std::move(targetFor)] { return tryPrepare(bytes, rule, targetFor); })
        .withPriority(int(priority))
        .onThreadPool(poolOr(pool))
        .spawn();
}

QFuture<PictureDecoder::Prepared> PictureDecoder::prepare(
    const Picture& picture, const QSize& target, Priority priority, QThreadPool* pool)
{
    return QtConcurrent::task([picture, target] {
        Prepared prepared;
        prepared.picture = picture;
        prepared.target = target;
        prepared.result = tryRender(picture, target);
        return prepared;
    })
        .withPriority(int(priority))
        .onThreadPool(poolOr(pool))
        .spawn();
}

} // namespace kelpora
