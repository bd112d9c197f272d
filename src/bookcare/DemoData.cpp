#include "bookcare/DemoData.h"

#include "bookcare/CatchDatabase.h"
#include "bookcare/DemoOuting.h"
#include "bookcare/DemoPictureKit.h"

#include "core/CatchRecord.h"
#include "core/Connection.h"
#include "core/Error.h"
#include "core/SjisCodec.h"
#include "core/SqlQuery.h"

#include <QFile>

#include <algorithm>

namespace kelpora::bookcare {

bool DemoPictures::isEmpty() const
{
    return tideChart.isEmpty() && map.isEmpty()
        && std::all_of(photos.begin(), photos.end(), [](const QByteArray& b) { return b.isEmpty(); });
}

int defaultPicturesEvery(int records)
{
    // About a hundred records with pictures at most: a big book stays a file of a few
    // hundred megabytes at worst, and small books still get several.
    return std::max(5, records / 100);
}

namespace {

using demo::Outing;

// Binds by column name. The statement is prepared once for the whole book, so a value
// a record does not have is bound NULL explicitly: on the wire that is exactly what an
// unassigned parameter sends.
class Binder {
public:
    explicit Binder(SqlQuery& q) : m_q(q) { }

    void text(const char* column, const QString& value)
    {
        // Checked here so a generator change that overflows a column says which one,
        // instead of a bare truncation error from the server.
        const record::Column* c = record::find(QLatin1String(column));
        const qsizetype bytes = sjis::encode(value).size();
        if (c && c->byteLength > 0 && bytes > c->byteLength)
            throw Error(
                QStringLiteral("%1 に入りきりません: %2 (%3 バイト)").arg(QLatin1String(column), value).arg(bytes));
        m_q.bindText(param(column), value);
    }
    void text(const char* column, const std::optional<QString>& value)
    {
        if (value)
            text(column, *value);
        else
            m_q.bindNull(param(column));
    }
    void integer(const char* column, std::optional<int> value)
    {
        if (value)
            m_q.bindInteger(param(column), *value);
        else
            m_q.bindNull(param(column));
    }
    void memo(const char* column, const QStringList& lines)
    {
        if (lines.isEmpty())
            m_q.bindNull(param(column));
        else
            m_q.bindMemo(param(column), lines.join(QStringLiteral("\r\n")));
    }
    void picture(const char* column, const QByteArray& bytes)
    {
        if (bytes.isEmpty())
            m_q.bindNull(param(column));
        else
            m_q.bindBlob(param(column), bytes);
    }

private:
    static QString param(const char* column) { return QStringLiteral("par") + QLatin1String(column); }
    SqlQuery& m_q;
};

void bindOuting(SqlQuery& q, const Outing& o)
{
    Binder b(q);
    b.integer("CODENO", o.code);
    b.text("DAY_DATA", o.day.toString(QStringLiteral("yyyy/MM/dd")));
    b.text("TENNKI", o.weather);
    b.text("FUNE", o.point);
    b.text("BASYO", o.place);
    b.text("SHIO", o.tideType);
    b.text("KIJYUNN", o.port);
    b.text("KYUUREKI", o.lunar);
    b.text("OLD_SHIO", QString());
    b.text("MAX1", o.highs[0]);
    b.text("MAX2", o.highs[1]);
    b.integer("MAX1_HIGHT", o.highHeights[0]);
    b.integer("MAX2_HIGHT", o.highHeights[1]);
    b.text("MIN1", o.lows[0]);
    b.text("MIN2", o.lows[1]);
    b.integer("MIN1_LOW", o.lowHeights[0]);
    b.integer("MIN2_LOW", o.lowHeights[1]);
    static constexpr const char* kFishColumns[3][4] = {{"FISH1", "FISH1_MAX", "FISH1_MIN", "FISH1_KAZU"},
        {"FISH2", "FISH2_MAX", "FISH2_MIN", "FISH2_KAZU"}, {"FISH3", "FISH3_MAX", "FISH3_MIN", "FISH3_KAZU"}};
    for (int i = 0; i < 3; ++i) {
        b.text(kFishColumns[i][0], o.fish[i].name);
        b.integer(kFishColumns[i][1], o.fish[i].largest);
        b.integer(kFishColumns[i][2], o.fish[i].smallest);
        b.integer(kFishColumns[i][3], o.fish[i].count);
    }
    b.memo("SHIKAKE", o.tackle);
    b.memo("BIKOU", o.notes);
    b.picture("SHIO_ZU", o.pictures.tideChart);
    b.picture("CHIZU", o.pictures.map);
    b.picture("PHOTO1", o.pictures.photos[0]);
    b.picture("PHOTO2", o.pictures.photos[1]);
    b.picture("PHOTO3", o.pictures.photos[2]);
    b.picture("PHOTO4", o.pictures.photos[3]);
    static constexpr const char* kMarks[12] = {"NEW_1_S", "NEW_1_E", "NEW_2_S", "NEW_2_E", "NEW_3_S", "NEW_3_E",
        "NEW_4_S", "NEW_4_E", "NEW_5_S", "NEW_5_E", "NEW_6_S", "NEW_6_E"};
    for (int i = 0; i < 12; ++i)
        b.integer(kMarks[i], o.marks.values[i]);
    for (const char* reserved : {"TIME1_START", "TIME1_END", "TIME2_START", "TIME2_END", "TIME3_START", "TIME3_END"})
        b.integer(reserved, 0);
}

} // namespace

void writeDemoRecords(Connection& book, const DemoOptions& options)
{
    if (options.records <= 0)
        return;
    const int every = options.picturesEvery > 0 ? options.picturesEvery : defaultPicturesEvery(options.records);
    demo::PictureKit kit(options.seed);
    SqlQuery q(book);
    q.addSql(record::insertAllSql());

    // Committed in batches rather than per record: with forced writes every commit waits
    // for the disk, and per record that would dominate a big book.
    constexpr int kBatch = 500;
    for (int code = 1; code <= options.records; ++code) {
        const Outing o = demo::makeOuting(code, options, every, kit);
        bindOuting(q, o);
        q.execute();
        // Camera-sized pictures: commit each, so the transaction never holds many.
        const bool heavy = !o.pictures.isEmpty();
        if (code % kBatch == 0 || heavy || code == options.records) {
            book.commit();
            if (options.progress)
                options.progress(code);
        }
    }
}

void createDemoDatabase(const QString& path, const DemoOptions& options)
{
    createCatchDatabase(path); // refuses an existing file before anything is written
    try {
        Connection book(path);
        writeDemoRecords(book, options);
        book.commit();
    } catch (...) {
        // The file is ours, made a moment ago: a half-filled book is worse than none.
        QFile::remove(path);
        throw;
    }
}

} // namespace kelpora::bookcare
