#include "bookcare/CatchDatabase.h"
#include "bookcare/DemoData.h"

#include "core/BookLocation.h"
#include "core/DM_1.h"
#include "core/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int kMostDemoRecords = 1'000'000;

int usage()
{
    std::fprintf(stderr,
        "usage: kelpora-initdb [--demo N] [DIR]\n"
        "  Creates DIR/KELPORA.FDB (DIR defaults to the current directory).\n"
        "  --demo N  fills the new file with N made-up catch records (1..%d).\n"
        "  An existing file is never touched.\n"
        "  With KELPORA_DATABASE set, the book it names is created instead.\n",
        kMostDemoRecords);
    return 2;
}

bool wantsDemo(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--demo") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // The demo pictures are drawn with QPainter, which needs a GUI application; no
    // screen is needed for that, so default to the offscreen platform.
    const bool demo = wantsDemo(argc, argv);
    if (demo && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (demo)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    QStringList args = QCoreApplication::arguments().mid(1);
    int records = 0;
    if (demo) {
        const qsizetype at = args.indexOf(QStringLiteral("--demo"));
        if (at + 1 >= args.size())
            return usage();
        bool ok = false;
        records = args[at + 1].toInt(&ok);
        if (!ok || records < 1 || records > kMostDemoRecords)
            return usage();
        args.remove(at, 2);
    }
    if (args.size() > 1 || (args.size() == 1 && args[0].startsWith(u'-')))
        return usage();
    const QString dir = args.isEmpty() ? QDir::currentPath() : args[0];
    if (!kelpora::BookLocation::fromEnvironment() && !QFileInfo(dir).isDir()) {
        std::fprintf(stderr, "kelpora-initdb: フォルダー %s がありません。先に作ってください（mkdir -p %s）。\n",
            qPrintable(QDir::toNativeSeparators(dir)), qPrintable(dir));
        return 1;
    }
    const QString path = kelpora::BookLocation::databaseName(dir);
    QElapsedTimer timer;
    timer.start();
    try {
        if (demo) {
            kelpora::bookcare::DemoOptions options;
            options.records = records;
            kelpora::bookcare::createDemoDatabase(path, options);
        } else {
            kelpora::bookcare::createCatchDatabase(path);
        }
    } catch (const kelpora::DbError& e) {
        const QString why = e.cause() == kelpora::DbError::Cause::NoPermission
            ? QStringLiteral("フォルダーに書き込む権限がありません")
            : e.text().split(u'\n', Qt::SkipEmptyParts).join(u' ');
        std::fprintf(stderr, "kelpora-initdb: %s を作れません（%s）。\n", qPrintable(QDir::toNativeSeparators(path)),
            qPrintable(why));
        return 1;
    } catch (const kelpora::Error& e) {
        std::fprintf(stderr, "kelpora-initdb: %s\n", qPrintable(e.text()));
        return 1;
    }
    if (demo)
        std::printf(
            "created %s with %d demo records in %.1f s\n", qPrintable(path), records, double(timer.elapsed()) / 1000.0);
    else
        std::printf("created %s\n", qPrintable(path));
    return 0;
}
