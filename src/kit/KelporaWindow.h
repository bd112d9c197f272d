#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

namespace kelpora {

// What sets one window apart from the next; everything else is the same for all.
struct WindowTraits {
    enum class Placement { Screen, Owner };
    enum class Sizing { Fixed, FixedHeight, Resizable };
    enum class TitleButtons {
        None, // closed by its own buttons only
        Close, // may also be closed from its title bar
        MinimiseClose, // the main window
    };

    const char* name; // the window reference's name, also the object name
    QString caption;
    QSize clientSize;
    Placement placement = Placement::Screen;
    Sizing sizing = Sizing::Fixed;
    TitleButtons titleButtons = TitleButtons::None;
    QSize minimumSize{}; // outer size; for windows that may grow
    bool escapeCloses = false;
};

// The base of every KELPORA window. It gives each window the same habits:
// - no default button: Enter in a field presses nothing, Enter on a focused button
//   presses that button;
// - Escape does nothing unless the window gives it a meaning;
// - a window without title-bar buttons cannot be closed by the window manager either;
// - FormShow runs once per opening, under the default error handler, also when the
//   window is minimised and restored in between.
class KelporaWindow : public QDialog {
    Q_OBJECT
public:
    KelporaWindow(QWidget* owner, const WindowTraits& traits);
    ~KelporaWindow() override;

    const WindowTraits& traits() const { return m_traits; }

    // Closes the window however it was opened; the one way code closes a window.
    void closeWindow(int result = QDialog::Accepted);

protected:
    // The window's own show steps.
    virtual void FormShow() { }

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void placeOnScreen();

    WindowTraits m_traits;
    bool m_opened = false;
};

} // namespace kelpora
