#include "core/IBDatabase.h"

#include "core/BookLocation.h"
#include "core/FbClient.h"
#include "core/IBTransaction.h"

#include <QFile>

#include <atomic>

namespace kelpora {

struct IBDatabase::Handle {
    fb::Ref<Firebird::IAttachment> ref;
    bool remote = false;
    quint64 lostAt = 0;
};

namespace {

// A server that does not answer would otherwise hold the windows for the client's
// default of three minutes.
constexpr int kConnectTimeoutSeconds = 15;

std::atomic<quint64> g_serials{0};

fb::Ref<Firebird::IXpbBuilder> makeDpb(const IBDatabase::Params& params, bool remote)
{
    return fb::call([&](Firebird::ThrowStatusWrapper* st) {
        fb::Ref<Firebird::IXpbBuilder> dpb(fb::util()->getXpbBuilder(st, Firebird::IXpbBuilder::DPB, nullptr, 0));
        dpb->insertString(st, isc_dpb_user_name, params.user.toUtf8().constData());
        dpb->insertString(st, isc_dpb_password, params.password.toUtf8().constData());
        dpb->insertInt(st, isc_dpb_sql_dialect, params.dialect);
        if (remote)
            dpb->insertInt(st, isc_dpb_connect_timeout, kConnectTimeoutSeconds);
        return dpb;
    });
}

} // namespace

IBDatabase::IBDatabase(Params params) : m_params(std::move(params))
{ }

IBDatabase::~IBDatabase()
{
    close();
}

void IBDatabase::setBeforeConnect(std::function<void(IBDatabase&)> hook)
{
    m_beforeConnect = std::move(hook);
}

void IBDatabase::setDatabaseName(const QString& name)
{
    m_name = name;
}

QString IBDatabase::databaseName() const
{
    return m_name;
}

bool IBDatabase::connected() const
{
    return m_attachment != nullptr && !lost();
}

bool IBDatabase::lost() const
{
    return m_attachment && m_attachment->remote && m_attachment->lostAt != fb::lostConnections();
}

void IBDatabase::open()
{
    if (lost())
        close();
    if (m_attachment)
        return;
    if (m_beforeConnect)
        m_beforeConnect(*this);
    const bool remote = BookLocation::isServerBook(m_name);
    auto dpb = makeDpb(m_params, remote);
    const QByteArray file = QFile::encodeName(m_name);
    auto handle = std::make_unique<Handle>();
    handle->remote = remote;
    handle->lostAt = fb::lostConnections();
    handle->ref = fb::call([&](Firebird::ThrowStatusWrapper* st) {
        fb::Ref<Firebird::IProvider> provider(fb::master()->getDispatcher());
        return fb::Ref<Firebird::IAttachment>(
            provider->attachDatabase(st, file.constData(), dpb->getBufferLength(st), dpb->getBuffer(st)));
    });
    m_attachment = std::move(handle);
    m_serial = ++g_serials;
}

void IBDatabase::close() noexcept
{
    if (!m_attachment)
        return;
    if (m_defaultTransaction)
        m_defaultTransaction->end();
    fb::QuietStatus st;
    m_attachment->ref->detach(&st);
    if (!st.failed())
        (void)m_attachment->ref.release(); // detach() already released it; otherwise release() lets go
    m_attachment.reset();
}

Firebird::IAttachment* IBDatabase::attachment()
{
    open();
    return m_attachment->ref.get();
}

void IBDatabase::createDatabase(const QString& path, const Params& params, bool forcedWrites)
{
    auto dpb = makeDpb(params, BookLocation::isServerBook(path));
    fb::call([&](Firebird::ThrowStatusWrapper* st) {
        dpb->insertInt(st, isc_dpb_force_write, forcedWrites ? 1 : 0);
        fb::Ref<Firebird::IProvider> provider(fb::master()->getDispatcher());
        fb::Ref<Firebird::IAttachment> att(provider->createDatabase(
            st, QFile::encodeName(path).constData(), dpb->getBufferLength(st), dpb->getBuffer(st)));
        att->detach(st);
        (void)att.release(); // detach() released it; when it throws, the Ref lets go
    });
}

} // namespace kelpora
