#include "bookcare/PictureFolder.h"

#include "bookcare/CsvExport.h"
#include "bookcare/Excerpt.h"
#include "bookcare/FileError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <memory>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelpora::bookcare {

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) { }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

QString canonical(const QString& path, int* error)
{
    char resolved[PATH_MAX];
    if (!::realpath(QFile::encodeName(path).constData(), resolved)) {
        *error = errno;
        return {};
    }
    return QFile::decodeName(resolved);
}

QByteArray readAll(int fd, const QString& shown)
{
    QByteArray bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw PictureFolder::Refusal{
                QStringLiteral("写真のファイル %1 を読めません: %2").arg(shown, FileError::causeText(errno))};
        if (n == 0)
            return bytes;
        bytes.append(buffer, n);
    }
}

} // namespace

PictureFolder::PictureFolder(const QString& csvPath)
    : m_name(CsvExport::picturesDirName(csvPath)),
      m_path(QFileInfo(csvPath).absoluteDir().absoluteFilePath(m_name))
{
    int error = 0;
    m_canonical = canonical(m_path, &error);
}

QString PictureFolder::checkedWithin(const QString& relative) const
{
    if (relative.contains(QChar(u'\0')))
        throw Refusal{QStringLiteral("写真のファイル名に NUL 文字 (0x00) があります")};
    const QString shown = excerpt(relative, 80);
    const QString only = QStringLiteral("写真は %1/ の中のファイルだけを読みます").arg(m_name);
    if (relative.startsWith(u'/'))
        throw Refusal{QStringLiteral("「%1」は絶対パスです。%2").arg(shown, only)};
    const QStringList parts = relative.split(u'/');
    if (parts.contains(QStringLiteral("..")))
        throw Refusal{QStringLiteral("「%1」は「..」を含みます。%2").arg(shown, only)};
    if (parts.size() < 2 || parts.front() != m_name)
        throw Refusal{QStringLiteral("「%1」は %2/ の中にありません。%3").arg(shown, m_name, only)};
    if (m_canonical.isEmpty())
        throw Refusal{QStringLiteral("写真のフォルダ %1 がありません").arg(QDir::toNativeSeparators(m_path))};

    int error = 0;
    const QString target = canonical(m_path + u'/' + parts.mid(1).join(u'/'), &error);
    if (target.isEmpty())
        throw Refusal{error == ENOENT
                ? QStringLiteral("写真のファイル %1 がありません").arg(shown)
                : QStringLiteral("写真のファイル %1 を読めません: %2").arg(shown, FileError::causeText(error))};
    if (!target.startsWith(m_canonical + u'/'))
        throw Refusal{QStringLiteral("「%1」はシンボリックリンクで %2/ の外を指しています。%3").arg(shown, m_name, only)};
    return target.mid(m_canonical.size() + 1);
}

QByteArray PictureFolder::read(const QString& relative) const
{
    const QString inside = checkedWithin(relative);
    const QString shown = excerpt(relative, 80);
    // Component by component without following links: the path was resolved above, so a
    // link found now was put there since, and is refused rather than followed.
    auto dir = std::make_unique<Fd>(::open(QFile::encodeName(m_canonical).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const QStringList parts = inside.split(u'/');
    for (qsizetype i = 0; dir->get() >= 0 && i + 1 < parts.size(); ++i)
        dir = std::make_unique<Fd>(::openat(dir->get(), QFile::encodeName(parts[i]).constData(),
            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const Fd file(dir->get() < 0 ? -1
                                 : ::openat(dir->get(), QFile::encodeName(parts.back()).constData(),
                                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        throw Refusal{QStringLiteral("写真のファイル %1 を読めません: %2").arg(shown, FileError::causeText(errno))};
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw Refusal{QStringLiteral("%1 は普通のファイルではありません").arg(shown)};
    return readAll(file.get(), shown);
}

} // namespace kelpora::bookcare
