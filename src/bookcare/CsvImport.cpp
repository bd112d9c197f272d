#include "bookcare/CsvImport.h"

#include "bookcare/AtomicFile.h"
#include "bookcare/CatchDatabase.h"
#include "bookcare/CsvReader.h"
#include "bookcare/Excerpt.h"
#include "bookcare/FileError.h"
#include "bookcare/PictureFolder.h"
#include "bookcare/StoredText.h"
#include "bookcare/FileSync.h"
#include "core/FirebirdService.h"

#include "core/CatchRecord.h"
#include "core/BookLocation.h"
#include "core/Connection.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/SjisCodec.h"
#include "core/SqlQuery.h"
#include "imaging/PictureStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <limits>
#include <map>
#include <set>

namespace kelpora::bookcare {

namespace {

// A fault on one line of the CSV; the caller adds the file name.
struct LineError {
    int line;
    QString reason;
};

// Turns CSV records into the insert's parameters. Without a query it only checks them,
// so a bad line is found before any book is made.
// Digests of picture bytes already decoded without fault, each with the rule it passed
// (a photo's or a chart's): the check reads every file and the fill reads it again, and
// a picture decodes once, however often it is named.
using SoundPictures = std::set<QByteArray>;

class RecordBinder {
public:
    RecordBinder(SqlQuery* q, const PictureFolder& pictures, SoundPictures& sound)
        : m_q(q), m_folder(pictures), m_sound(sound)
    { }

    // Binds one CSV record to the insert; returns the bytes of pictures it bound.
    qint64 bind(const CsvReader::Record& r)
    {
        const auto columns = record::columns();
        if (r.fields.size() != columns.size())
            throw LineError{
                r.line, QStringLiteral("項目の数が %1 です（%2 のはずです）").arg(r.fields.size()).arg(columns.size())};
        m_line = r.line;
        m_pictureBytes = 0;
        for (size_t i = 0; i < columns.size(); ++i)
            bindField(columns[i], r.fields[i]);
        return m_pictureBytes;
    }

    int pictures() const { return m_pictures; }

private:
    [[noreturn]] void fail(const record::Column& c, const QString& why) const
    {
        throw LineError{m_line, QStringLiteral("%1: %2").arg(QLatin1String(c.name), why)};
    }

    QString decode(const record::Column& c, const QByteArray& bytes) const
    {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(bytes);
        if (utf8.hasError())
            fail(c, QStringLiteral("UTF-8 として読めない文字があります"));
        return text;
    }

    void bindField(const record::Column& c, const CsvReader::Field& f)
    {
        const QString param = QStringLiteral("par") + QLatin1String(c.name);
        if (f.bytes.contains('\0'))
            fail(c,
                c.type == record::ColumnType::Picture
                    ? QStringLiteral("写真のファイル名に NUL 文字 (0x00) があります")
                    : QStringLiteral("NUL 文字 (0x00) があります（バイト 0x00 は U+F700 と書きます）"));
        const bool empty = f.bytes.isEmpty();
        if (empty && (!f.quoted || c.type == record::ColumnType::Integer || c.type == record::ColumnType::Picture)) {
            if (c.primaryKey)
                fail(c, QStringLiteral("記録番号がありません"));
            if (m_q)
                m_q->bindNull(param);
            return;
        }
        const QString value = decode(c, f.bytes);
        switch (c.type) {
        case record::ColumnType::Integer: {
            const qint32 n = integer(c, value);
            if (m_q)
                m_q->bindInteger(param, n);
            break;
        }
        case record::ColumnType::Text: {
            const QByteArray stored = storedBytes(c, value);
            if (m_q)
                m_q->bindTextBytes(param, stored);
            break;
        }
        case record::ColumnType::Memo: {
            const QByteArray stored = storedBytes(c, value);
            if (m_q)
                m_q->bindMemoBytes(param, stored);
            break;
        }
        case record::ColumnType::Picture: {
            const QByteArray bytes = picture(c, value);
            if (m_q)
                m_q->bindBlob(param, bytes);
            break;
        }
        }
    }

    qint32 integer(const record::Column& c, const QString& value)
    {
        static const QRegularExpression digits(QStringLiteral("^-?[0-9]+$"));
        if (!digits.match(value).hasMatch())
            fail(c, QStringLiteral("「%1」は整数ではありません").arg(excerpt(value)));
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
            fail(c, QStringLiteral("「%1」は範囲外の数です（-2147483648 から 2147483647 まで）").arg(excerpt(value)));
        if (c.primaryKey) {
            const auto [it, fresh] = m_codes.emplace(qint32(n), m_line);
            if (!fresh)
                fail(c, QStringLiteral("記録番号 %1 は %2 行目と重複しています").arg(n).arg(it->second));
        }
        return qint32(n);
    }

