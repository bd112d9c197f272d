#include "bookcare/CsvExport.h"

#include "bookcare/BookConnection.h"
#include "bookcare/CsvWriter.h"
#include "bookcare/RecordCursor.h"

#include "core/CatchRecord.h"
#include "core/BookLocation.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/SjisCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kelpora::bookcare {

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::NewOnly) || f.write(bytes) != bytes.size() || !f.flush())
        throw Error(QStringLiteral("%1 を書けません: %2").arg(QDir::toNativeSeparators(path), f.errorString()));
}

class Exporter {
public:
    Exporter(const QString& csvPath, CsvExport::Result& result)
        : m_csv(csvPath), m_pictures(QFileInfo(csvPath).dir().absoluteFilePath(CsvExport::picturesDirName(csvPath))),
          m_picturesName(CsvExport::picturesDirName(csvPath)), m_result(result)
    { }

    void header()
    {
        // The byte-order mark makes spreadsheet programs read the file as UTF-8.
        const QByteArray bom("\xEF\xBB\xBF");
        for (const record::Column& c : record::columns())
            m_out.text(QLatin1String(c.name));
        m_out.endRecord();
        m_file.write(bom + m_out.take());
    }

    void record(const RecordCursor& cursor)
    {
        const auto columns = record::columns();
        for (size_t i = 0; i < columns.size(); ++i) {
            const FieldValue& v = cursor.values()[i];
            if (v.null) {
                m_out.null();
                continue;
            }
            switch (columns[i].type) {
            case record::ColumnType::Integer:
                m_out.text(QString::number(v.integer));
                break;
            case record::ColumnType::Text:
            case record::ColumnType::Memo:
                m_out.text(decoded(cursor.code(), columns[i].name, v.bytes));
                break;
            case record::ColumnType::Picture:
                m_out.text(picture(cursor.code(), columns[i].name, v.bytes));
                break;
            }
        }
        m_out.endRecord();
        if (m_out.size() > (1 << 20))
            m_file.write(m_out.take());
        ++m_result.records;
    }

    void open()
    {
        if (!QDir().mkdir(m_pictures))
            throw Error(QStringLiteral("写真のフォルダ %1 を作れません。").arg(QDir::toNativeSeparators(m_pictures)));
        m_madePictures = true;
        m_file.setFileName(m_csv);
        if (!m_file.open(QIODevice::WriteOnly))
            throw Error(
                QStringLiteral("%1 を書けません: %2").arg(QDir::toNativeSeparators(m_csv), m_file.errorString()));
    }

    void finish()
    {
        m_file.write(m_out.take());
        if (!m_file.commit())
            throw Error(
                QStringLiteral("%1 を書けません: %2").arg(QDir::toNativeSeparators(m_csv), m_file.errorString()));
        m_madePictures = false;
        m_result.picturesDir = m_pictures;
    }

    ~Exporter()
    {
        if (m_madePictures)
            QDir(m_pictures).removeRecursively();
    }

private:
    QString decoded(qint32 code, const char* column, const QByteArray& bytes)
    {
        const QString text = sjis::decode(bytes);
        if (text.contains(QChar::ReplacementCharacter))
            m_result.warnings << QStringLiteral("記録 %1 の %2 にシフトJISとして読めないバイトがあり、"
                                                "U+FFFD に置き換えました")
                                     .arg(code)
                                     .arg(QLatin1String(column));
        return text;
    }

    QString picture(qint32 code, const char* column, const QByteArray& bytes)
    {
        const QString name = CsvExport::pictureFileName(code, column, bytes);
        writeFile(QDir(m_pictures).filePath(name), bytes);
        ++m_result.pictures;
        return m_picturesName + u'/' + name;
    }

    QString m_csv;
    QString m_pictures;
    QString m_picturesName;
    CsvExport::Result& m_result;
    QSaveFile m_file;
    CsvWriter m_out;
    bool m_madePictures = false;
};

} // namespace

QString CsvExport::picturesDirName(const QString& csvPath)
{
    return QFileInfo(csvPath).completeBaseName() + QStringLiteral("_pictures");
}

QString CsvExport::pictureFileName(qint32 code, const char* column, const QByteArray& bytes)
{
    const char* extension = bytes.startsWith("\xFF\xD8") ? "jpg" : bytes.startsWith("BM") ? "bmp" : "bin";
    return QStringLiteral("%1_%2.%3")
        .arg(code, 5, 10, QChar(u'0'))
        .arg(QLatin1String(column), QLatin1String(extension));
}

CsvExport::Result CsvExport::run(const QString& dir, const QString& csvPath)
{
    const QString csv = QFileInfo(csvPath).absoluteFilePath();
    const QString pictures = QFileInfo(csv).dir().absoluteFilePath(picturesDirName(csv));
    if (!QFileInfo(csv).dir().exists())
        throw Error(QStringLiteral("書き出し先のフォルダ %1 がありません。")
                        .arg(QDir::toNativeSeparators(QFileInfo(csv).absolutePath())));
    for (const QString& path : {csv, pictures})
        if (QFileInfo::exists(path))
            throw Error(QStringLiteral("%1 は既に存在します。上書きはしません。").arg(QDir::toNativeSeparators(path)));

    BookConnection book(BookLocation::databaseName(dir));
    RecordCursor cursor(book);
    Result result;
    Exporter out(csv, result);
    out.open();
    out.header();
    while (cursor.next())
        out.record(cursor);
    out.finish();
    return result;
}

} // namespace kelpora::bookcare
