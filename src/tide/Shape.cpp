#include "tide/Shape.h"

#include <QMouseEvent>
#include <QPainter>

namespace kelpora {

namespace {

Shape::Mouse mouseOf(const QMouseEvent& event)
{
    return Shape::Mouse{event.button(), event.buttons(), event.modifiers(), event.position().toPoint()};
}

} // namespace

Shape::Shape(QWidget* parent, const char* name, const Look& look) : QWidget(parent), m_look(look)
{
    setObjectName(QLatin1String(name));
    // Only the outline and the hatch are painted; everything between shows the picture.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
    // No moves without a button: a mark follows the mouse only while it is held on it.
    setMouseTracking(false);
}

void Shape::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_look.kind == Kind::Circle);

    // The outline lies inside the shape's rectangle, as a mark placed by its edges expects.
    const qreal half = m_look.outlineWidth / 2.0;
    const QRectF inside = QRectF(rect()).adjusted(half, half, -half, -half);

    switch (m_look.hatch) {
    case Hatch::None:
        painter.setBrush(Qt::NoBrush);
        break;
    case Hatch::Rising:
        painter.setBrush(QBrush(m_look.hatchColour, Qt::BDiagPattern));
        break;
    case Hatch::Falling:
        painter.setBrush(QBrush(m_look.hatchColour, Qt::FDiagPattern));
        break;
    }
    QPen pen(m_look.outline, m_look.outlineWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(m_look.outlineWidth > 0 ? pen : QPen(Qt::NoPen));
    if (m_look.kind == Kind::Circle)
        painter.drawEllipse(inside);
    else
        painter.drawRect(inside);
}

void Shape::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseDown(this, mouseOf(*event));
}

void Shape::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseMove(this, mouseOf(*event));
}

void Shape::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseUp(this, mouseOf(*event));
}

} // namespace kelpora
