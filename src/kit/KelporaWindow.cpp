#include "kit/KelporaWindow.h"

#include "kit/ErrorHandler.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace kelpora {

namespace {

Qt::WindowFlags flagsFor(const WindowTraits& traits)
{
    using T = WindowTraits::TitleButtons;
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (traits.titleButtons != T::None)
        flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
    if (traits.titleButtons == T::MinimiseClose)
        flags = (flags & ~Qt::Dialog) | Qt::Window | Qt::WindowMinimizeButtonHint;
    return flags;
}

} // namespace

KelporaWindow::KelporaWindow(QWidget* owner, const WindowTraits& traits) : QDialog(owner), m_traits(traits)
{
    setObjectName(QLatin1String(traits.name));
    setWindowTitle(traits.caption);
    setWindowFlags(flagsFor(traits));
    switch (traits.sizing) {
    case WindowTraits::Sizing::Fixed:
        setFixedSize(traits.clientSize);
        break;
    case WindowTraits::Sizing::FixedHeight:
        resize(traits.clientSize);
        setFixedHeight(traits.clientSize.height());
        break;
    case WindowTraits::Sizing::Resizable:
        resize(traits.clientSize);
        break;
    }
    if (traits.minimumSize.isValid())
        setMinimumSize(traits.minimumSize);
    setSizeGripEnabled(false);
}

KelporaWindow::~KelporaWindow() = default;

void KelporaWindow::closeWindow(int result)
{
    if (isModal() || parentWidget())
        done(result);
    else
        close();
}

void KelporaWindow::placeOnScreen()
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QRect around;
    if (m_traits.placement == WindowTraits::Placement::Owner && owner)
        around = owner->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        around = screen->availableGeometry();
    if (around.isValid())
        move(around.center() - QPoint(width() / 2, height() / 2));
}

void KelporaWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The window system's own show events (a restore after minimising) are not an
    // opening: running the show steps again would reload and drop the user's typing.
    if (event->spontaneous() || m_opened)
        return;
    m_opened = true;
    placeOnScreen();
    guarded([this] { FormShow(); });
}

void KelporaWindow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        m_opened = false;
}

void KelporaWindow::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous() && m_traits.titleButtons == WindowTraits::TitleButtons::None) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void KelporaWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_traits.escapeCloses)
            closeWindow(QDialog::Rejected);
        return;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        // Fields let Enter through to us; it means nothing here. A focused button
        // has taken its own Enter before it reaches the window.
        if (auto* b = qobject_cast<QAbstractButton*>(focusWidget()); b && b->isEnabled())
            b->click();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace kelpora
