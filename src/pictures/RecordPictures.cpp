#include "pictures/RecordPictures.h"

#include "app/ErrorHandler.h"
#include "core/Error.h"
#include "core/IBTransaction.h"
#include "core/SqlQuery.h"
#include "pictures/ImageArea.h"

#include <QTimer>

#include <algorithm>

namespace kelpora {

RecordPictures::RecordPictures(QObject* parent) : QObject(parent)
{ }

RecordPictures::~RecordPictures() = default;

void RecordPictures::watch(ImageArea* area, const QString& label)
{
    area->setDecoding(ImageArea::Decoding::InBackground);
    m_watched.append(Watched{area, label});
    onEvent(area, &ImageArea::displayed, this, [this, area](const QString& error) { displayed(area, error); });
}

void RecordPictures::begin(std::shared_ptr<PictureCache> cache)
{
    ++m_round;
    m_cache = std::move(cache);
    m_shown.clear();
    m_ended = false;
    m_settled = false;
    m_settling = false;
}

void RecordPictures::show(ImageArea* area, const SqlQuery& query, const QString& column, ReadRule rule)
{
    const std::optional<PictureCache::Key> key = PictureCache::keyOf(query, column, rule);
    if (!key)
        return;
    // Taken before reading: should the read itself change anything (the first statement
    // starts the transaction), what it gives is not kept.
    const quint64 readAt = IBTransaction::changeCount();
    const PictureCache::Stored stored
        = m_cache ? m_cache->read(query, column, *key) : PictureCache::readFresh(query, column, rule);
    if (!stored.error.isEmpty())
        fail(area, stored.error);
    else if (!stored.picture.isNull())
        present(area, stored.picture, key, readAt);
}

void RecordPictures::show(ImageArea* area, const Picture& picture)
{
    present(area, picture, std::nullopt, 0);
}

void RecordPictures::present(
    ImageArea* area, const Picture& picture, const std::optional<PictureCache::Key>& key, quint64 readAt)
{
    area->setPicture(picture);
    Shown& s = shown(area);
    s.key = key;
    s.readAt = readAt;
    s.error.clear();
    s.waiting = false;
    const QSize target = area->drawnSize();
    if (m_cache && key) {
        if (const std::optional<PictureDecoder::Result> drawn = m_cache->drawing(*key, target)) {
            area->adoptDisplay(target, drawn->image, drawn->error);
            if (!drawn->error.isEmpty())
                failHere(area, drawn->error);
            return;
        }
    }
    area->decodeInBackground();
    s.waiting = area->decodePending();
}

void RecordPictures::fail(ImageArea* area, const QString& error)
{
    Shown& s = shown(area);
    s.key.reset();
    s.waiting = false;
    failHere(area, error);
}

void RecordPictures::failHere(ImageArea* area, const QString& error)
{
    area->clear();
    if (Shown* s = find(area))
        s->error = error;
    emit failed(area);
}

void RecordPictures::end()
{
    m_ended = true;
    settleWhenDone();
}

bool RecordPictures::waiting(const Shown& s) const
{
    return s.waiting && s.area && s.area->decodePending();
}

bool RecordPictures::pending() const
{
    return std::any_of(m_shown.cbegin(), m_shown.cend(), [this](const Shown& s) { return waiting(s); });
}

bool RecordPictures::isSettled() const noexcept
{
    return m_settled;
}

RecordPictures::Shown* RecordPictures::find(const ImageArea* area)
{
    for (Shown& s : m_shown)
        if (s.area.data() == area)
            return &s;
    return nullptr;
}

RecordPictures::Shown& RecordPictures::shown(ImageArea* area)
{
    if (Shown* s = find(area))
        return *s;
    m_shown.append(Shown{area, std::nullopt, 0, false, QString()});
    return m_shown.last();
}

void RecordPictures::displayed(ImageArea* area, const QString& error)
{
    Shown* s = find(area);
    if (s && s->key && m_cache)
        m_cache->keepDrawing(*s->key, area->drawnSize(), PictureDecoder::Result{area->drawnImage(), error}, s->readAt);
    if (!s || !s->waiting) {
        // Drawn again later, at another size (an enlarged photo), after the record's
        // failures were told: this one is told on its own.
        if (!error.isEmpty()) {
            failHere(area, error);
            reportError(std::make_exception_ptr(PictureError(labelled(area, error))));
        }
        return;
    }
    s->waiting = false;
    if (!error.isEmpty())
        failHere(area, error);
    settleWhenDone();
}

void RecordPictures::settleWhenDone()
{
    if (!m_ended || m_settled || m_settling || pending())
        return;
    m_settling = true;
    // From the event loop, so the routine that showed the record has returned first and
    // a message box never opens in the middle of it.
    QTimer::singleShot(0, this, [this, round = m_round] { settle(round); });
}

void RecordPictures::settle(int round)
{
    if (round != m_round)
        return; // the user has moved on; what this record said no longer matters
    m_settling = false;
    m_settled = true;
    QStringList errors;
    for (const Watched& w : std::as_const(m_watched))
        if (const Shown* s = find(w.area.data()); s && !s->error.isEmpty())
            errors << labelled(w.area, s->error);
    if (!errors.isEmpty())
        reportError(std::make_exception_ptr(PictureError(errors.join(u'\n'))));
    emit allShown();
}

QString RecordPictures::labelled(const ImageArea* area, const QString& error) const
{
    // First which picture, in the user's words; then the library's own reason.
    for (const Watched& w : m_watched)
        if (w.area.data() == area && !w.label.isEmpty())
            return QStringLiteral("%1を表示できません\n%2").arg(w.label, error);
    return error;
}

} // namespace kelpora
