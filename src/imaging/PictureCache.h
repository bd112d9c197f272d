#pragma once

#include "imaging/Picture.h"
#include "imaging/PictureDecoder.h"
#include "imaging/PictureStore.h"

#include <QList>
#include <QSize>
#include <QString>

#include <list>
#include <optional>
#include <utility>

namespace kelpora {

class SqlQuery;

// Stored pictures already drawn at the size of the screen, so a record shown again, or one
// made ready before the user steps onto it, shows its pictures without a decode.
//
// A picture is found by the id of the BLOB it was read from, which names the stored bytes:
// a picture replaced in the database comes back under a new id. Whatever was kept is
// forgotten as soon as anything may have been written (IBTransaction::changeCount), and
// what it gives is exactly what reading and decoding afresh would give, failures included.
//
// What it keeps is small: the drawings, the size of each picture, and whole pictures only
// when they are decoded pixels already (a BMP chart) or a failure. A JPEG's bytes, megabytes
// for a photo, are read again from the database when it is shown, which takes a few
// milliseconds and no decode. It holds at most a few records' pictures. GUI thread only.
class PictureCache {
public:
    struct Key {
        quint64 blob = 0;
        ReadRule rule = ReadRule::JpegOnly;
        friend bool operator==(const Key&, const Key&) = default;
    };

    // What the stored bytes gave: the picture (none for an empty BLOB), or why they are none.
    struct Stored {
        Picture picture;
        QString error;
    };

    // The most pictures a record shows: tide chart, map and four photos.
    static constexpr int PicturesPerRecord = 6;
    static constexpr int DefaultRecords = 3;
    // Drawings kept per picture: the browser's, the photo viewer's and its enlarged one.
    static constexpr int DrawingsPerPicture = 3;

    explicit PictureCache(int records = DefaultRecords);

    int capacity() const noexcept; // in pictures
    int size() const noexcept;
    int drawingCount() const noexcept;

    // Forgets everything when the database may have changed since the last look.
    void follow();

    // The change count what is kept now belongs to; results read or decoded under another
    // are refused.
    quint64 readAt() const noexcept;

    // The key of a BLOB column of the query's current row; nullopt for NULL.
    static std::optional<Key> keyOf(const SqlQuery& query, const QString& column, ReadRule rule);
    static std::optional<Key> keyAt(const SqlQuery& query, int row, const QString& column, ReadRule rule);

    // The column of the current row as a picture, kept or read now (and then noted). A
    // database failure is thrown; bytes that are no picture come back as the error.
    Stored read(const SqlQuery& query, const QString& column, const Key& key);
    // The same, read now and kept nowhere.
    static Stored readFresh(const SqlQuery& query, const QString& column, ReadRule rule);

    // The picture as kept; nullptr unless it is a bitmap or a failure, which are kept whole.
    // Looking one up makes it the most recently used.
    const Stored* stored(const Key& key);
    // The size of the picture, when it has been read; empty for a failure.
    std::optional<QSize> pictureSize(const Key& key) const;
    bool contains(const Key& key) const;
    // Notes what the bytes of `key` gave, read under change count `readAt`.
    void keep(const Key& key, const Stored& stored, quint64 readAt);

    // A drawing of the picture exactly as PictureDecoder::tryRender made it for `target`.
    std::optional<PictureDecoder::Result> drawing(const Key& key, const QSize& target) const;
    void keepDrawing(const Key& key, const QSize& target, const PictureDecoder::Result& result, quint64 readAt);

    // Drops every picture but these: the record shown and those made ready beside it.
    void keepOnly(const QList<Key>& keys);

private:
    struct Entry {
        Key key;
        QSize size;
        std::optional<Stored> whole; // bitmaps and failures only
        std::list<std::pair<QSize, PictureDecoder::Result>> drawings; // most recent first
    };
    using Entries = std::list<Entry>;

    Entries::iterator find(const Key& key);
    Entries::const_iterator find(const Key& key) const;
    bool current(quint64 readAt);

    Entries m_entries; // most recently used first
    int m_capacity;
    quint64 m_readAt;
};

} // namespace kelpora
