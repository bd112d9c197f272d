#include "pictures/ImageArea.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace kelpora {

namespace {

QString unexpectedFailure()
{
    return QStringLiteral("画像を表示できませんでした。");
}

} // namespace

ImageArea::ImageArea(QWidget* parent) : QWidget(parent)
{
    // No background of our own: an empty area must not hide the caption behind it.
    setAutoFillBackground(false);
}

ImageArea::~ImageArea() = default;

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
        origin = QPoint((areaSize.width() - fitted.width()) / 2,
                        (areaSize.height() - fitted.height()) / 2);
    return QRect(origin, fitted);
}

QImage ImageArea::renderFor(const Picture& picture, const QSize& target)
{
    QImage image = target == picture.size() ? picture.pixels() : picture.scaledTo(target);
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        throw PictureError(QStringLiteral("画像を表示するためのメモリが足りません。"));
    return image;
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
    try {
        storeDisplay(renderFor(m_picture, target), QString(), target);
    } catch (const Error& e) {
        storeDisplay(QImage(), e.text(), target);
    } catch (const std::bad_alloc&) {
        storeDisplay(QImage(), QStringLiteral("画像を表示するためのメモリが足りません。"), target);
    } catch (...) {
        // Also called from paintEvent, which nothing may leave by an exception.
        storeDisplay(QImage(), unexpectedFailure(), target);
    }
    return m_error;
}

QStringList ImageArea::prepareAll(const QList<ImageArea*>& areas)
{
    // Widgets are only touched here, on the calling (GUI) thread; the workers see
    // nothing but their own copies of the pictures and the target sizes.
    struct Job {
        Picture picture;
        QSize target;
        QImage image;
        QString error;
        bool needed = false;
    };
    std::vector<Job> jobs(size_t(areas.size()));
    size_t neededCount = 0;
    for (qsizetype i = 0; i < areas.size(); ++i) {
        ImageArea* area = areas.at(i);
        if (!area)
            continue;
        const QSize target = area->currentTarget().size();
        if (area->m_picture.isNull() || target.isEmpty() || area->hasDisplayFor(target))
            continue;
        Job& job = jobs[size_t(i)];
        job.picture = area->m_picture;
        job.target = target;
        job.needed = true;
        ++neededCount;
    }

    std::atomic<size_t> next{0};
    auto work = [&jobs, &next] {
        for (;;) {
            const size_t i = next.fetch_add(1);
            if (i >= jobs.size())
                return;
            Job& job = jobs[i];
            if (!job.needed)
                continue;
            // Nothing may escape a thread function: it would end the program.
            try {
                job.image = renderFor(job.picture, job.target);
            } catch (const Error& e) {
                job.error = e.text();
            } catch (const std::bad_alloc&) {
                job.error = QStringLiteral("画像を表示するためのメモリが足りません。");
            } catch (...) {
                job.error = unexpectedFailure();
            }
        }
    };

    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t helpers = neededCount > 1 ? std::min(neededCount, cores) - 1 : 0;
    std::vector<std::thread> pool;
    try {
        for (size_t k = 0; k < helpers; ++k)
            pool.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads than hoped for; the calling thread does the rest.
    }
    work();
    for (std::thread& thread : pool)
        thread.join();

    QStringList errors;
    errors.reserve(areas.size());
    for (qsizetype i = 0; i < areas.size(); ++i) {
        ImageArea* area = areas.at(i);
        Job& job = jobs[size_t(i)];
        if (area && job.needed) {
            area->storeDisplay(job.image, job.error, job.target);
            area->update();
        }
        errors.append(area ? area->m_error : QString());
    }
    return errors;
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
