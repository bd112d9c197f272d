#include "support/TempDatabase.h"

#include "bookcare/CatchDatabase.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"

#include <QDir>

namespace kelpora::testing {

TempDatabase::TempDatabase(bool create) : m_previousDir(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
    if (create)
        createFile();
    m_dm = std::make_unique<TDM1>();
    DM1 = m_dm.get();
}

TempDatabase::~TempDatabase()
{
    DM1 = nullptr;
    m_dm.reset();
    QDir::setCurrent(m_previousDir);
}

QString TempDatabase::dir() const
{
    return m_dir.path();
}

QString TempDatabase::path() const
{
    return QDir(m_dir.path()).absoluteFilePath(QStringLiteral("KELPORA.FDB"));
}

void TempDatabase::createFile()
{
    bookcare::createCatchDatabase(path());
}

int TempDatabase::countRows(const QString& path, const QString& where)
{
    Connection book(path);
    SqlQuery q(book);
    q.addSql(QStringLiteral("select count(*) from FISH_DATA ") + where);
    q.open();
    return q.aggregateInteger();
}

} // namespace kelpora::testing
