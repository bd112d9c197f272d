#include "core/Connection.h"

#include "core/SqlQuery.h"

namespace kelpora {

IBDatabase::Params Connection::bookParams()
{
    return {QStringLiteral("zkw"), QStringLiteral("9157"), 1};
}

void Connection::createBook(const QString& path, bool forcedWrites)
{
    IBDatabase::createDatabase(path, bookParams(), forcedWrites);
}

Connection::Connection(const QString& path) : m_db(bookParams()), m_tr(m_db)
{
    m_db.setDatabaseName(path);
    m_db.setDefaultTransaction(&m_tr);
}

Connection::~Connection()
{
    close();
}

void Connection::execute(const QString& sql)
{
    SqlQuery q(*this);
    q.addSql(sql);
    q.execute();
    commit();
}

} // namespace kelpora
