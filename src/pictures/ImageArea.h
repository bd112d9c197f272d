#pragma once

#include "pictures/Picture.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace kelpora {

// A control that shows one picture in one of four ways. It owns a copy of its picture
// (a cheap one: pictures share their bytes). Decoding waits until the picture is first
// drawn, or until prepare()/prepareAll() is asked for it, and only decodes as much as the
// area shows. With no picture, or when its picture failed to decode, it paints nothing
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

    // Builds what paintEvent draws, now. Returns the decode error text, empty when fine.
    // After a failure the area shows nothing until it gets another picture.
    QString prepare();
    // The same for several areas at once, decoding on Qt's thread pool (PictureDecoder);
    // returns when all are done. One entry per area, in order: empty, or that area's
    // error text.
    static QStringList prepareAll(const QList<ImageArea*>& areas);

    // The same, fed one area at a time: each area's picture goes to the pool the moment
    // it is added, so the caller can read the next picture from the database meanwhile.
    // The areas themselves are only touched on the calling thread.
    class Batch {
    public:
        Batch();
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

        void add(ImageArea* area);
        // Waits for every decode (running those no worker has started yet on this
        // thread) and hands the results to the areas; one entry per added area, in
        // order: empty, or that area's error text. A batch destroyed unfinished finishes.
        QStringList finish();

    private:
        struct State;
        std::unique_ptr<State> d;
    };

    // The error of the last decode attempt, empty when none failed.
    QString decodeError() const;

    QSize sizeHint() const override;

signals:
    void clicked();
    void doubleClicked();
    // A decode that happened while painting failed. Delivered later, from the event loop,
    // so a handler may open a message box without painting from inside a paint.
    void decodeFailed(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QRect currentTarget() const;
    bool hasDisplayFor(const QSize& target) const;
    void storeDisplay(const QImage& image, const QString& error, const QSize& target);
    void invalidate();
    void fitToPicture();

    Picture m_picture;
    DisplayMode m_mode = DisplayMode::Proportional;

    // A QImage, not a QPixmap, so pool threads can make it; already in the raster
    // engine's own format, so painting it needs no conversion.
    QImage m_display;
    QSize m_displaySize; // the target size m_display (or the failure) belongs to
    QString m_error;
    bool m_prepared = false; // m_display or m_error is valid for m_displaySize
    bool m_pressed = false;
};

} // namespace kelpora
