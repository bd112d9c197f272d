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

std::vector<long> errorCodes(Firebird::IStatus* status)
{
    std::vector<long> codes;
    const intptr_t* v = status->getErrors();
    // The vector is (argument kind, value) pairs; only the error codes are kept.
    for (; v && v[0] != isc_arg_end; v += 2)
        if (v[0] == isc_arg_gds)
            codes.push_back(long(v[1]));
    return codes;
}

void rethrow(const Firebird::FbException& e)
{
    throw DbError(formatStatus(e.getStatus()), errorCodes(e.getStatus()));
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
