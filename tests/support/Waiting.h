#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QThread>

namespace kelpora::testing {

// Lets the event loop run, as it does while the user looks at a window, until `done()`
// holds; false if it still does not after `timeoutMs`. The timeout only keeps a broken
// build from hanging the run; it is no measure of speed.
template <class F> bool waitUntil(F done, int timeoutMs = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return true;
}

// Until the window's pictures are on screen and anything they had to tell is told.
template <class W> bool picturesShown(const W& window)
{
    return waitUntil([&] { return !window.picturesPending(); });
}

} // namespace kelpora::testing
