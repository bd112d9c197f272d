#include "bookcare/BookBackup.h"
#include "ToolMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
        "usage: kelpora-backup [--if-changed] [DIR]\n"
        "  Backs up DIR/KELPORA.FDB (DIR defaults to the current directory) into\n"
        "  DIR/backups/KELPORA-yyyymmdd-hhmmss.fbk, checks the backup by restoring it,\n"
        "  and keeps the 20 newest good backups.\n"
        "  --if-changed  makes none when the book has not changed since the newest backup.\n"
        "  With KELPORA_DATABASE set, the book it names (on a server, say) is backed up,\n"
        "  and the backup still lands in DIR/backups on this computer.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    kelpora::bookcare::BookBackup::Options options;
    options.onlyIfChanged = args.removeAll(QStringLiteral("--if-changed")) > 0;
    if (args.size() > 1 || (args.size() == 1 && args[0].startsWith(u'-')))
        return usage();
    const QString dir = args.isEmpty() ? QDir::currentPath() : args[0];

    return kelpora::tools::runTool("kelpora-backup", [&] {
        using kelpora::bookcare::BookBackup;
        using kelpora::tools::say;
        const BookBackup::Result r = BookBackup::run(dir, options);
        if (r.outcome == BookBackup::Outcome::Unchanged) {
            say(QStringLiteral("前回のバックアップ（%1）から変更がないため、バックアップは作りませんでした。")
                    .arg(QDir::toNativeSeparators(r.file)));
            return 0;
        }
        say(QStringLiteral("バックアップを作りました: %1（記録 %2 件、復元して照合済み）")
                .arg(QDir::toNativeSeparators(r.file))
                .arg(r.records));
        if (!r.removed.isEmpty())
            say(QStringLiteral("古いバックアップ %1 件を削除しました。").arg(r.removed.size()));
        return 0;
    });
}