    QByteArray storedBytes(const record::Column& c, const QString& value) const
    {
        QByteArray bytes;
        try {
            bytes = storedText::fromCsv(value);
        } catch (const EncodingError& e) {
            fail(c, e.text());
        }
        if (c.byteLength > 0 && bytes.size() > c.byteLength)
            fail(c,
                QStringLiteral("「%1」は長すぎます（%2 バイト、最大 %3 バイト）")
                    .arg(excerpt(value))
                    .arg(bytes.size())
                    .arg(c.byteLength));
        return bytes;
    }

    // The file's bytes, once they are known to be a picture the column's windows show.
    QByteArray picture(const record::Column& c, const QString& relative)
    {
        QByteArray bytes;
        try {
            bytes = m_folder.read(relative);
        } catch (const PictureFolder::Refusal& r) {
            fail(c, r.reason);
        }
        ensurePicture(c, relative, bytes);
        m_pictureBytes += bytes.size();
        ++m_pictures;
        return bytes;
    }

    void ensurePicture(const record::Column& c, const QString& relative, const QByteArray& bytes)
    {
        const bool photo = QLatin1String(c.name).startsWith(QLatin1String("PHOTO"));
        const QString shown = excerpt(relative, 80);
        if (bytes.isEmpty())
            fail(c, QStringLiteral("写真のファイル %1 は空です").arg(shown));
        const QByteArray key = (photo ? "P" : "C") + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
        if (m_sound.count(key))
            return;
        try {
            // Decoded, small, as a thumbnail would be: a header alone can hide damaged data.
            const Picture p = PictureStore::fromBytes(bytes, photo ? ReadRule::JpegOnly : ReadRule::BitmapFirst);
            p.scaledTo(QSize(1, 1));
        } catch (const PictureError& e) {
            fail(c,
                QStringLiteral("%1 は%2として読めません（%3）")
                    .arg(shown, photo ? QStringLiteral(" JPEG の写真") : QStringLiteral(" JPEG か BMP の画像"),
                        e.text().simplified()));
        }
        m_sound.insert(key);
    }

