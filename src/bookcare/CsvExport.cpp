#include "bookcare/CsvExport.h"

#include "bookcare/AtomicFile.h"
#include "bookcare/BookConnection.h"
#include "bookcare/CsvWriter.h"
#include "bookcare/FileError.h"
#include "bookcare/FileSync.h"
#include "bookcare/RecordCursor.h"
#include "bookcare/StoredText.h"

#include "core/CatchRecord.h"
#include "core/BookLocation.h"
#include "core/DM_1.h"
#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelpora::bookcare {

namespace {

// Writes the CSV under a temporary name and the pictures into a hidden folder, and puts
// both in place only when every byte is on the disk: the folder first, the CSV last, so
// whatever an interruption leaves never looks like a complete export.
class Exporter {
public:
    Exporter(const QString& csvPath, CsvExport::Result& result)
        : m_pictures(QFileInfo(csvPath).dir().absoluteFilePath(CsvExport::picturesDirName(csvPath))),
          m_picturesName(CsvExport::picturesDirName(csvPath)), m_result(result), m_file(csvPath),
          m_building(createTemporaryFolder(m_pictures))
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

    void finish()
    {
        m_file.write(m_out.take());
        syncDirectory(m_building);
        renameNoReplace(m_building, m_pictures);
        m_placed = true;
        m_file.commit();
        m_result.picturesDir = m_pictures;
        m_done = true;
    }

    ~Exporter()
    {
        if (!m_done)
            QDir(m_placed ? m_pictures : m_building).removeRecursively();
    }

private:
    QString decoded(qint32 code, const char* column, const QByteArray& bytes)
    {
        bool escaped = false;
        QString text = storedText::toCsv(bytes, &escaped);
        if (escaped)
            m_result.warnings << QStringLiteral("記録 %1 の %2 にシフトJISとして読めないバイトがあり、"
                                                "U+F700 からの文字にして書き出しました（読み込むと元のバイトに戻ります）")
                                     .arg(code)
                                     .arg(QLatin1String(column));
        return text;
    }

    QString picture(qint32 code, const char* column, const QByteArray& bytes)
    {
        const QString name = CsvExport::pictureFileName(code, column, bytes);
        try {
            writeNewFile(QDir(m_building).filePath(name), bytes);
        } catch (const FileError& e) { // named where it was to go, not by the hidden folder
            throw FileError::of(QDir(m_pictures).filePath(name), QStringLiteral("を書けません"), e.error());
        }
        ++m_result.pictures;
        return m_picturesName + u'/' + name;
    }

    QString m_pictures;
    QString m_picturesName;
    CsvExport::Result& m_result;
    AtomicFile m_file;
    QString m_building; // the picture folder until it is complete
    CsvWriter m_out;
    bool m_placed = false;
    bool m_done = false;
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

CsvExport::Result CsvExport::run(const QString& dir, const QString& csvPath, const Progress& progress)
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
    out.header();
    while (cursor.next()) {
        out.record(cursor);
        progress(Progress::Step::Exporting, result.records);
    }
    out.finish();
    return result;
}

} // namespace kelpora::bookcare
