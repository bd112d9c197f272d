#include "imaging/PictureCache.h"

#include "core/IBTransaction.h"
#include "core/SqlQuery.h"

#include <algorithm>

namespace kelpora {

PictureCache::PictureCache(int records)
    : m_capacity(std::max(1, records) * PicturesPerRecord), m_readAt(IBTransaction::changeCount())
{ }

int PictureCache::capacity() const noexcept
{
    return m_capacity;
}

int PictureCache::size() const noexcept
{
    return int(m_entries.size());
}

int PictureCache::drawingCount() const noexcept
{
    int count = 0;
    for (const Entry& entry : m_entries)
        count += int(entry.drawings.size());
    return count;
}

void PictureCache::follow()
{
    const quint64 now = IBTransaction::changeCount();
    if (now == m_readAt)
        return;
    m_entries.clear();
    m_readAt = now;
}

quint64 PictureCache::readAt() const noexcept
{
    return m_readAt;
}

bool PictureCache::current(quint64 readAt)
{
    follow();
    return readAt == m_readAt;
}

std::optional<PictureCache::Key> PictureCache::keyOf(const SqlQuery& query, const QString& column, ReadRule rule)
{
    return keyAt(query, query.currentRow(), column, rule);
}

std::optional<PictureCache::Key> PictureCache::keyAt(
    const SqlQuery& query, int row, const QString& column, ReadRule rule)
{
    const std::optional<quint64> id = query.blobIdAt(row, column);
    if (!id)
        return std::nullopt;
    return Key{*id, rule};
}

PictureCache::Stored PictureCache::read(const SqlQuery& query, const QString& column, const Key& key)
{
    follow();
    if (const Stored* kept = stored(key))
        return *kept;
    const Stored fresh = readFresh(query, column, key.rule);
    keep(key, fresh, m_readAt);
    return fresh;
}

PictureCache::Stored PictureCache::readFresh(const SqlQuery& query, const QString& column, ReadRule rule)
{
    const QByteArray bytes = query.fieldBlob(column); // a database failure is not the picture's
    Stored fresh;
    try {
        fresh.picture = PictureStore::fromBytes(bytes, rule);
    } catch (const Error& e) {
        fresh.error = e.text();
    }
    return fresh;
}

PictureCache::Entries::iterator PictureCache::find(const Key& key)
{
    return std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.key == key; });
}

PictureCache::Entries::const_iterator PictureCache::find(const Key& key) const
{
    return std::find_if(m_entries.cbegin(), m_entries.cend(), [&](const Entry& e) { return e.key == key; });
}

const PictureCache::Stored* PictureCache::stored(const Key& key)
{
    follow();
    const auto at = find(key);
    if (at == m_entries.end())
        return nullptr;
    m_entries.splice(m_entries.begin(), m_entries, at);
    return m_entries.front().whole ? &*m_entries.front().whole : nullptr;
}

std::optional<QSize> PictureCache::pictureSize(const Key& key) const
{
    if (IBTransaction::changeCount() != m_readAt)
        return std::nullopt;
    const auto at = find(key);
    if (at == m_entries.cend())
        return std::nullopt;
    return at->size;
}

bool PictureCache::contains(const Key& key) const
{
    return find(key) != m_entries.cend() && IBTransaction::changeCount() == m_readAt;
}

void PictureCache::keep(const Key& key, const Stored& stored, quint64 readAt)
{
    if (!current(readAt))
        return;
    auto at = find(key);
    if (at == m_entries.end()) {
        m_entries.push_front(Entry{key, {}, {}, {}});
        at = m_entries.begin();
    } else {
        m_entries.splice(m_entries.begin(), m_entries, at);
    }
    at->size = stored.error.isEmpty() ? stored.picture.size() : QSize();
    // A JPEG keeps its bytes, which would make every photo kept cost megabytes.
    if (stored.picture.kind() == Picture::Kind::Jpeg)
        at->whole.reset();
    else
        at->whole = stored;
    while (int(m_entries.size()) > m_capacity)
        m_entries.pop_back();
}

std::optional<PictureDecoder::Result> PictureCache::drawing(const Key& key, const QSize& target) const
{
    if (IBTransaction::changeCount() != m_readAt)
        return std::nullopt;
    const auto at = find(key);
    if (at == m_entries.cend())
        return std::nullopt;
    for (const auto& [size, result] : at->drawings)
        if (size == target)
            return result;
    return std::nullopt;
}

void PictureCache::keepDrawing(
    const Key& key, const QSize& target, const PictureDecoder::Result& result, quint64 readAt)
{
    if (!current(readAt))
        return;
    const auto at = find(key);
    if (at == m_entries.end())
        return; // dropped meanwhile; a drawing without its picture is of no use
    auto& drawings = at->drawings;
    drawings.remove_if([&](const auto& d) { return d.first == target; });
    drawings.emplace_front(target, result);
    while (int(drawings.size()) > DrawingsPerPicture)
        drawings.pop_back();
}

void PictureCache::keepOnly(const QList<Key>& keys)
{
    follow();
    m_entries.remove_if([&](const Entry& e) { return !keys.contains(e.key); });
}

} // namespace kelpora
