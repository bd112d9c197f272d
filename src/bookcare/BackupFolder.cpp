#include "bookcare/BackupFolder.h"

#include "bookcare/BackupCheck.h"

#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace kelpora::bookcare {

namespace {

const QRegularExpression& namePattern()
{
    static const QRegularExpression re(QStringLiteral("^KELPORA-(\\d{8}-\\d{6})(?:-(\\d+))?\\.fbk$"));
    return re;
}

} // namespace

BackupFolder::BackupFolder(const QString& bookDir) : m_path(QDir(bookDir).absoluteFilePath(QStringLiteral("backups")))
{ }

std::vector<BackupFolder::Entry> BackupFolder::entries() const
{
    std::vector<Entry> out;
    const QDir dir(m_path);
    for (const QString& name : dir.entryList({QStringLiteral("KELPORA-*.fbk")}, QDir::Files)) {
        const QRegularExpressionMatch m = namePattern().match(name);
        if (!m.hasMatch())
            continue;
        Entry e;
        e.path = dir.absoluteFilePath(name);
        e.stamp = m.captured(1);
        e.sequence = m.captured(2).isEmpty() ? 1 : m.captured(2).toInt();
        e.made = QDateTime::fromString(e.stamp, QStringLiteral("yyyyMMdd-HHmmss"));
        if (const auto check = BackupCheck::read(BackupCheck::pathFor(e.path))) {
            e.checked = true;
            e.records = check->records;
            e.bookStamp = check->stamp;
        }
        out.push_back(e);
    }
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.sequence < b.sequence;
    });
    return out;
}

std::optional<BackupFolder::Entry> BackupFolder::newestChecked() const
{
    const std::vector<Entry> all = entries();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->checked)
            return *it;
    return std::nullopt;
}

void BackupFolder::makePrivate() const
{
    constexpr auto owner = QFile::ReadOwner | QFile::WriteOwner;
    if (!QDir().mkpath(m_path) || !QFile::setPermissions(m_path, owner | QFile::ExeOwner))
        throw Error(QStringLiteral("バックアップのフォルダ %1 を作れません。").arg(QDir::toNativeSeparators(m_path)));
    const QDir dir(m_path);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        QFile::setPermissions(dir.absoluteFilePath(name), owner);
}

std::optional<BackupFolder::Entry> BackupFolder::unchangedSince(const QByteArray& stamp) const
{
    const std::vector<Entry> all = entries();
    std::optional<Entry> since;
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (!it->checked)
            continue;
        if (it->bookStamp != stamp)
            break;
        since = *it;
    }
    return since;
}

QString BackupFolder::newBackupPath(const QDateTime& time) const
{
    makePrivate();
    const QString stamp = time.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir dir(m_path);
    for (int sequence = 1;; ++sequence) {
        const QString name = sequence == 1 ? QStringLiteral("KELPORA-%1.fbk").arg(stamp)
                                           : QStringLiteral("KELPORA-%1-%2.fbk").arg(stamp).arg(sequence);
        const QString path = dir.absoluteFilePath(name);
        if (!QFile::exists(path) && !QFile::exists(path + QLatin1String(kUnfinishedSuffix))
            && !QFile::exists(BackupCheck::pathFor(path)))
            return path;
    }
}

namespace {

// Which of the checked backups, oldest first, prune keeps.
std::vector<bool> kept(const std::vector<BackupFolder::Entry>& checked, int keep, const QDateTime& now)
{
    const size_t n = checked.size();
    std::vector<bool> keeps(n, false);
    // Never down to none: the newest good backup always stays.
    for (size_t i = n - std::min(n, size_t(std::max(keep, 1))); i < n; ++i)
        keeps[i] = true;
    const QDateTime yearAgo = now.addYears(-1);
    size_t most = 0;
    for (size_t i = 0; i < n; ++i) {
        const bool thisYear = checked[i].made >= yearAgo;
        const bool lastOfMonth = i + 1 == n
            || checked[i + 1].made.toString(QStringLiteral("yyyyMM")) != checked[i].made.toString(QStringLiteral("yyyyMM"));
        const bool beforeDrop = i + 1 < n && checked[i + 1].records < checked[i].records;
        if (thisYear && (lastOfMonth || beforeDrop))
            keeps[i] = true;
        if (checked[i].records >= checked[most].records)
            most = i;
    }
    if (n > 0)
        keeps[most] = true;
    return keeps;
}

} // namespace

QStringList BackupFolder::prune(int keep, const QDateTime& now) const
{
    QStringList removed;
    std::vector<Entry> checked;
    for (const Entry& e : entries())
        if (e.checked)
            checked.push_back(e);
    const std::vector<bool> keeps = kept(checked, keep, now);
    for (size_t i = 0; i < checked.size(); ++i) {
        if (keeps[i])
            continue;
        const Entry& e = checked[i];
        // The file goes first: a check record without its file is ignored (and cleared
        // away later), a file without its check record would be kept for ever.
        if (QFile::remove(e.path)) {
            QFile::remove(BackupCheck::pathFor(e.path));
            removed << e.path;
        }
    }
    return removed;
}

void BackupFolder::removeLeftovers() const
{
    const QDir dir(m_path);
    for (const QString& name :
        dir.entryList({QStringLiteral("KELPORA-*.fbk") + QLatin1String(kUnfinishedSuffix)}, QDir::Files))
        QFile::remove(dir.absoluteFilePath(name));
    for (const QString& name :
        dir.entryList({QLatin1String(kCheckFolderPrefix) + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        QDir(dir.absoluteFilePath(name)).removeRecursively();
    for (const QString& name : dir.entryList({QStringLiteral("KELPORA-*.fbk.check")}, QDir::Files)) {
        const QString backup = dir.absoluteFilePath(name.chopped(int(qstrlen(".check"))));
        if (!QFile::exists(backup) && !QFile::exists(backup + QLatin1String(kUnfinishedSuffix)))
            QFile::remove(dir.absoluteFilePath(name));
    }
}

} // namespace kelpora::bookcare
