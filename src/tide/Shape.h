#pragma once

#include <QColor>
#include <QPoint>
#include <QWidget>

namespace kelpora {

// A mark drawn over a picture: a rectangle with an outline and an optional hatch, or a
// circle. It paints only its outline and hatch, so the picture under it stays visible,
// and reports every mouse press, move and release with the exact buttons and modifiers.
// Moving and sizing it is its window's business.
class Shape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, Circle };
    enum class Hatch {
        None,
        Rising, // diagonal lines rising left to right
        Falling, // diagonal lines falling left to right
    };

    struct Look {
        Kind kind = Kind::Rectangle;
        QColor outline;
        int outlineWidth = 1;
        Hatch hatch = Hatch::None;
        QColor hatchColour;
    };

    // One mouse event as the window's handlers see it.
    struct Mouse {
        Qt::MouseButton button = Qt::NoButton; // the button pressed or released; none for a move
        Qt::MouseButtons buttons; // held after the event
        Qt::KeyboardModifiers modifiers;
        QPoint pos; // in the shape's own coordinates
    };

    Shape(QWidget* parent, const char* name, const Look& look);

    const Look& look() const noexcept { return m_look; }

signals:
    void mouseDown(kelpora::Shape* sender, const kelpora::Shape::Mouse& mouse);
    void mouseMove(kelpora::Shape* sender, const kelpora::Shape::Mouse& mouse);
    void mouseUp(kelpora::Shape* sender, const kelpora::Shape::Mouse& mouse);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Look m_look;
};

} // namespace kelpora
