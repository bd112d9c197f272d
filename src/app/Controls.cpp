#include "app/Controls.h"

#include "app/InputMethodSwitch.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kelpora::kit {

namespace {

template <class W> W* named(W* widget, const char* name, QRect rect)
{
    if (name)
        widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect);
    return widget;
}

Qt::FocusPolicy policyOf(Focus focus)
{
    switch (focus) {
    case Focus::Tab:
        return Qt::StrongFocus;
    case Focus::Click:
        return Qt::ClickFocus;
    case Focus::None:
        break;
    }
    return Qt::NoFocus;
}

} // namespace

void setFont(QWidget* widget, const Font& font)
{
    if (font.pixelSize > 0 || font.bold) {
        QFont f = widget->font();
        if (font.pixelSize > 0)
            f.setPixelSize(font.pixelSize);
        f.setBold(font.bold);
        widget->setFont(f);
    }
    if (font.colour.isValid()) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, font.colour);
        palette.setColor(QPalette::ButtonText, font.colour);
        palette.setColor(QPalette::Text, font.colour);
        widget->setPalette(palette);
    }
}

void setInputMethod(QWidget* widget, InputMethod input)
{
    const bool closed = input == InputMethod::Off;
    widget->setAttribute(Qt::WA_InputMethodEnabled, !closed);
    widget->setInputMethodHints(closed ? Qt::ImhPreferNumbers | Qt::ImhLatinOnly : Qt::ImhNone);
    InputMethodSwitch::instance().follow(widget, input);
}

QLabel* caption(QWidget* parent, const QString& text, QRect rect, Qt::Alignment align)
{
    return label(parent, nullptr, text, rect, {}, align);
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect rect, const Font& font, Qt::Alignment align)
{
    auto* l = named(new QLabel(text, parent), name, rect);
    l->setAlignment(align);
    setFont(l, font);
    return l;
}

QLineEdit* editField(QWidget* parent, const char* name, QRect rect, InputMethod input, Focus focus)
{
    auto* edit = named(new QLineEdit(parent), name, rect);
    edit->setFocusPolicy(policyOf(focus));
    setInputMethod(edit, input);
    return edit;
}

QPlainTextEdit* memo(QWidget* parent, const char* name, QRect rect, InputMethod input, Focus focus)
{
    auto* m = named(new QPlainTextEdit(parent), name, rect);
    m->setFocusPolicy(policyOf(focus));
    // Tab moves on to the next control, as in every other field; Enter is a line break.
    m->setTabChangesFocus(true);
    setInputMethod(m, input);
    return m;
}

QComboBox* comboBox(QWidget* parent, const char* name, QRect rect, Focus focus)
{
    auto* box = named(new QComboBox(parent), name, rect);
    box->setFocusPolicy(policyOf(focus));
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, QRect rect, Focus focus)
{
    auto* b = named(new QPushButton(text, parent), name, rect);
    b->setFocusPolicy(policyOf(focus));
    // A dialog presses its default button on Enter wherever the focus is; no KELPORA
    // window has one, so a focused button is pressed by Enter or Space and nothing else.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

ImageArea* imageArea(QWidget* parent, const char* name, QRect rect, ImageArea::DisplayMode mode)
{
    auto* area = named(new ImageArea(parent), name, rect);
    area->setDisplayMode(mode);
    return area;
}

QFrame* picturePanel(QWidget* parent, const QString& title, const QString& hint, QRect rect)
{
    auto* p = new QFrame(parent);
    p->setGeometry(rect);
    p->setFrameShape(QFrame::Panel);
    p->setFrameShadow(QFrame::Sunken);
    caption(p, title, {0, rect.height() / 2 - 20, rect.width(), 20}, Qt::AlignCenter);
    QLabel* h = caption(p, hint, {0, rect.height() / 2 + 4, rect.width(), 18}, Qt::AlignCenter);
    setFont(h, {0, false, QColor(0x60, 0x60, 0x60)});
    return p;
}

QFrame* panel(QWidget* parent, const char* name, QRect rect)
{
    auto* p = named(new QFrame(parent), name, rect);
    p->setFrameShape(QFrame::StyledPanel);
    return p;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& heading, QRect rect)
{
    return named(new QGroupBox(heading, parent), name, rect);
}

} // namespace kelpora::kit
