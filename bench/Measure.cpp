#include "Measure.h"

#include <QByteArray>
#include <QFile>

#include <sys/resource.h>

#include <algorithm>
#include <cstring>

namespace kelpora::bench {

namespace {

qint64 statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith(field))
                return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

rusage selfUsage()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage;
}

} // namespace

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double ms(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

double mb(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

double processCpuMs()
{
    const rusage usage = selfUsage();
    return (double(usage.ru_utime.tv_sec) + double(usage.ru_stime.tv_sec)) * 1e3
        + (double(usage.ru_utime.tv_usec) + double(usage.ru_stime.tv_usec)) / 1e3;
}

long minorFaults()
{
    return selfUsage().ru_minflt;
}

double peakMb()
{
    return double(statusKb("VmHWM:")) / 1024;
}

double residentMb()
{
    return double(statusKb("VmRSS:")) / 1024;
}

} // namespace kelpora::bench
