#include "bookcare/BackupCheck.h"

#include "core/Error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kelpora::bookcare {

namespace {

// The hashes are BLAKE2b-256; a later change of algorithm changes this line, so an old
// record is never read with the wrong one.
constexpr const char* kHeading = "# kelpora-backup check, blake2b-256";

bool isHash(const QByteArray& hex)
{
    return hex.size() == 64 && QByteArray::fromHex(hex).toHex() == hex.toLower();
}

} // namespace

QString BackupCheck::pathFor(const QString& backupPath)
{
    return backupPath + QStringLiteral(".check");
}

std::optional<BackupCheck> BackupCheck::read(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = f.readAll().split('\n');
    if (lines.isEmpty() || lines.front().trimmed() != kHeading)
        return std::nullopt;
    BackupCheck check;
    bool hasRecords = false;
    for (const QByteArray& line : lines) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "made")
            check.made = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
        else if (key == "records")
            check.records = value.toLongLong(&hasRecords);
        else if (key == "stamp")
            check.stamp = value;
        else if (key == "file")
            check.fileHash = value;
    }
    if (!hasRecords || check.records < 0 || !isHash(check.stamp) || !isHash(check.fileHash))
        return std::nullopt;
    return check;
}

std::optional<BackupCheck> BackupCheck::readIfThere(const QString& path)
{
    if (!QFileInfo::exists(path))
        return std::nullopt;
    auto check = read(path);
    if (!check)
        throw Error(QStringLiteral("検査記録 %1 が壊れているか読めないため、作ったときのままか確かめられません")
                        .arg(QDir::toNativeSeparators(path)));
    return check;
}

void BackupCheck::write(const QString& path) const
{
    QByteArray text = QByteArray(kHeading) + '\n';
    text += "made=" + made.toString(Qt::ISODateWithMs).toLatin1() + '\n';
    text += "records=" + QByteArray::number(records) + '\n';
    text += "stamp=" + stamp + '\n';
    text += "file=" + fileHash + '\n';
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || !f.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
        || f.write(text) != text.size() || !f.commit())
        throw Error(QStringLiteral("%1 を書けません: %2").arg(QDir::toNativeSeparators(path), f.errorString()));
}

QByteArray BackupCheck::hashFile(const QString& path)
{
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    if (!f.open(QIODevice::ReadOnly) || !hash.addData(&f))
        throw Error(QStringLiteral("%1 を読めません: %2").arg(QDir::toNativeSeparators(path), f.errorString()));
    return hash.result().toHex();
}

} // namespace kelpora::bookcare
