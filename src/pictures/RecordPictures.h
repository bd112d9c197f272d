#pragma once

#include "pictures/PictureCache.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

namespace kelpora {

class ImageArea;
class SqlQuery;

// Shows the pictures of one record at a time in a window's image areas without making
// the user wait for them: each area gets its picture (the stored bytes) at once, and the
// pixels for the screen come from a PictureCache or are decoded on Qt's thread pool, each
// area repainting when its own arrive. Everything still on its way for the record shown
// before is dropped, so no area ever shows another record's picture. What fails is told
// once per record, in one message through the default error handler, once all the
// record's pictures are drawn; the damaged area stays empty and the others show.
class RecordPictures : public QObject {
    Q_OBJECT
public:
    explicit RecordPictures(QObject* parent = nullptr);
    ~RecordPictures() override;

    // An area shown through this, from now on decoding in the background; `label` names
    // the picture in the first line of its failures ("写真1を表示できません"), none when empty.
    void watch(ImageArea* area, const QString& label = QString());

    // A new record: whatever the last one still had on its way is dropped and its failures
    // are no longer told. Drawings that arrive are kept in `cache` when there is one.
    void begin(std::shared_ptr<PictureCache> cache = nullptr);
    // The area shows the BLOB column of the query's current row, read by `rule`: from the
    // cache when it is kept there, otherwise read now. A NULL column leaves the area as
    // it is. A database failure is thrown. The caller has emptied the area, as every
    // window does before it shows a record, so nothing of the last record remains.
    void show(ImageArea* area, const SqlQuery& query, const QString& column, ReadRule rule);
    // The same for a picture already in hand; its pixels come from the pool.
    void show(ImageArea* area, const Picture& picture);
    // Bytes that are no picture: the area is emptied and the failure told with the others.
    void fail(ImageArea* area, const QString& error);
    // Every picture of the record is handed out. Once all are drawn, failures are told
    // and allShown() follows, from the event loop.
    void end();

    // One record's pictures being handed out: begin() now and end() however the scope is
    // left, so that when the database fails halfway the pictures already handed out still
    // settle.
    class Handout {
    public:
        explicit Handout(RecordPictures& pictures, std::shared_ptr<PictureCache> cache = nullptr) : m_pictures(pictures)
        {
            m_pictures.begin(std::move(cache));
        }
        ~Handout() { m_pictures.end(); }
        Handout(const Handout&) = delete;
        Handout& operator=(const Handout&) = delete;

    private:
        RecordPictures& m_pictures;
    };

    // Pixels of this record still on their way.
    bool pending() const;
    // The record's pictures are drawn and its failures told.
    bool isSettled() const noexcept;

signals:
    void allShown();
    // An area was emptied because its picture could not be shown (now, or later when it
    // was drawn at another size).
    void failed(kelpora::ImageArea* area);

private:
    struct Watched {
        QPointer<ImageArea> area;
        QString label;
    };
    // An area this record's picture went to.
    struct Shown {
        QPointer<ImageArea> area;
        std::optional<PictureCache::Key> key; // where its drawing is kept
        quint64 readAt = 0;
        bool waiting = false; // for pixels from the pool
        QString error;
    };
    Shown& shown(ImageArea* area);
    Shown* find(const ImageArea* area);
    void present(ImageArea* area, const Picture& picture, const std::optional<PictureCache::Key>& key, quint64 readAt);
    void failHere(ImageArea* area, const QString& error);
    bool waiting(const Shown& s) const;
    void displayed(ImageArea* area, const QString& error);
    void settleWhenDone();
    void settle(int round);
    QString labelled(const ImageArea* area, const QString& error) const;

    QList<Watched> m_watched; // in the order failures are told
    QList<Shown> m_shown;
    std::shared_ptr<PictureCache> m_cache;
    int m_round = 0;
    bool m_ended = true;
    bool m_settled = true;
    bool m_settling = false;
};

} // namespace kelpora
