#pragma once

#include "imaging/PictureCache.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace kelpora {

class ImageArea;
class SqlQuery;

// Reads and draws, while the user does nothing, the pictures of the records beside the
// one shown, into a PictureCache, so that a step onto one of them shows its pictures at
// once. Reading is database work and stays on this thread: one picture per turn of the
// event loop, and only once the loop has nothing else to do, so a click waits for at
// most one read. Decoding runs on Qt's thread pool behind whatever is on screen, one
// picture at a time, leaving a core free for the next record the user asks for. Nothing
// is told to the user: a picture that cannot be read is kept as such, to be told when
// its record is shown, and a database failure just ends the work. It stops when another
// record is shown, when the rows are closed and when anything is written.
class PicturePrefetch : public QObject {
    Q_OBJECT
public:
    PicturePrefetch(const SqlQuery& rows, std::shared_ptr<PictureCache> cache, QObject* parent = nullptr);
    ~PicturePrefetch() override;

    // A picture column of every row and the area it is shown in, whose size and display
    // mode say what to draw.
    void addSlot(ImageArea* area, const QString& column, ReadRule rule);

    // Row `shown` is on screen and the user last moved by `direction`: first the row
    // after it that way, then the one before it. The cache keeps only these three rows.
    void start(int shown, int direction);
    void stop();
    bool busy() const noexcept;

    // Pictures decoded at once, at most.
    static constexpr int InFlight = 1;

signals:
    void done();

private:
    struct Slot {
        QString column;
        ReadRule rule;
        std::function<QSize(QSize)> targetFor;
    };
    struct Item {
        int row;
        int slot;
    };

    bool stillValid() const;
    void step();
    bool stepOne(const Item& item);
    void launch(const PictureCache::Key& key, QFuture<PictureDecoder::Prepared> job);
    void finish();

    const SqlQuery& m_rows;
    std::shared_ptr<PictureCache> m_cache;
    QList<Slot> m_slots;
    QList<Item> m_items;
    qsizetype m_next = 0;
    int m_inFlight = 0;
    int m_run = 0;
    bool m_active = false;
    quint64 m_readAt = 0;
    int m_rowCount = 0;
    QTimer m_timer;
};

} // namespace kelpora
