#include "pictures/ImageArea.h"

#include "pictures/PictureDecoder.h"

#include <QFuture>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace kelpora {

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
    const PictureDecoder::Result result = PictureDecoder::tryRender(m_picture, target);
    storeDisplay(result.image, result.error, target);
    return m_error;
}

struct ImageArea::Batch::State {
    struct Entry {
        ImageArea* area = nullptr;
        QSize target;
        QFuture<PictureDecoder::Result> decoding; // not valid when the area needs none
    };
    QList<Entry> entries;
    bool finished = false;
};

ImageArea::Batch::Batch() : d(std::make_unique<State>())
{ }

ImageArea::Batch::~Batch()
{
    if (d->finished)
        return;
    try {
        finish();
    } catch (...) {
        // The areas decode when they are painted instead.
    }
}

void ImageArea::Batch::add(ImageArea* area)
{
    State::Entry entry;
    entry.area = area;
    if (area) {
        entry.target = area->currentTarget().size();
        if (!area->m_picture.isNull() && !entry.target.isEmpty() && !area->hasDisplayFor(entry.target))
            entry.decoding = PictureDecoder::start(area->m_picture, entry.target);
    }
    d->entries.append(entry);
}

QStringList ImageArea::Batch::finish()
{
    d->finished = true;
    QList<QFuture<PictureDecoder::Result>> decodings;
    for (const State::Entry& entry : std::as_const(d->entries))
        decodings.append(entry.decoding);
    PictureDecoder::waitForAll(decodings);

    QStringList errors;
    errors.reserve(d->entries.size());
    for (State::Entry& entry : d->entries) {
        if (entry.area && entry.decoding.isValid()) {
            const PictureDecoder::Result result = entry.decoding.result();
            entry.area->storeDisplay(result.image, result.error, entry.target);
            entry.area->update();
        }
        errors.append(entry.area ? entry.area->m_error : QString());
    }
    d->entries.clear();
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
