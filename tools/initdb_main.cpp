#include "CatchDatabase.h"

#include "core/DM_1.h"
#include "core/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: kelpora-initdb [DIR]\n"
                         "  Creates DIR/KELPORA.FDB (DIR defaults to the current directory).\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && args[0].startsWith(u'-')))
        return usage();
    const QString dir = args.isEmpty() ? QDir::currentPath() : args[0];
    const QString path = QDir(dir).absoluteFilePath(QLatin1String(TDM1::kFileName));
    try {
        kelpora::tools::createCatchDatabase(path);
    } catch (const kelpora::Error& e) {
        std::fprintf(stderr, "kelpora-initdb: %s\n", qPrintable(e.text()));
        return 1;
    }
    std::printf("created %s\n", qPrintable(path));
    return 0;
}
