// What the almanac costs for 20,000 consecutive dates (about 55 years, as a long record
// book spans): the first pass, which computes the new moons and principal terms of
// those years, and later passes served from the cache. Prints figures; checks nothing.
// Each first pass runs in a fresh child run of this program, so its cache is empty.

#include "Measure.h"

#include "core/Almanac.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using namespace kelpora;
using namespace kelpora::bench;

constexpr int kDates = 20000;
constexpr int kFreshRuns = 5;
constexpr int kCachedRuns = 20;
const QDate kFirst(1980, 1, 1);

// The sum keeps the compiler from dropping the work.
double pass()
{
    double ages = 0;
    QDate date = kFirst;
    for (int i = 0; i < kDates; ++i, date = date.addDays(1))
        ages += almanacFor(date).moonAge;
    return ages;
}

// One first pass in this process; prints "wall cpu" in ms for the parent.
int freshPass()
{
    const double cpuBefore = processCpuMs();
    QElapsedTimer clock;
    clock.start();
    const double ages = pass();
    const double wall = ms(clock);
    std::printf("%.3f %.3f %.1f\n", wall, processCpuMs() - cpuBefore, ages);
    return 0;
}

void firstPasses()
{
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int run = 0; run < kFreshRuns; ++run) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--fresh-pass")});
        child.waitForFinished(-1);
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (child.exitCode() != 0 || figures.size() < 2) {
            std::fprintf(stderr, "kelpora-bench-almanac: a child run failed\n");
            return;
        }
        walls.push_back(figures[0].toDouble());
        cpus.push_back(figures[1].toDouble());
    }
    std::printf("%-58s %8.1f ms  (CPU %7.1f ms)\n", "first pass: new moons and terms computed (median of 5)",
        median(walls), median(cpus));
}

void cachedPasses()
{
    pass();
    std::vector<double> walls;
    for (int run = 0; run < kCachedRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        pass();
        walls.push_back(ms(clock));
    }
    std::printf("%-58s %8.1f ms\n", "from the cache (median of 20)", median(walls));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--fresh-pass") == 0)
        return freshPass();
    std::printf("%d consecutive dates from %s; %d cores\n", kDates, qPrintable(kFirst.toString(Qt::ISODate)),
        QThread::idealThreadCount());
    firstPasses();
    cachedPasses();
    return 0;
}
