#include "core/EngineLockFolder.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace kelpora::fb {

namespace {

// A folder only this user can enter: made if missing, refused if it is a link or
// someone else's.
bool privateFolder(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 0077) == 0 || ::chmod(path.constData(), 0700) == 0;
}

QByteArray cacheHome()
{
    const QByteArray xdg = qgetenv("XDG_CACHE_HOME");
    if (xdg.startsWith('/'))
        return xdg;
    const QByteArray home = qgetenv("HOME");
    if (!home.startsWith('/'))
        return {};
    const QByteArray cache = home + "/.cache";
    ::mkdir(cache.constData(), 0700);
    return cache;
}

QByteArray chooseFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && ::access(runtime.constData(), W_OK) == 0) {
        const QByteArray folder = runtime + "/kelpora-firebird";
        if (privateFolder(folder))
            return folder;
    }
    const QByteArray cache = cacheHome();
    if (!cache.isEmpty()) {
        const QByteArray folder = cache + "/kelpora-firebird";
        if (privateFolder(folder))
            return folder;
    }
    // No home to speak of (a service account): a folder of this user's own in /tmp.
    const QByteArray folder = "/tmp/kelpora-firebird-" + QByteArray::number(uint(::geteuid()));
    return privateFolder(folder) ? folder : QByteArray();
}

} // namespace

QString useOwnLockFolder()
{
    static const QString chosen = [] {
        if (qEnvironmentVariableIsSet("FIREBIRD_LOCK"))
            return qEnvironmentVariable("FIREBIRD_LOCK");
        const QByteArray folder = chooseFolder();
        if (!folder.isEmpty())
            ::setenv("FIREBIRD_LOCK", folder.constData(), 1);
        return QFile::decodeName(folder);
    }();
    return chosen;
}

} // namespace kelpora::fb
