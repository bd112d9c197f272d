#include "FbClient.h"

#include "Error.h"

#include <array>

namespace kelpora::fb {

Firebird::IMaster* master()
{
    static Firebird::IMaster* const instance = Firebird::fb_get_master_interface();
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

void rethrow(const Firebird::FbException& e)
{
    throw DbError(formatStatus(e.getStatus()));
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
