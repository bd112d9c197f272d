#include "bookcare/FileSync.h"

#include "bookcare/FileError.h"

#include <QDir>

#include <cerrno>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace kelpora::bookcare {

namespace {

void sync(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0 && ::fsync(fd) != 0)
        error = errno;
    if (fd >= 0)
        ::close(fd);
    if (error != 0)
        throw FileError::of(path, QStringLiteral("をディスクに書き込めません"), error);
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
