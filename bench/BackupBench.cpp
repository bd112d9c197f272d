// What keeping a book safe costs on a big one: backup, restore, CSV export and import of
// the 20,000-record benchmark book, each against a plain copy of the book file measured
// in the same run (the floor any of them stands on: the same bytes read and written).
// Prints figures; checks nothing.

#include "BenchBook.h"
#include "Measure.h"

#include "bookcare/BackupCheck.h"
#include "bookcare/BookBackup.h"
#include "bookcare/BookRestore.h"
#include "bookcare/CsvExport.h"
#include "bookcare/CsvImport.h"
#include "core/FirebirdService.h"

#include "core/DM_1.h"
#include "core/Error.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

using namespace kelpora::bookcare;
using kelpora::FirebirdService;
using kelpora::bench::mb;

struct Settings {
    int records = 20000;
    int heavy = 50;
    QString keepIn; // a folder to build and leave everything in, instead of a temporary one
};

double seconds(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

qint64 treeSize(const QString& path)
{
    if (QFileInfo(path).isFile())
        return QFileInfo(path).size();
    qint64 total = 0;
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        total += QFileInfo(it.next()).size();
    return total;
}

// One measured step: wall and CPU time.
struct Step {
    double wall = 0;
    double cpu = 0;
};

Step timed(const std::function<void()>& work)
{
    const double cpu = kelpora::bench::processCpuMs() / 1e3;
    QElapsedTimer t;
    t.start();
    work();
    return {seconds(t), kelpora::bench::processCpuMs() / 1e3 - cpu};
}

void copyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        throw kelpora::Error(QStringLiteral("cannot copy %1").arg(from));
    std::vector<char> buffer(8 << 20);
    for (;;) {
        const qint64 got = in.read(buffer.data(), qint64(buffer.size()));
        if (got <= 0)
            break;
        if (out.write(buffer.data(), got) != got)
            throw kelpora::Error(QStringLiteral("cannot write %1").arg(to));
    }
    // Durable, as the backup file and a restored book (forced writes) are.
    out.flush();
    if (::fsync(out.handle()) != 0)
        throw kelpora::Error(QStringLiteral("cannot sync %1").arg(to));
}

class Report {
public:
    void copy(const Step& s) { m_copies.push_back(s.wall); }
    double copyMedian() const
    {
        std::vector<double> v = m_copies;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[v.size() / 2];
    }
    void line(const char* what, const Step& s, qint64 bytes) const
    {
        std::printf("%-44s %7.2f s  (CPU %6.2f s)  %8.1f MB  %5.2f x copy\n", what, s.wall, s.cpu, mb(bytes),
            s.wall / copyMedian());
        std::fflush(stdout);
    }

private:
    std::vector<double> m_copies;
};

int measure(const Settings& s, const QString& root)
{
    std::printf("building a book of %d records (the last %d with camera-sized photos) in %s\n", s.records, s.heavy,
        qPrintable(root));
    std::fflush(stdout);
    const QString bookDir = QDir(root).filePath(QStringLiteral("book"));
    QDir().mkpath(bookDir);
    kelpora::bench::buildBenchBook(bookDir, s.records, s.heavy);
    const QString book = QDir(bookDir).filePath(QLatin1String(TDM1::kFileName));
    const qint64 bookBytes = QFileInfo(book).size();
    auto path = [&](const char* name) { return QDir(root).filePath(QLatin1String(name)); };

    Report report;
    std::vector<std::pair<const char*, Step>> steps;
    auto copyOnce = [&] {
        const Step c = timed([&] { copyFile(book, path("copy.FDB")); });
        report.copy(c);
        QFile::remove(path("copy.FDB"));
        return c;
    };
    // The copy is measured between the steps, so it sees the caches they see.
    std::vector<Step> copies{copyOnce()};
    const Step serviceBackup = timed([&] { FirebirdService::backup(book, path("plain.fbk")); });
    copies.push_back(copyOnce());
    const Step serviceRestore = timed([&] { FirebirdService::restore(path("plain.fbk"), path("plain-restored.FDB")); });
    QFile::remove(path("plain-restored.FDB"));
    copies.push_back(copyOnce());
    BookBackup::Result made;
    const Step backup = timed([&] { made = BookBackup::run(bookDir, {}); });
    const Step unchanged = timed([&] {
        BookBackup::Options options;
        options.onlyIfChanged = true;
        BookBackup::run(bookDir, options);
    });
    copies.push_back(copyOnce());
    const Step restore = timed([&] { BookRestore::run(made.file, path("restored")); });
    QDir().mkpath(path("export"));
    const Step exported = timed([&] { CsvExport::run(bookDir, path("export/book.csv")); });
    copies.push_back(copyOnce());
    const Step imported = timed([&] { CsvImport::run(path("export/book.csv"), path("imported")); });

    std::printf("\n%d records, book %.1f MB; %u cores; the yardstick is the median of %zu plain copies "
                "(read, write, fsync): %.2f s each (%s)\n\n",
        s.records, mb(bookBytes), std::thread::hardware_concurrency(), copies.size(), report.copyMedian(),
        qPrintable([&] {
            QStringList all;
            for (const Step& c : copies)
                all << QString::number(c.wall, 'f', 2);
            return all.join(QStringLiteral(", "));
        }()));
    std::vector<Step> sorted = copies;
    std::sort(sorted.begin(), sorted.end(), [](const Step& x, const Step& y) { return x.wall < y.wall; });
    report.line("plain copy of the book (median)", sorted[sorted.size() / 2], bookBytes);
    report.line("backup service alone (book -> .fbk)", serviceBackup, treeSize(path("plain.fbk")));
    report.line("restore service alone (.fbk -> new book)", serviceRestore, bookBytes);
    report.line("kelpora-backup (backup, restore, compare)", backup, treeSize(made.file));
    report.line("kelpora-backup --if-changed, book unchanged", unchanged, 0);
    report.line("kelpora-restore (checked against .check)", restore, treeSize(path("restored")));
    report.line("kelpora-export (CSV + picture files)", exported, treeSize(path("export")));
    report.line("kelpora-import (CSV + picture files)", imported, treeSize(path("imported")));
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: kelpora-bench-backup [--records N] [--heavy H] [--keep-in DIR]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the demo pictures are drawn with QPainter

    Settings s;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usage();
        bool ok = true;
        if (args[i] == QLatin1String("--records"))
            s.records = args[i + 1].toInt(&ok);
        else if (args[i] == QLatin1String("--heavy"))
            s.heavy = args[i + 1].toInt(&ok);
        else if (args[i] == QLatin1String("--keep-in"))
            s.keepIn = args[i + 1];
        else
            return usage();
        if (!ok)
            return usage();
    }
    if (s.records < 1 || s.heavy < 0 || s.heavy > s.records)
        return usage();

    try {
        if (!s.keepIn.isEmpty()) {
            QDir().mkpath(s.keepIn);
            return measure(s, QFileInfo(s.keepIn).absoluteFilePath());
        }
        // Beside the build, not in /tmp, which may be memory: the book is about a gigabyte
        // and every step writes another copy of it.
        QTemporaryDir dir(QDir::current().filePath(QStringLiteral("kelpora-bench-XXXXXX")));
        if (!dir.isValid())
            throw kelpora::Error(QStringLiteral("no temporary folder"));
        return measure(s, dir.path());
    } catch (const kelpora::Error& e) {
        std::fprintf(stderr, "kelpora-bench-backup: %s\n", qPrintable(e.text()));
        return 1;
    }
}
