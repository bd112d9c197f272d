#include "bookcare/FileSync.h"

#include "core/Error.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace kelpora::bookcare {

namespace {

void sync(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!ok)
        throw Error(QStringLiteral("%1 をディスクに書き込めません。").arg(QDir::toNativeSeparators(path)));
}

} // namespace

void syncFile(const QString& path)
{
    sync(path, O_RDONLY);
}

void syncDirectory(const QString& path)
{
    sync(path, O_RDONLY | O_DIRECTORY);
}

} // namespace kelpora::bookcare
