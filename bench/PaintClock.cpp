#include "PaintClock.h"

#include "browser/Fishdata_F.h"
#include "kit/ImageArea.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>

namespace kelpora::bench {

PaintClock::PaintClock(TFishdataF& window)
    : QObject(&window), m_window(window), m_areas{window.Image_Shio, window.Image_Map, window.Image_A, window.Image_B,
                                              window.Image_C, window.Image_D}
{
    window.Edit_No->installEventFilter(this);
    for (ImageArea* area : m_areas)
        area->installEventFilter(this);
    start();
}

void PaintClock::start()
{
    m_fields = -1;
    m_areaPainted.assign(m_areas.size(), -1);
    m_clock.start();
}

double PaintClock::elapsedMs() const
{
    return double(m_clock.nsecsElapsed()) / 1e6;
}

double PaintClock::fieldsMs() const
{
    return m_fields;
}

double PaintClock::picturesMs() const
{
    if (!allPainted())
        return -1;
    return *std::max_element(m_areaPainted.begin(), m_areaPainted.end());
}

bool PaintClock::allPainted() const
{
    return std::all_of(m_areaPainted.begin(), m_areaPainted.end(), [](double t) { return t >= 0; });
}

bool PaintClock::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint)
        return false;
    if (watched == m_window.Edit_No) {
        if (m_fields < 0)
            m_fields = elapsedMs();
        return false;
    }
    for (size_t i = 0; i < m_areas.size(); ++i) {
        ImageArea* area = m_areas[i];
        // Painted as it will stay: with its pixels, or with nothing to show at all.
        if (watched == area && (area->picture().isNull() || !area->drawnImage().isNull()))
            m_areaPainted[i] = elapsedMs();
    }
    return false;
}

// Sleeps between events rather than spinning, so the waiting takes no core from the
// decoders it waits for.
template <class F> static bool runUntil(const PaintClock& clock, F done, int timeoutMs)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(timeoutMs);
    while (!done()) {
        if (clock.elapsedMs() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // Outside a running event loop, objects let go of with deleteLater() would wait
        // for the end of the program; the application's own loops delete them at once.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

bool PaintClock::waitForFields(int timeoutMs)
{
    return runUntil(
        *this, [this] { return m_fields >= 0; }, timeoutMs);
}

bool PaintClock::waitForPictures(int timeoutMs)
{
    return runUntil(
        *this, [this] { return m_fields >= 0 && allPainted() && !m_window.picturesPending(); }, timeoutMs);
}

} // namespace kelpora::bench
