#include "bookcare/FileError.h"

#include <QDir>

#include <cerrno>
#include <cstring>

namespace kelpora::bookcare {

bool FileError::diskFull() const noexcept
{
    return m_error == ENOSPC || m_error == EDQUOT;
}

bool FileError::isDiskFull(const Error& e)
{
    if (const auto* file = dynamic_cast<const FileError*>(&e))
        return file->diskFull();
    // The engine passes on the system's own wording, in English or in the user's language.
    for (const int error : {ENOSPC, EDQUOT})
        if (e.text().contains(QString::fromLocal8Bit(std::strerror(error)))
            || e.text().contains(QLatin1String(error == ENOSPC ? "No space left on device" : "Disk quota exceeded")))
            return true;
    return false;
}

FileError FileError::of(const QString& path, const QString& doing, int error)
{
    return FileError(QStringLiteral("%1 %2: %3").arg(QDir::toNativeSeparators(path), doing, causeText(error)), error);
}

QString FileError::causeText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("ディスクの空きがありません");
    case EDQUOT:
        return QStringLiteral("ディスクの空きがありません（使用量の上限に達しました）");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます");
    case EROFS:
        return QStringLiteral("読み出し専用のディスクです");
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込む権限がありません");
    case ENOENT:
        return QStringLiteral("フォルダかファイルがありません");
    case ENOTDIR:
        return QStringLiteral("途中にフォルダでないものがあります");
    case EEXIST:
    case ENOTEMPTY:
        return QStringLiteral("既に存在します");
    case EIO:
        return QStringLiteral("ディスクの読み書きに失敗しました（入出力エラー）");
    case ENAMETOOLONG:
        return QStringLiteral("名前が長すぎます");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます");
    case ELOOP:
        return QStringLiteral("シンボリックリンクです");
    case EISDIR:
        return QStringLiteral("フォルダです");
    case EXDEV:
        return QStringLiteral("別のディスクには移せません");
    default:
        return QStringLiteral("システムのエラー %1 (%2)").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace kelpora::bookcare
