#include "bookcare/DiskSpace.h"

#include <QDir>
#include <QFile>

#include <sys/statvfs.h>

namespace kelpora::bookcare {

namespace {

// Less than this is no room for even one more step of a backup or a restore: the
// engine writes in pages and extends files in chunks of several of them.
constexpr unsigned long long kTooLittle = 4ull * 1024 * 1024;

} // namespace

bool diskIsFull(const QString& folder)
{
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(folder).constData(), &st) != 0)
        return false;
    return static_cast<unsigned long long>(st.f_bavail) * st.f_frsize < kTooLittle;
}

Error diskFullError(const QString& folder)
{
    return Error(QStringLiteral("ディスクの空きがありません（%1）。空きを作ってからもう一度実行してください。"
                                "釣果記録は元のままです。")
                     .arg(QDir::toNativeSeparators(folder)));
}

} // namespace kelpora::bookcare
