#include "bookcare/CsvImport.h"
#include "ToolMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
        "usage: kelpora-import IN.csv DIR\n"
        "  Makes a new DIR/KELPORA.FDB from a CSV written by kelpora-export and the\n"
        "  picture files it names. An existing book is never touched.\n"
        "  With KELPORA_DATABASE set, the book it names is made instead (a server makes it\n"
        "  from a backup this tool sends).\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2 || args[0].startsWith(u'-') || args[1].startsWith(u'-'))
        return usage();

    return kelpora::tools::runTool("kelpora-import", [&] {
        const kelpora::bookcare::CsvImport::Result r = kelpora::bookcare::CsvImport::run(args[0], args[1]);
        kelpora::tools::say(QStringLiteral("%1 を作り、記録 %2 件と写真など %3 枚を読み込みました。")
                                .arg(QDir::toNativeSeparators(r.book))
                                .arg(r.records)
                                .arg(r.pictures));
        return 0;
    });
}
