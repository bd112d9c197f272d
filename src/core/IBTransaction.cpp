#include "core/IBTransaction.h"

#include "core/FbClient.h"
#include "core/IBDatabase.h"

#include <atomic>

namespace kelpora {

namespace {

std::atomic<quint64> g_changes{0};

// Another computer's correction commits within moments of its execution, so a short
// wait lets the second one through; a record held longer fails its writer instead of
// freezing the windows.
constexpr int kLockTimeoutSeconds = 5;

fb::Ref<Firebird::IXpbBuilder> readCommittedTpb(Firebird::ThrowStatusWrapper* st)
{
    fb::Ref<Firebird::IXpbBuilder> tpb(fb::util()->getXpbBuilder(st, Firebird::IXpbBuilder::TPB, nullptr, 0));
    tpb->insertTag(st, isc_tpb_write);
    tpb->insertTag(st, isc_tpb_read_committed);
    tpb->insertTag(st, isc_tpb_rec_version);
    tpb->insertTag(st, isc_tpb_wait);
    tpb->insertInt(st, isc_tpb_lock_timeout, kLockTimeoutSeconds);
    return tpb;
}

} // namespace

quint64 IBTransaction::changeCount() noexcept
{
    return g_changes.load(std::memory_order_relaxed);
}

void IBTransaction::noteChange() noexcept
{
    g_changes.fetch_add(1, std::memory_order_relaxed);
}

struct IBTransaction::Handle {
    fb::Ref<Firebird::ITransaction> ref;
};

IBTransaction::IBTransaction(IBDatabase& db) : m_db(db)
{ }

IBTransaction::~IBTransaction()
{
    end();
    // The database may outlive us; it must not end a transaction that is gone.
    if (m_db.defaultTransaction() == this)
        m_db.setDefaultTransaction(nullptr);
}

bool IBTransaction::active() const
{
    return m_transaction != nullptr;
}

Firebird::ITransaction* IBTransaction::handle()
{
    if (!m_db.connected())
        m_transaction.reset(); // the old one died with its attachment
    if (!m_transaction) {
        Firebird::IAttachment* att = m_db.attachment();
        auto handle = std::make_unique<Handle>();
        handle->ref = fb::call([&](Firebird::ThrowStatusWrapper* st) {
            if (!m_readCommitted)
                return fb::Ref<Firebird::ITransaction>(att->startTransaction(st, 0, nullptr));
            const fb::Ref<Firebird::IXpbBuilder> tpb = readCommittedTpb(st);
            return fb::Ref<Firebird::ITransaction>(
                att->startTransaction(st, tpb->getBufferLength(st), tpb->getBuffer(st)));
        });
        m_transaction = std::move(handle);
        noteChange();
    }
    return m_transaction->ref.get();
}

void IBTransaction::commitRetaining()
{
    Firebird::ITransaction* tr = handle();
    noteChange();
    fb::call([&](Firebird::ThrowStatusWrapper* st) { tr->commitRetaining(st); });
}

void IBTransaction::rollbackRetaining()
{
    // Nothing is pending on an attachment that is gone (a server that went away): it is
    // not made again only to roll nothing back.
    if (!m_db.connected()) {
        m_transaction.reset();
        return;
    }
    Firebird::ITransaction* tr = handle();
    noteChange();
    fb::call([&](Firebird::ThrowStatusWrapper* st) { tr->rollbackRetaining(st); });
}

void IBTransaction::end() noexcept
{
    if (!m_transaction)
        return;
    noteChange();
    fb::QuietStatus st;
    m_transaction->ref->commit(&st);
    if (!st.failed())
        (void)m_transaction->ref.release(); // commit() released it
    m_transaction.reset();
}

} // namespace kelpora
