#include "core/EngineLockFolder.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelpora::fb {

namespace {

// Held locked for the life of the process: a folder whose file can be locked by
// someone else belongs to a process that is gone.
constexpr const char* kAlive = "alive";
constexpr const char* kRunPrefix = "run-";
constexpr const char* kSetHere = "KELPORA_OWN_FIREBIRD_LOCK";

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

QByteArray userFolder()
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

void removeFoldersOfEndedProcesses(const QByteArray& user)
{
    const QDir dir(QFile::decodeName(user));
    for (const QString& name : dir.entryList({QLatin1String(kRunPrefix) + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString run = dir.absoluteFilePath(name);
        const int fd = ::open(QFile::encodeName(run + u'/' + QLatin1String(kAlive)).constData(), O_RDWR | O_CLOEXEC);
        // One without the file is either being made this instant or was never finished.
        if (fd < 0 && QFileInfo(run).lastModified().secsTo(QDateTime::currentDateTime()) < 60)
            continue;
        const bool ended = fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (ended)
            QDir(run).removeRecursively();
        if (fd >= 0)
            ::close(fd);
    }
}

QByteArray processFolder()
{
    const QByteArray user = userFolder();
    if (user.isEmpty())
        return {};
    removeFoldersOfEndedProcesses(user);
    QByteArray templ = user + '/' + kRunPrefix + "XXXXXX";
    if (!::mkdtemp(templ.data()))
        return {};
    // Left open for the life of the process, and not passed on to the programs it starts.
    const int fd = ::open((templ + '/' + kAlive).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
        return {};
    return templ;
}

} // namespace

QString useOwnLockFolder()
{
    static const QString chosen = [] {
        // A folder set by the user stays; one this code set in a parent process is the
        // parent's, and may go with it.
        const QByteArray given = qgetenv("FIREBIRD_LOCK");
        if (!given.isEmpty() && given != qgetenv(kSetHere))
            return QFile::decodeName(given);
        const QByteArray folder = processFolder();
        if (!folder.isEmpty()) {
            ::setenv("FIREBIRD_LOCK", folder.constData(), 1);
            ::setenv(kSetHere, folder.constData(), 1);
        }
        return QFile::decodeName(folder);
    }();
    return chosen;
}

} // namespace kelpora::fb
