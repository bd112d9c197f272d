#include "pictures/ImageArea.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
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
        origin = QPoint((areaSize.width() - fitted.width()) / 2, (areaSize.height() - fitted.height()) / 2);
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

struct ImageArea::Batch::State {
    struct Job {
        ImageArea* area = nullptr;
        Picture picture;
        QSize target;
        QImage image;
        QString error;
        bool needed = false;
    };

    // Widgets are only touched on the calling (GUI) thread; workers see nothing but
    // their jobs' own copies of the pictures and target sizes.
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs; // a deque: jobs never move while workers hold them
    std::deque<size_t> queue;
    std::vector<std::thread> workers;
    bool closing = false;
    bool finished = false;

    static void run(Job& job) noexcept
    {
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

    // Takes the next queued job; nullptr once the queue is empty and nothing more comes.
    Job* next(bool wait)
    {
        std::unique_lock lock(mutex);
        if (wait)
            wake.wait(lock, [this] { return closing || !queue.empty(); });
        if (queue.empty())
            return nullptr;
        const size_t index = queue.front();
        queue.pop_front();
        return &jobs[index];
    }

    void work()
    {
        while (Job* job = next(true))
            run(*job);
    }
};

ImageArea::Batch::Batch() : d(std::make_unique<State>())
{ }

ImageArea::Batch::~Batch()
{
    if (!d->finished)
        finish();
}

void ImageArea::Batch::add(ImageArea* area)
{
    State::Job job;
    job.area = area;
    if (area) {
        job.target = area->currentTarget().size();
        job.needed = !area->m_picture.isNull() && !job.target.isEmpty() && !area->hasDisplayFor(job.target);
        if (job.needed)
            job.picture = area->m_picture;
    }
    const bool needed = job.needed;
    size_t pending = 0;
    {
        std::lock_guard lock(d->mutex);
        d->jobs.push_back(std::move(job));
        if (needed)
            d->queue.push_back(d->jobs.size() - 1);
        pending = d->queue.size();
    }
    if (!needed)
        return;
    d->wake.notify_one();
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    if (d->workers.size() < cores && pending > 0) {
        try {
            d->workers.emplace_back([state = d.get()] { state->work(); });
        } catch (const std::system_error&) {
            // Fewer threads than hoped for; finish() does the rest on this thread.
        }
    }
}

QStringList ImageArea::Batch::finish()
{
    {
        std::lock_guard lock(d->mutex);
        d->closing = true;
    }
    d->wake.notify_all();
    while (State::Job* job = d->next(false))
        State::run(*job);
    for (std::thread& thread : d->workers)
        thread.join();
    d->workers.clear();
    d->finished = true;

    QStringList errors;
    errors.reserve(qsizetype(d->jobs.size()));
    for (State::Job& job : d->jobs) {
        if (job.area && job.needed) {
            job.area->storeDisplay(job.image, job.error, job.target);
            job.area->update();
        }
        errors.append(job.area ? job.area->m_error : QString());
    }
    return errors;
}

QStringList ImageArea::prepareAll(const QList<ImageArea*>& areas)
{
    Batch batch;
    for (ImageArea* area : areas)
        batch.add(area);
    return batch.finish();
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
