#include "IBTransaction.h"

#include "IBDatabase.h"

namespace kelpora {

IBTransaction::IBTransaction(IBDatabase& db) : m_db(db)
{ }

IBTransaction::~IBTransaction()
{
    end();
    // The database may outlive us; it must not end a transaction that is gone.
    if (m_db.defaultTransaction() == this)
        m_db.setDefaultTransaction(nullptr);
}

Firebird::ITransaction* IBTransaction::handle()
{
    if (!m_db.connected())
        m_transaction.reset(); // the old one died with its attachment
    if (!m_transaction) {
        Firebird::IAttachment* att = m_db.attachment();
        m_transaction = fb::call([&](Firebird::ThrowStatusWrapper* st) {
            return fb::Ref<Firebird::ITransaction>(att->startTransaction(st, 0, nullptr));
        });
    }
    return m_transaction.get();
}

void IBTransaction::commitRetaining()
{
    Firebird::ITransaction* tr = handle();
    fb::call([&](Firebird::ThrowStatusWrapper* st) { tr->commitRetaining(st); });
}

void IBTransaction::rollbackRetaining()
{
    Firebird::ITransaction* tr = handle();
    fb::call([&](Firebird::ThrowStatusWrapper* st) { tr->rollbackRetaining(st); });
}

void IBTransaction::end() noexcept
{
    if (!m_transaction)
        return;
    fb::QuietStatus st;
    m_transaction->commit(&st);
    if (st.failed())
        m_transaction.reset();
    else
        (void)m_transaction.release(); // commit() released it
}

} // namespace kelpora
