#pragma once

#include <QString>

namespace kelpora::bench {

// The benchmark book: DIR/KELPORA.FDB with records demo records, the last heavy of them
// carrying four 12-megapixel photos of about 4 MB each, a 1600x1200 JPEG map and a BMP
// tide chart. The big pictures are also left in DIR as photo1..4.jpg, map.jpg and
// chart.bmp. Prints what it makes to stdout. Needs a QGuiApplication.
void buildBenchBook(const QString& dir, int records, int heavy);

} // namespace kelpora::bench
