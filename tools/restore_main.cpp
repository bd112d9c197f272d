#include "bookcare/BookRestore.h"
#include "ToolMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
        "usage: kelpora-restore BACKUP.fbk [DIR]\n"
        "  Restores the backup into DIR/KELPORA.FDB (DIR defaults to the current directory).\n"
        "  A book already there is not overwritten: it is renamed to\n"
        "  KELPORA-replaced-yyyymmdd-hhmmss.FDB beside it first.\n"
        "  With KELPORA_DATABASE naming a server book, the server restores the backup\n"
        "  sent from here, after saving its book as DIR/KELPORA-replaced-*.fbk.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.size() > 2 || args[0].startsWith(u'-') || (args.size() == 2 && args[1].startsWith(u'-')))
        return usage();
    const QString dir = args.size() == 2 ? args[1] : QDir::currentPath();

    return kelpora::tools::runTool("kelpora-restore", [&] {
        using kelpora::tools::say;
        const kelpora::bookcare::BookRestore::Result r = kelpora::bookcare::BookRestore::run(args[0], dir);
        say(QStringLiteral("%1 に釣果記録を復元しました（記録 %2 件）。")
                .arg(QDir::toNativeSeparators(r.book))
                .arg(r.records));
        // A server's book cannot be moved aside from here; a backup of it is kept instead.
        if (r.replaced.endsWith(QLatin1String(".fbk")))
            say(QStringLiteral("それまでの釣果記録は %1 にバックアップしました。").arg(QDir::toNativeSeparators(r.replaced)));
        else if (!r.replaced.isEmpty())
            say(QStringLiteral("それまでの釣果記録は %1 に移しました。").arg(QDir::toNativeSeparators(r.replaced)));
        if (!r.checked)
            say(QStringLiteral("このバックアップには検査記録（.check）がないため、中身の照合はしていません。"));
        return 0;
    });
}
