#include "bookcare/FaultPoint.h"

#include <QByteArray>

#include <csignal>

#include <unistd.h>

namespace kelpora::bookcare {

void faultPoint(const char* step)
{
    static const QByteArray wanted = qgetenv("KELPORA_FAULT_AT");
    if (wanted.isEmpty())
        return;
    const QByteArray name(step);
    if (wanted == name)
        ::kill(::getpid(), SIGKILL);
    if (wanted == name + ":hang")
        for (;;)
            ::pause();
}

} // namespace kelpora::bookcare
