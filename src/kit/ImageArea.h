#pragma once

#include "imaging/Picture.h"
#include "imaging/PictureDecoder.h"

#include <QFutureWatcher>
#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QWidget>

namespace kelpora {

// A control that shows one picture in one of four ways. It owns a copy of its picture
// (a cheap one: pictures share their bytes). Decoding waits until the picture is first
// drawn, or until prepare() or decodeInBackground() asks for it, and only decodes as much
// as the area shows. With no picture, or when its picture failed to decode, it paints nothing
// at all, so captions placed behind it show through.
class ImageArea : public QWidget {
    Q_OBJECT
public:
    enum class DisplayMode {
        Natural, // own pixel size from the top-left, cut off by the area
        Proportional, // shrunk to fit keeping its aspect, never enlarged; top-left
        ProportionalCentred, // as Proportional, in the middle of the area
        AutoSize, // the area takes the picture's size
    };

    explicit ImageArea(QWidget* parent = nullptr);
    ~ImageArea() override;

    void setPicture(const Picture& picture);
    const Picture& picture() const noexcept;
    void clear();

    DisplayMode displayMode() const noexcept;
    void setDisplayMode(DisplayMode mode);

    // Where a picture of `pictureSize` is drawn inside an area of `areaSize`, in area
    // coordinates. Empty when there is nothing to draw.
    static QRect targetRect(const QSize& pictureSize, const QSize& areaSize, DisplayMode mode);

    // How the pixels for the screen are made when the area has none for its present size.
    enum class Decoding {
        WhenPainted, // by the paint itself, on this thread
        InBackground, // on Qt's thread pool; the area paints nothing until they arrive
    };
    void setDecoding(Decoding decoding);

    // Builds what paintEvent draws, now. Returns the decode error text, empty when fine.
    // After a failure the area shows nothing until it gets another picture.
    QString prepare();

    // Starts making the pixels for the present picture and size on Qt's thread pool,
    // unless they are there or already on their way. When they arrive the area repaints
    // and emits displayed(). Whatever is still on its way when the picture changes is
    // dropped, and a change of size starts anew, so an area never shows pixels made for
    // another picture.
    void decodeInBackground();
    bool decodePending() const noexcept;

    // The size the present picture is drawn at; empty when nothing is drawn.
    QSize drawnSize() const;
    // The pixels drawn now; null while they are on their way or when they failed.
    QImage drawnImage() const;
    // Takes pixels made elsewhere (a cache's copy of PictureDecoder::tryRender for the
    // present picture) instead of decoding. Ignored, returning false, unless `target` is
    // the size the picture is drawn at now.
    bool adoptDisplay(const QSize& target, const QImage& image, const QString& error);

    // The error of the last decode attempt, empty when none failed.
    QString decodeError() const;

    QSize sizeHint() const override;

signals:
    void clicked();
    void doubleClicked();
    // A background decode of the present picture finished; `error` is empty when the
    // pixels are there.
    void displayed(const QString& error);
    // A decode that happened while painting failed. Delivered later, from the event loop,
    // so a handler may open a message box without painting from inside a paint.
    void decodeFailed(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect currentTarget() const;
    bool hasDisplayFor(const QSize& target) const;
    void storeDisplay(const QImage& image, const QString& error, const QSize& target);
    void invalidate();
    void fitToPicture();
    void redrawForNewSize();
    void dropJob();
    void jobFinished(QFutureWatcher<PictureDecoder::Result>* job);

    Picture m_picture;
    DisplayMode m_mode = DisplayMode::Proportional;

    // A QImage, not a QPixmap, so pool threads can make it; already in the raster
    // engine's own format, so painting it needs no conversion.
    QImage m_display;
    QSize m_displaySize; // the target size m_display (or the failure) belongs to
    QString m_error;
    bool m_prepared = false; // m_display or m_error is valid for m_displaySize
    bool m_pressed = false;

    Decoding m_decoding = Decoding::WhenPainted;
    QFutureWatcher<PictureDecoder::Result>* m_job = nullptr; // the background decode on its way
    QSize m_jobTarget;
};

} // namespace kelpora
