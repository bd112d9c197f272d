#include "kit/ImageArea.h"

#include "imaging/PictureDecoder.h"

#include <QFuture>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include <utility>

namespace kelpora {

ImageArea::ImageArea(QWidget* parent) : QWidget(parent)
{
    // No background of our own: an empty area must not hide the caption behind it.
    setAutoFillBackground(false);
}

ImageArea::~ImageArea()
{
    dropJob();
}

void ImageArea::setPicture(const Picture& picture)
{
    m_picture = picture;
    invalidate();
    fitToPicture();
    update();
}

const Picture& ImageArea::picture() const noexcept
{
    return m_picture;
}

void ImageArea::clear()
{
    setPicture(Picture());
}

ImageArea::DisplayMode ImageArea::displayMode() const noexcept
{
    return m_mode;
}

void ImageArea::setDisplayMode(DisplayMode mode)
{
    m_mode = mode;
    fitToPicture();
    redrawForNewSize();
    update();
}

QRect ImageArea::targetRect(const QSize& pictureSize, const QSize& areaSize, DisplayMode mode)
{
    if (pictureSize.isEmpty())
        return QRect();

    switch (mode) {
    case DisplayMode::Natural:
    case DisplayMode::AutoSize:
        return QRect(QPoint(0, 0), pictureSize);
    case DisplayMode::Proportional:
    case DisplayMode::ProportionalCentred:
        break;
    }

    QSize fitted = pictureSize;
    if (pictureSize.width() > areaSize.width() || pictureSize.height() > areaSize.height()) {
        if (areaSize.isEmpty())
            return QRect();
        // A very thin picture would round to zero on its short side and vanish.
        fitted = pictureSize.scaled(areaSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    }
    QPoint origin(0, 0);
    if (mode == DisplayMode::ProportionalCentred)
        origin = QPoint((areaSize.width() - fitted.width()) / 2, (areaSize.height() - fitted.height()) / 2);
    return QRect(origin, fitted);
}

QRect ImageArea::currentTarget() const
{
    return targetRect(m_picture.size(), size(), m_mode);
}

bool ImageArea::hasDisplayFor(const QSize& target) const
{
    return m_prepared && m_displaySize == target;
}

void ImageArea::storeDisplay(const QImage& image, const QString& error, const QSize& target)
{
    m_display = image;
    m_error = error;
    m_displaySize = target;
    m_prepared = true;
}

void ImageArea::invalidate()
{
    dropJob();
    m_display = QImage();
    m_error.clear();
    m_displaySize = QSize();
    m_prepared = false;
}

void ImageArea::fitToPicture()
{
    if (m_mode == DisplayMode::AutoSize && !m_picture.isNull()) {
        resize(m_picture.size());
        updateGeometry();
    }
}

QString ImageArea::prepare()
{
    const QSize target = currentTarget().size();
    if (m_picture.isNull() || target.isEmpty() || hasDisplayFor(target))
        return m_error;
    const PictureDecoder::Result result = PictureDecoder::tryRender(m_picture, target);
    storeDisplay(result.image, result.error, target);
    return m_error;
}

void ImageArea::setDecoding(Decoding decoding)
{
    m_decoding = decoding;
}

QSize ImageArea::drawnSize() const
{
    if (m_picture.isNull())
        return QSize();
    return currentTarget().size();
}

QImage ImageArea::drawnImage() const
{
    return hasDisplayFor(drawnSize()) ? m_display : QImage();
}

bool ImageArea::decodePending() const noexcept
{
    return m_job != nullptr;
}

void ImageArea::decodeInBackground()
{
    const QSize target = drawnSize();
    if (m_job && m_jobTarget == target)
        return;
    const bool wasPending = m_job != nullptr;
    dropJob();
    if (target.isEmpty() || hasDisplayFor(target)) {
        // What was on its way (for another size) is no longer needed: that ends it too.
        if (wasPending)
            emit displayed(m_error);
        return;
    }
    auto* job = new QFutureWatcher<PictureDecoder::Result>(this);
    connect(job, &QFutureWatcherBase::finished, this, [this, job] { jobFinished(job); });
    m_job = job;
    m_jobTarget = target;
    job->setFuture(PictureDecoder::start(m_picture, target));
}

void ImageArea::jobFinished(QFutureWatcher<PictureDecoder::Result>* job)
{
    if (job != m_job)
        return;
    if (m_jobTarget != drawnSize()) {
        decodeInBackground(); // resized meanwhile: start on the new size
        return;
    }
    m_job = nullptr;
    job->deleteLater();
    const QFuture<PictureDecoder::Result> future = job->future();
    // A job ends without a result only when cancelled, and only dropped jobs are.
    const PictureDecoder::Result result = future.resultCount() > 0
        ? future.result()
        : PictureDecoder::Result{QImage(), QStringLiteral("画像を表示できませんでした。")};
    storeDisplay(result.image, result.error, m_jobTarget);
    update();
    emit displayed(result.error);
}

// Nothing that comes back for an earlier picture or size may be shown; a job no worker
// has started yet is never run.
void ImageArea::dropJob()
{
    if (!m_job)
        return;
    QFutureWatcher<PictureDecoder::Result>* job = m_job;
    m_job = nullptr;
    job->disconnect(this);
    job->cancel();
    job->deleteLater();
}

bool ImageArea::adoptDisplay(const QSize& target, const QImage& image, const QString& error)
{
    if (target.isEmpty() || target != drawnSize())
        return false;
    dropJob();
    storeDisplay(image, error, target);
    update();
    return true;
}

QString ImageArea::decodeError() const
{
    return m_error;
}

QSize ImageArea::sizeHint() const
{
    if (m_mode == DisplayMode::AutoSize && !m_picture.isNull())
        return m_picture.size();
    return QWidget::sizeHint();
}

void ImageArea::paintEvent(QPaintEvent*)
{
    const QRect target = currentTarget();
    if (m_picture.isNull() || target.isEmpty())
        return;
    if (!hasDisplayFor(target.size())) {
        if (m_decoding == Decoding::InBackground) {
            decodeInBackground();
            return;
        }
        const QString error = prepare();
        // Never throw out of a paint event; hand the failure to whoever listens, once,
        // after this paint is over.
        if (!error.isEmpty()) {
            QMetaObject::invokeMethod(
                this, [this, error] { emit decodeFailed(error); }, Qt::QueuedConnection);
        }
    }
    if (m_display.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(target.topLeft(), m_display);
}

void ImageArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    redrawForNewSize();
}

// A new size needs new pixels (pixels on their way for the old one are of no use); they
// are started at once rather than at the next paint, so whoever waits for them waits no
// longer than needed.
void ImageArea::redrawForNewSize()
{
    if (m_decoding == Decoding::InBackground || (m_job && m_jobTarget != drawnSize()))
        decodeInBackground();
}

void ImageArea::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    event->accept();
}

void ImageArea::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    event->accept();
    if (event->button() == Qt::LeftButton && wasPressed && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ImageArea::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

} // namespace kelpora
