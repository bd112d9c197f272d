#include "core/FbClient.h"

#include "core/EngineLockFolder.h"
#include "core/Error.h"

#include <array>
#include <atomic>
#include <cerrno>

namespace kelpora::fb {

Firebird::IMaster* master()
{
    // The engine reads its lock folder once, when it first starts.
    static Firebird::IMaster* const instance = (useOwnLockFolder(), Firebird::fb_get_master_interface());
    return instance;
}

Firebird::IUtil* util()
{
    return master()->getUtilInterface();
}

QString formatStatus(Firebird::IStatus* status)
{
    std::array<char, 2048> buffer{};
    const unsigned length = util()->formatStatus(buffer.data(), unsigned(buffer.size()), status);
    // The client writes its messages in the system's 8-bit encoding.
    return QString::fromLocal8Bit(buffer.data(), qsizetype(length)).trimmed();
}

namespace {

// Reads the status vector's codes rather than its text, which is English and may change.
DbError::Cause causeOf(const intptr_t* v)
{
    bool ioError = false;
    bool openFailed = false;
    for (; v && v[0] != isc_arg_end; v += 2) {
        const intptr_t kind = v[0];
        const intptr_t value = v[1];
        if (kind == isc_arg_gds) {
            switch (value) {
            case isc_network_error:
            case isc_net_connect_err:
            case isc_net_read_err:
            case isc_net_write_err:
            case isc_conn_lost:
            case isc_lost_db_connection:
            case isc_att_shutdown:
                return DbError::Cause::ServerUnreachable;
            case isc_already_opened:
                return DbError::Cause::BookInUse;
            case isc_bad_db_format:
            case isc_wrong_ods:
            case isc_db_corrupt:
                return DbError::Cause::NotABook;
            case isc_no_priv:
            case isc_read_only_database:
                return DbError::Cause::NoPermission;
            case isc_io_error:
                ioError = true;
                break;
            case isc_io_open_err:
                openFailed = true;
                break;
            default:
                break;
            }
        } else if (kind == isc_arg_unix && openFailed) {
            if (value == ENOENT)
                return DbError::Cause::NoBook;
            if (value == EACCES || value == EPERM || value == EROFS)
                return DbError::Cause::NoPermission;
        }
    }
    // An I/O error other than opening (a short read) means the file is not a whole book.
    return ioError && !openFailed ? DbError::Cause::NotABook : DbError::Cause::Other;
}

} // namespace

namespace {

std::atomic<quint64> g_lostConnections{0};

} // namespace

quint64 lostConnections() noexcept
{
    return g_lostConnections.load(std::memory_order_relaxed);
}

void rethrow(const Firebird::FbException& e)
{
    const DbError::Cause cause = causeOf(e.getStatus()->getErrors());
    if (cause == DbError::Cause::ServerUnreachable)
        g_lostConnections.fetch_add(1, std::memory_order_relaxed);
    throw DbError(formatStatus(e.getStatus()), cause);
}

Status::Status() : m_wrapper(master()->getStatus())
{ }
Status::~Status()
{
    m_wrapper.dispose();
}

QuietStatus::QuietStatus() : m_wrapper(master()->getStatus())
{ }
QuietStatus::~QuietStatus()
{
    m_wrapper.dispose();
}
bool QuietStatus::failed() const
{
    return (m_wrapper.getState() & Firebird::IStatus::STATE_ERRORS) != 0;
}

} // namespace kelpora::fb
