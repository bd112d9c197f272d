#include "bookcare/Leftovers.h"

#include "bookcare/BackupFolder.h"

#include "core/DM_1.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace kelpora::bookcare {

namespace {

// Whether name is a second (hard) name of book; a symbolic link is someone else's doing.
bool secondName(const QString& name, const QString& book)
{
    struct stat sa {};
    struct stat sb {};
    return ::lstat(QFile::encodeName(name).constData(), &sa) == 0 && S_ISREG(sa.st_mode)
        && ::stat(QFile::encodeName(book).constData(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

void removeLeftovers(const QString& dirPath)
{
    const QDir dir(dirPath);
    const QString book = dir.absoluteFilePath(QLatin1String(TDM1::kFileName));
    if (!QFile::exists(book))
        return;
    for (const QString& name : dir.entryList({QStringLiteral(".restore-*"), QStringLiteral(".import-*")},
             QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        QDir(dir.absoluteFilePath(name)).removeRecursively();
    for (const QString& name : dir.entryList({QStringLiteral("KELPORA-replaced-*.FDB")}, QDir::Files))
        if (secondName(dir.absoluteFilePath(name), book))
            QFile::remove(dir.absoluteFilePath(name));
    BackupFolder(dirPath).removeLeftovers();
}

} // namespace kelpora::bookcare