    SqlQuery* m_q;
    const PictureFolder& m_folder;
    SoundPictures& m_sound;
    int m_line = 0;
    qint64 m_pictureBytes = 0;
    int m_pictures = 0;
    std::map<qint32, int> m_codes; // record number -> line
};

void checkHeader(const CsvReader::Record& header)
{
    const auto columns = record::columns();
    QStringList expected;
    for (const record::Column& c : columns)
        expected << QLatin1String(c.name);
    QStringList found;
    for (const CsvReader::Field& f : header.fields)
        found << QString::fromUtf8(f.bytes).trimmed();
    if (found != expected)
        throw LineError{header.line,
            QStringLiteral("見出しが釣果記録の 55 の列名（%1, %2, ... %3）と違います")
                .arg(expected.front(), expected[1], expected.back())};
}

// Reads every record after the header; throws LineError or CsvReader::SyntaxError.
void checkAll(const QByteArray& csv, const PictureFolder& pictures, SoundPictures& sound)
{
    CsvReader reader(csv);
    CsvReader::Record r;
    if (!reader.next(r))
        throw LineError{1, QStringLiteral("見出しの行がありません")};
    checkHeader(r);
    RecordBinder binder(nullptr, pictures, sound);
    while (reader.next(r))
        binder.bind(r);
}

// Reads the whole (checked) CSV into the new book at path, committing now and then.
qint64 fill(
    const QString& path, const QByteArray& csv, const PictureFolder& folder, SoundPictures& sound, int& pictures)
{
    CsvReader reader(csv);
    CsvReader::Record r;
    reader.next(r); // the header
    Connection book(path);
    SqlQuery insert(book);
    insert.addSql(record::insertAllSql());
    RecordBinder binder(&insert, folder, sound);

    // Committed in batches: with forced writes each commit waits for the disk.
    constexpr int kBatch = 500;
    constexpr qint64 kBatchBytes = 64 << 20;
    qint64 records = 0;
    qint64 pending = 0;
    while (reader.next(r)) {
        pending += binder.bind(r);
        try {
            insert.execute();
        } catch (const DbError& e) {
            if (FileError::isDiskFull(e))
                throw;
            throw LineError{r.line, e.text()};
        }
        if (++records % kBatch == 0 || pending > kBatchBytes) {
            book.commit();
            pending = 0;
        }
    }
    book.commit();
    pictures = binder.pictures();
    book.close();
    return records;
}

Error lineFault(const QString& csvPath, int line, const QString& reason)
{
    return Error(QStringLiteral("%1 の %2 行目: %3。釣果記録は作っていません。")
                     .arg(QDir::toNativeSeparators(csvPath))
                     .arg(line)
                     .arg(reason));
}

// Runs work, turning a fault of one line into the Error the user reads.
template <typename Work> void onLines(const QString& csvPath, Work work)
{
    try {
        work();
    } catch (const CsvReader::SyntaxError& e) {
        throw lineFault(csvPath, e.line, QString::fromUtf8(e.reason));
    } catch (const LineError& e) {
        throw lineFault(csvPath, e.line, e.reason);
    }
}

// Built under a temporary name in dir and moved into place whole: a failed or
// interrupted import never leaves a half-filled book where the application looks. A
// server book is sent to its server as a backup, which the server restores.
void build(CsvImport::Result& result, const QString& dir, const QByteArray& csv, const PictureFolder& pictures,
    SoundPictures& sound)
{
    QTemporaryDir scratch(QDir(dir).absoluteFilePath(QStringLiteral(".import-XXXXXX")));
    if (!scratch.isValid())
        throw Error(QStringLiteral("一時フォルダを %1 に作れません。").arg(QDir::toNativeSeparators(dir)));
    const QString building = scratch.filePath(QLatin1String(TDM1::kFileName));
    createCatchDatabase(building, false);
    result.records = fill(building, csv, pictures, sound, result.pictures);
    FirebirdService::setForcedWrites(building);
    if (BookLocation::isServerBook(result.book)) {
        const QString backup = scratch.filePath(QStringLiteral("KELPORA.fbk"));
        FirebirdService::backup(building, backup);
        FirebirdService::restore(backup, result.book);
        return;
    }
    syncFile(building);
    renameNoReplace(building, result.book);
    syncDirectory(dir);
}

} // namespace

void CsvImport::check(const QByteArray& csv, const QString& csvPath)
{
    const PictureFolder pictures(csvPath);
    SoundPictures sound;
    onLines(csvPath, [&] { checkAll(csv, pictures, sound); });
}

CsvImport::Result CsvImport::run(const QString& csvPath, const QString& dirPath)
{
    Result result;
    result.book = BookLocation::databaseName(QFileInfo(dirPath).absoluteFilePath());
    const bool onServer = BookLocation::isServerBook(result.book);
    // Built beside the book, so the finished file moves in by a rename; a server book is
    // built where the tool runs and handed to the server, which refuses to overwrite one.
    const QDir dir(onServer ? QFileInfo(dirPath).absoluteFilePath() : QFileInfo(result.book).absolutePath());
    if (!onServer && QFileInfo::exists(result.book))
        throw Error(
            QStringLiteral("%1 は既に存在します。上書きはしません。").arg(QDir::toNativeSeparators(result.book)));
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("%1 を読めません: %2").arg(QDir::toNativeSeparators(csvPath), file.errorString()));
    const QByteArray csv = file.readAll();
    file.close();
    const PictureFolder pictures(csvPath);

    const bool madeDir = !dir.exists();
    if (madeDir && !QDir().mkpath(dir.path()))
        throw Error(QStringLiteral("フォルダ %1 を作れません。").arg(QDir::toNativeSeparators(dir.path())));
    try {
        onLines(csvPath, [&] {
            SoundPictures sound;
            checkAll(csv, pictures, sound);
            build(result, dir.path(), csv, pictures, sound);
        });
    } catch (const Error& e) {
        if (madeDir)
            QDir().rmdir(dir.path());
        if (FileError::isDiskFull(e))
            throw Error(QStringLiteral("%1 を作れません: ディスクの空きがありません。釣果記録は作っていません。（%2）")
                            .arg(QDir::toNativeSeparators(result.book), e.text()));
        throw;
    } catch (...) {
        if (madeDir)
            QDir().rmdir(dir.path());
        throw;
    }
    return result;
}

} // namespace kelpora::bookcare
