#include "pictures/PicturePrefetch.h"

#include "core/Error.h"
#include "core/IBTransaction.h"
#include "core/SqlQuery.h"
#include "pictures/ImageArea.h"

#include <QFutureWatcher>

namespace kelpora {

PicturePrefetch::PicturePrefetch(const SqlQuery& rows, std::shared_ptr<PictureCache> cache, QObject* parent)
    : QObject(parent), m_rows(rows), m_cache(std::move(cache))
{
    // A zero timer fires only once the event queue is empty: the user always goes first.
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &PicturePrefetch::step);
    connect(&rows, &SqlQuery::closed, this, &PicturePrefetch::stop);
}

PicturePrefetch::~PicturePrefetch()
{
    stop();
}

void PicturePrefetch::addSlot(ImageArea* area, const QString& column, ReadRule rule)
{
    const QSize size = area->size();
    const ImageArea::DisplayMode mode = area->displayMode();
    m_slots.append(
        Slot{column, rule, [size, mode](QSize picture) { return ImageArea::targetRect(picture, size, mode).size(); }});
}

void PicturePrefetch::start(int shown, int direction)
{
    stop();
    const int step = direction < 0 ? -1 : 1;
    m_rowCount = m_rows.rowCount();
    m_readAt = IBTransaction::changeCount();
    QList<int> rows;
    for (const int row : {shown + step, shown - step})
        if (row >= 0 && row < m_rowCount && row != shown)
            rows << row;
    try {
        QList<PictureCache::Key> keep;
        for (const int row : rows + QList<int>{shown})
            for (const Slot& slot : std::as_const(m_slots))
                if (const auto key = PictureCache::keyAt(m_rows, row, slot.column, slot.rule))
                    keep << *key;
        m_cache->keepOnly(keep);
    } catch (const DbError&) {
        return; // nothing can be made ready from rows that cannot be read
    }
    for (const int row : std::as_const(rows))
        for (int slot = 0; slot < m_slots.size(); ++slot)
            m_items.append(Item{row, slot});
    m_active = !m_items.isEmpty();
    if (m_active)
        m_timer.start();
}

void PicturePrefetch::stop()
{
    m_timer.stop();
    ++m_run;
    m_items.clear();
    m_next = 0;
    m_inFlight = 0;
    m_active = false;
    // Jobs no worker has started are never run; those running finish unheard.
    for (auto* job : findChildren<QFutureWatcher<PictureDecoder::Prepared>*>(Qt::FindDirectChildrenOnly)) {
        job->disconnect(this);
        job->cancel();
        job->deleteLater();
    }
}

bool PicturePrefetch::busy() const noexcept
{
    return m_active;
}

bool PicturePrefetch::stillValid() const
{
    return m_active && m_rows.isOpen() && m_rows.rowCount() == m_rowCount && IBTransaction::changeCount() == m_readAt;
}

void PicturePrefetch::step()
{
    if (!stillValid()) {
        finish();
        return;
    }
    try {
        while (m_next < m_items.size() && m_inFlight < InFlight) {
            // One read per turn of the event loop; pictures already kept cost nothing.
            if (stepOne(m_items[m_next++])) {
                m_timer.start();
                return;
            }
        }
    } catch (const DbError&) {
        // The database failed under a read nobody asked for: the record shown will say
        // so itself if it matters.
        finish();
        return;
    }
    if (m_next >= m_items.size() && m_inFlight == 0)
        finish();
}

// Returns whether it read from the database.
bool PicturePrefetch::stepOne(const Item& item)
{
    const Slot& slot = m_slots[item.slot];
    const std::optional<PictureCache::Key> key = PictureCache::keyAt(m_rows, item.row, slot.column, slot.rule);
    if (!key)
        return false;
    if (const std::optional<QSize> size = m_cache->pictureSize(*key)) {
        const PictureCache::Stored* kept = m_cache->stored(*key); // also keeps it among the recent
        if (size->isEmpty())
            return false; // a failure, or no picture at all: nothing to draw
        const QSize target = slot.targetFor(*size);
        if (m_cache->drawing(*key, target))
            return false;
        if (kept) { // a bitmap, kept whole: only the drawing is missing
            launch(*key, PictureDecoder::prepare(kept->picture, target));
            return false;
        }
    }
    const QByteArray bytes = m_rows.blobAt(item.row, slot.column);
    launch(*key, PictureDecoder::prepare(bytes, slot.rule, slot.targetFor));
    return true;
}

void PicturePrefetch::launch(const PictureCache::Key& key, QFuture<PictureDecoder::Prepared> job)
{
    auto* watcher = new QFutureWatcher<PictureDecoder::Prepared>(this);
    ++m_inFlight;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, key, run = m_run] {
        watcher->deleteLater();
        if (run != m_run)
            return;
        --m_inFlight;
        const QFuture<PictureDecoder::Prepared> future = watcher->future();
        if (future.resultCount() > 0) {
            const PictureDecoder::Prepared prepared = future.result();
            m_cache->keep(key, PictureCache::Stored{prepared.picture, prepared.readError}, m_readAt);
            if (prepared.readError.isEmpty() && !prepared.picture.isNull())
                m_cache->keepDrawing(key, prepared.target, prepared.result, m_readAt);
        }
        m_timer.start();
    });
    watcher->setFuture(job);
}

void PicturePrefetch::finish()
{
    const bool wasActive = m_active;
    stop();
    if (wasActive)
        emit done();
}

} // namespace kelpora
