#pragma once

#include "pictures/ImageArea.h"

#include <QColor>
#include <QRect>
#include <QString>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The control factories every window is built with: each control gets its object name
// (the name other windows and the tests find it by), its rectangle and KELPORA's house
// habits in one place.
namespace kelpora::kit {

// Whether the Japanese input method is switched on while the control has the focus.
// Names and places want it; dates, times and numbers must not get it; a field that
// keeps it leaves it as the last field had it.
enum class InputMethod { On, Off, Keep };

// How the keyboard reaches a control.
enum class Focus {
    Tab, // Tab and a click
    Click, // a click only
    None, // never: navigation buttons that must not steal the focus from a field
};

struct Font {
    int pixelSize = 0; // 0: the window's font size
    bool bold = false;
    QColor colour; // invalid: the palette's text colour
};

// A label with no object name of its own, or with one when a window refers to it.
QLabel* caption(
    QWidget* parent, const QString& text, QRect rect, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
QLabel* label(QWidget* parent, const char* name, const QString& text, QRect rect, const Font& font = {},
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);

QLineEdit* editField(QWidget* parent, const char* name, QRect rect, InputMethod input, Focus focus = Focus::Tab);
QPlainTextEdit* memo(QWidget* parent, const char* name, QRect rect, InputMethod input, Focus focus = Focus::Tab);
QComboBox* comboBox(QWidget* parent, const char* name, QRect rect, Focus focus = Focus::Tab);

// Never a dialog's default button: Enter in a field must not press anything.
QPushButton* button(QWidget* parent, const char* name, const QString& text, QRect rect, Focus focus = Focus::Tab);

ImageArea* imageArea(QWidget* parent, const char* name, QRect rect, ImageArea::DisplayMode mode);

// A sunken panel whose caption and hint stay readable while the picture area placed
// over it is empty.
QFrame* picturePanel(QWidget* parent, const QString& title, const QString& hint, QRect rect);
QFrame* panel(QWidget* parent, const char* name, QRect rect);
QGroupBox* group(QWidget* parent, const char* name, const QString& heading, QRect rect);

void setFont(QWidget* widget, const Font& font);
void setInputMethod(QWidget* widget, InputMethod input);

} // namespace kelpora::kit
