#include "bookcare/CsvImport.h"

#include "bookcare/CatchDatabase.h"
#include "bookcare/CsvReader.h"
#include "bookcare/FileSync.h"
#include "core/FirebirdService.h"

#include "core/CatchRecord.h"
#include "core/BookLocation.h"
#include "core/Connection.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/SjisCodec.h"
#include "core/SqlQuery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <limits>
#include <map>

namespace kelpora::bookcare {

namespace {

// A fault on one line of the CSV; the caller adds the file name.
struct LineError {
    int line;
    QString reason;
};

// Turns CSV records into the insert's parameters. Without a query it only checks them,
// so a bad line is found before any book is made.
class RecordBinder {
public:
    RecordBinder(SqlQuery* q, const QDir& csvDir) : m_q(q), m_csvDir(csvDir) { }

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
        case record::ColumnType::Text:
            shiftJisChecked(c, value);
            if (m_q)
                m_q->bindText(param, value);
            break;
        case record::ColumnType::Memo:
            shiftJisChecked(c, value);
            if (m_q)
                m_q->bindMemo(param, value);
            break;
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
            fail(c, QStringLiteral("「%1」は整数ではありません").arg(value));
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
            fail(c, QStringLiteral("「%1」は範囲外の数です（-2147483648 から 2147483647 まで）").arg(value));
        if (c.primaryKey) {
            const auto [it, fresh] = m_codes.emplace(qint32(n), m_line);
            if (!fresh)
                fail(c, QStringLiteral("記録番号 %1 は %2 行目と重複しています").arg(n).arg(it->second));
        }
        return qint32(n);
    }

    void shiftJisChecked(const record::Column& c, const QString& value) const
    {
        qsizetype bytes = 0;
        try {
            bytes = sjis::encode(value).size();
        } catch (const EncodingError& e) {
            fail(c, e.text());
        }
        if (c.byteLength > 0 && bytes > c.byteLength)
            fail(c,
                QStringLiteral("「%1」は長すぎます（%2 バイト、最大 %3 バイト）")
                    .arg(value)
                    .arg(bytes)
                    .arg(c.byteLength));
    }

    // The file's bytes; when only checking, nothing (the file is there and readable).
    QByteArray picture(const record::Column& c, const QString& relative)
    {
        const QString path = m_csvDir.absoluteFilePath(relative);
        QFile f(path);
        if (!QFileInfo(path).isFile())
            fail(c, QStringLiteral("写真のファイル %1 がありません").arg(QDir::toNativeSeparators(path)));
        if (!m_q) {
            if (!QFileInfo(path).isReadable())
                fail(c, QStringLiteral("写真のファイル %1 を読めません").arg(QDir::toNativeSeparators(path)));
            ++m_pictures;
            return {};
        }
        if (!f.open(QIODevice::ReadOnly))
            fail(c,
                QStringLiteral("写真のファイル %1 を読めません: %2")
                    .arg(QDir::toNativeSeparators(path), f.errorString()));
        const QByteArray bytes = f.readAll();
        m_pictureBytes += bytes.size();
        ++m_pictures;
        return bytes;
    }

    SqlQuery* m_q;
    QDir m_csvDir;
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
void check(const QByteArray& csv, const QDir& csvDir)
{
    CsvReader reader(csv);
    CsvReader::Record r;
    if (!reader.next(r))
        throw LineError{1, QStringLiteral("見出しの行がありません")};
    checkHeader(r);
    RecordBinder binder(nullptr, csvDir);
    while (reader.next(r))
        binder.bind(r);
}

// Reads the whole (checked) CSV into the new book at path, committing now and then.
qint64 fill(const QString& path, const QByteArray& csv, const QDir& csvDir, int& pictures)
{
    CsvReader reader(csv);
    CsvReader::Record r;
    reader.next(r); // the header
    Connection book(path);
    SqlQuery insert(book);
    insert.addSql(record::insertAllSql());
    RecordBinder binder(&insert, csvDir);

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

} // namespace

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
    const QDir csvDir = QFileInfo(csvPath).absoluteDir();

    const bool madeDir = !dir.exists();
    if (madeDir && !QDir().mkpath(dir.path()))
        throw Error(QStringLiteral("フォルダ %1 を作れません。").arg(QDir::toNativeSeparators(dir.path())));
    try {
        check(csv, csvDir);
        // Built under a temporary name and moved into place whole: a failed or
        // interrupted import never leaves a half-filled book where the application looks.
        QTemporaryDir scratch(dir.absoluteFilePath(QStringLiteral(".import-XXXXXX")));
        if (!scratch.isValid())
            throw Error(QStringLiteral("一時フォルダを %1 に作れません。").arg(QDir::toNativeSeparators(dir.path())));
        const QString building = scratch.filePath(QLatin1String(TDM1::kFileName));
        createCatchDatabase(building, false);
        result.records = fill(building, csv, csvDir, result.pictures);
        FirebirdService::setForcedWrites(building);
        if (onServer) {
            const QString backup = scratch.filePath(QStringLiteral("KELPORA.fbk"));
            FirebirdService::backup(building, backup);
            FirebirdService::restore(backup, result.book);
            return result;
        }
        syncFile(building);
        if (!QFile::rename(building, result.book))
            throw Error(QStringLiteral("%1 を置けません（既に存在するか、書き込めません）。")
                            .arg(QDir::toNativeSeparators(result.book)));
        syncDirectory(dir.path());
    } catch (const CsvReader::SyntaxError& e) {
        if (madeDir)
            QDir().rmdir(dir.path());
        throw Error(QStringLiteral("%1 の %2 行目: %3。釣果記録は作っていません。")
                        .arg(QDir::toNativeSeparators(csvPath))
                        .arg(e.line)
                        .arg(QString::fromUtf8(e.reason)));
    } catch (const LineError& e) {
        if (madeDir)
            QDir().rmdir(dir.path());
        throw Error(QStringLiteral("%1 の %2 行目: %3。釣果記録は作っていません。")
                        .arg(QDir::toNativeSeparators(csvPath))
                        .arg(e.line)
                        .arg(e.reason));
    } catch (...) {
        if (madeDir)
            QDir().rmdir(dir.path());
        throw;
    }
    return result;
}

} // namespace kelpora::bookcare
