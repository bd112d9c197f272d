#include "bookcare/AtomicFile.h"

#include "bookcare/FileError.h"
#include "bookcare/FileSync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelpora::bookcare {

namespace {

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

const QString& writing()
{
    static const QString text = QStringLiteral("を書けません");
    return text;
}

void writeAll(int fd, const char* data, qsizetype size, const QString& shownPath)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw FileError::of(shownPath, writing(), errno);
        if (n == 0) // only a full disk stops a regular file short without an error
            throw FileError::of(shownPath, writing(), ENOSPC);
        data += n;
        size -= n;
    }
}

void syncAndClose(int fd, const QString& shownPath)
{
    const int synced = ::fsync(fd);
    const int syncError = errno;
    const int closed = ::close(fd);
    if (synced != 0)
        throw FileError::of(shownPath, writing(), syncError);
    if (closed != 0 && errno != EINTR)
        throw FileError::of(shownPath, writing(), errno);
}

// "DIR/.NAME.part-1a2b3c4d", made by make (which is exclusive, as O_EXCL and mkdir are,
// so nothing that was there already is ever written through); returns make's result.
template <typename Make> int createHidden(const QString& path, QString& temporary, Make make)
{
    const QFileInfo info(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = info.dir().filePath(QStringLiteral(".%1.part-%2")
                                            .arg(info.fileName())
                                            .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
        const int made = make(encoded(temporary).constData());
        if (made >= 0)
            return made;
        if (errno != EEXIST)
            throw FileError::of(path, writing(), errno);
    }
    throw FileError::of(path, writing(), EEXIST);
}

int createTemporary(const QString& path, mode_t mode, QString& temporary)
{
    return createHidden(path, temporary,
        [mode](const char* name) { return ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode); });
}

} // namespace

AtomicFile::AtomicFile(const QString& path, mode_t mode, Replace replace)
    : m_path(QFileInfo(path).absoluteFilePath()), m_replace(replace)
{
    m_fd = createTemporary(m_path, mode, m_temporary);
}

AtomicFile::~AtomicFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed)
        ::unlink(encoded(m_temporary).constData());
}

void AtomicFile::write(const char* data, qsizetype size)
{
    writeAll(m_fd, data, size, m_path);
}

void AtomicFile::commit()
{
    const int fd = std::exchange(m_fd, -1);
    syncAndClose(fd, m_path);
    if (m_replace == Replace::Never) {
        renameNoReplace(m_temporary, m_path);
    } else if (::rename(encoded(m_temporary).constData(), encoded(m_path).constData()) != 0) {
        throw FileError::of(m_path, writing(), errno);
    }
    m_committed = true;
    syncDirectory(QFileInfo(m_path).absolutePath());
}

void AtomicFile::writeWhole(const QString& path, const QByteArray& bytes, mode_t mode, Replace replace)
{
    AtomicFile file(path, mode, replace);
    file.write(bytes);
    file.commit();
}

void writeNewFile(const QString& path, const QByteArray& bytes, mode_t mode)
{
    const int fd = ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        throw FileError::of(path, writing(), errno);
    try {
        writeAll(fd, bytes.constData(), bytes.size(), path);
    } catch (...) {
        ::close(fd);
        ::unlink(encoded(path).constData());
        throw;
    }
    syncAndClose(fd, path);
}

QString createTemporaryFolder(const QString& finalPath, mode_t mode)
{
    QString folder;
    createHidden(QFileInfo(finalPath).absoluteFilePath(), folder, [mode](const char* name) { return ::mkdir(name, mode); });
    return folder;
}

void renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return;
    if (errno != EINVAL && errno != ENOSYS)
        throw FileError::of(to, QStringLiteral("を置けません"), errno);
    // A file system without the flag: a hard link refuses an existing name the same way.
    struct stat st {};
    if (::lstat(source.constData(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        if (::link(source.constData(), target.constData()) != 0)
            throw FileError::of(to, QStringLiteral("を置けません"), errno);
        ::unlink(source.constData());
        return;
    }
    if (::lstat(target.constData(), &st) == 0)
        throw FileError::of(to, QStringLiteral("を置けません"), EEXIST);
    if (::rename(source.constData(), target.constData()) != 0)
        throw FileError::of(to, QStringLiteral("を置けません"), errno);
}

} // namespace kelpora::bookcare
