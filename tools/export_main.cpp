#include "bookcare/CsvExport.h"
#include "ToolMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
        "usage: kelpora-export [DIR] OUT.csv\n"
        "  Writes every record of DIR/KELPORA.FDB (DIR defaults to the current directory)\n"
        "  to OUT.csv (UTF-8, RFC 4180) and its pictures into OUT_pictures/ beside it.\n"
        "  Existing files are never overwritten.\n"
        "  With KELPORA_DATABASE set, the book it names is exported instead.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.size() > 2)
        return usage();
    for (const QString& a : args)
        if (a.startsWith(u'-'))
            return usage();
    const QString dir = args.size() == 2 ? args[0] : QDir::currentPath();
    const QString csv = args.back();

    return kelpora::tools::runTool("kelpora-export", [&] {
        using kelpora::tools::say;
        const kelpora::bookcare::CsvExport::Result r = kelpora::bookcare::CsvExport::run(dir, csv);
        for (const QString& warning : r.warnings)
            std::fprintf(stderr, "kelpora-export: 警告: %s\n", warning.toUtf8().constData());
        say(QStringLiteral("記録 %1 件を %2 に、写真など %3 枚を %4 に書き出しました。")
                .arg(r.records)
                .arg(QDir::toNativeSeparators(QDir(csv).absolutePath()))
                .arg(r.pictures)
                .arg(QDir::toNativeSeparators(r.picturesDir)));
        return 0;
    });
}
