#include "BookFolder.h"

#include "support/TempDatabase.h"

#include "core/DM_1.h"
#include "core/SqlQuery.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace kelpora::testing {

BookFolder::BookFolder(bool withBook)
{
    if (withBook) {
        EXPECT_TRUE(QFile::copy(QStringLiteral(KELPORA_TEST_DEMO_BOOK), book()));
        QFile::setPermissions(book(), QFile::ReadOwner | QFile::WriteOwner);
    }
}

void BookFolder::withDataModule(const std::function<void(TDM1&)>& work) const
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(path());
    {
        TDM1 dm;
        DM1 = &dm;
        work(dm);
        DM1 = nullptr;
    }
    QDir::setCurrent(previous);
}

void BookFolder::execute(const QString& sql) const
{
    withDataModule([&](TDM1& dm) {
        SqlQuery q(dm.IBDB2, dm.IBTr2);
        q.addSql(sql);
        q.execute();
        dm.IBTr2.commitRetaining();
    });
}

QStringList BookFolder::listing() const
{
    QStringList out;
    QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(m_dir.path()).relativeFilePath(it.next());
    out.sort();
    return out;
}

QByteArray BookFolder::fileHash(const QString& path)
{
    return QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha256).toHex();
}

QByteArray BookFolder::readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void BookFolder::writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

int BookFolder::records(const QString& path, const QString& where)
{
    return TempDatabase::countRows(path, where);
}

} // namespace kelpora::testing
