#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

#include <vector>

// What the benchmarks measure with: medians, elapsed and CPU time, page faults and
// resident memory, in the units they print.
namespace kelpora::bench {

double median(std::vector<double> values); // 0 for none
double ms(const QElapsedTimer& t);
double mb(qint64 bytes);

// User and system time of all the process's threads, in ms: unlike the wall clock it
// does not grow when another program takes one of the cores.
double processCpuMs();
long minorFaults();

// The process's peak and present resident memory, in MB, from /proc/self/status.
double peakMb();
double residentMb();

} // namespace kelpora::bench
