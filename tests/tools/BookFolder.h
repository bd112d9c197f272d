#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class TDM1;

namespace kelpora::testing {

// A temporary folder for the tool tests, holding (unless asked otherwise) its own copy
// of the demo book that the build made once: twelve records with tide charts in BMP
// and JPEG, maps, photos, memos and both forms of empty field.
class BookFolder {
public:
    explicit BookFolder(bool withBook = true);

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QString book() const { return file(QStringLiteral("KELPORA.FDB")); }

    // Runs work with the application's data module on this folder's book, the way the
    // windows use it, and closes the connection afterwards.
    void withDataModule(const std::function<void(TDM1&)>& work) const;
    // One statement through the data module, committed.
    void execute(const QString& sql) const;

    // Every file and folder below path, relative, sorted; hidden ones too.
    QStringList listing() const;

    static QByteArray fileHash(const QString& path);
    static QByteArray readFile(const QString& path);
    static void writeFile(const QString& path, const QByteArray& bytes);
    // Records in the FISH_DATA of the book at path, on a short connection of its own.
    static int records(const QString& path, const QString& where = QString());

private:
    QTemporaryDir m_dir;
};

} // namespace kelpora::testing
