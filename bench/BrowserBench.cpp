// How the record browser copes with a big book: opening it on 20,000 records, and
// stepping through records that carry camera-sized photos, read ahead or not. Prints one
// line per figure, each a median beside its yardstick measured in the same run; checks
// nothing. The book is built by a child run of this same program, so the memory figure
// is the browser's own and not the picture generator's.

#include "BareFetch.h"
#include "BenchBook.h"
#include "Measure.h"
#include "PaintClock.h"

#include "app/KelporaApplication.h"
#include "browser/Fishdata_F.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/Seams.h"
#include "core/SqlQuery.h"
#include "imaging/JpegCodec.h"
#include "imaging/PictureDecoder.h"
#include "imaging/PictureStore.h"
#include "kit/ImageArea.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThreadPool>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using kelpora::bench::BareConnection;
using kelpora::bench::median;
using kelpora::bench::minorFaults;
using kelpora::bench::ms;
using kelpora::bench::PaintClock;
using kelpora::bench::peakMb;
using kelpora::bench::processCpuMs;
using kelpora::bench::residentMb;

struct Settings {
    int records = 20000;
    int heavy = 50; // the last records, which carry the big pictures
    int runs = 7; // window openings, each beside a bare fetch
    int steps = 20; // steps with a pause, each onto a record read ahead
    int cycles = 4; // rounds of cold steps: Last, four times -10, First
    int pauseMs = 300;
    bool study = true;
    QString buildDir; // set in the child that builds the book
    QString yardstickDir; // set in the child that measures the yardstick
};

QString list(const std::vector<double>& v)
{
    QStringList out;
    for (double x : v)
        out << QString::number(x, 'f', 1);
    return out.join(QStringLiteral(", "));
}

// Nothing may wait for a person; errors are counted and shown once at the end.
class CountingMessages final : public kelpora::seams::MessageBoxes {
public:
    void inform(const QString& text) override { note(text); }
    void error(const QString& text) override { note(text); }
    bool confirm(const QString& text) override
    {
        note(text);
        return false;
    }
    int count = 0;
    QString first;

private:
    void note(const QString& text)
    {
        if (count++ == 0)
            first = text;
    }
};

QString file(const QString& dir, const char* name)
{
    return QDir(dir).filePath(QLatin1String(name));
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw kelpora::Error(QStringLiteral("cannot read %1").arg(path));
    return f.readAll();
}

// The pool runs nothing left over from an earlier measurement.
void settle()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Lets the event loop run for `msTotal`, as it does while the user looks at the screen.
void idle(int msTotal)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < msTotal) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(msTotal - t.elapsed()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

struct Browser {
    Browser()
    {
        window = new TFishdataF(nullptr);
        FishdataF = window;
        clock = new PaintClock(*window);
    }
    ~Browser()
    {
        delete window;
        FishdataF = nullptr;
        settle();
    }
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    TFishdataF* window;
    PaintClock* clock;
};

// ---------------------------------------------------------------------------
// The yardstick for a step: one record's six pictures decoded at full size, one after
// the other on one thread, from bytes already in memory.

// Measured in a child run of this program, so its files and its full-size pixels never
// count in the browser's memory.
class Yardstick {
public:
    explicit Yardstick(const QString& dir) : m_dir(dir) { }
    void measure(int times)
    {
        settle();
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--yardstick"), m_dir, QStringLiteral("--runs"), QString::number(times)});
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            throw kelpora::Error(QStringLiteral("the yardstick failed"));
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> figures = line.trimmed().split(' ');
            if (figures.size() == 2) {
                m_ms.push_back(figures[0].toDouble());
                m_screen.push_back(figures[1].toDouble());
            }
        }
    }
    // The child's side: prints one line per round, in ms: the record's pictures decoded at
    // full size, and the same drawn at the size the browser shows them, which is the
    // least work a cold step has to do.
    static int run(const QString& dir, int times)
    {
        using kelpora::ImageArea;
        using kelpora::Picture;
        std::vector<QByteArray> jpegs;
        for (const char* name : {"photo1.jpg", "photo2.jpg", "photo3.jpg", "photo4.jpg", "map.jpg"})
            jpegs.push_back(readFile(file(dir, name)));
        const QByteArray bmp = readFile(file(dir, "chart.bmp"));
        const auto drawn = [](const Picture& picture, QSize area, ImageArea::DisplayMode mode) {
            (void)kelpora::PictureDecoder::render(picture, ImageArea::targetRect(picture.size(), area, mode).size());
        };
        for (int i = 0; i < times; ++i) {
            QElapsedTimer t;
            t.start();
            for (const QByteArray& jpeg : jpegs)
                (void)kelpora::JpegCodec::decode(jpeg);
            (void)kelpora::PictureStore::fromBmpBytes(bmp).pixels();
            const double full = ms(t);
            t.restart();
            for (size_t p = 0; p < 4; ++p)
                drawn(Picture::fromJpeg(jpegs[p]), {97, 81}, ImageArea::DisplayMode::Proportional);
            drawn(Picture::fromJpeg(jpegs[4]), {334, 250}, ImageArea::DisplayMode::ProportionalCentred);
            drawn(kelpora::PictureStore::fromBmpBytes(bmp), {333, 248}, ImageArea::DisplayMode::ProportionalCentred);
            std::printf("%.3f %.3f\n", full, ms(t));
        }
        return 0;
    }
    double median() const { return kelpora::bench::median(m_ms); }
    double screenMedian() const { return kelpora::bench::median(m_screen); }
    const std::vector<double>& all() const { return m_ms; }

private:
    QString m_dir;
    std::vector<double> m_ms;
    std::vector<double> m_screen;
};

// The peak resident memory of the browser, not of the yardstick: each phase of browsing
// starts with the high-water mark set back to what is resident then (Linux 4.0 and later).
class PeakMemory {
public:
    void phaseBegins() { m_resettable = resetHighWaterMark() && m_resettable; }
    void phaseEnds() { m_peak = std::max(m_peak, peakMb()); }
    double peak() const { return m_peak; }
    bool clean() const { return m_resettable; }

private:
    static bool resetHighWaterMark()
    {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
    }
    double m_peak = 0;
    bool m_resettable = true;
};

// ---------------------------------------------------------------------------
// a. Opening, alternated with the bare fetch so both see the same caches; which of the
// two goes first changes every run.

struct Opens {
    std::vector<double> fields, fieldsCpu, pictures, fetch, fetchCpu;
};

Opens measureOpens(const Settings& s, BareConnection& bare)
{
    Opens o;
    for (int i = 0; i < 2 * s.runs; ++i) {
        settle();
        const double cpu = processCpuMs();
        QElapsedTimer t;
        t.start();
        if ((i % 2 == 0) == (i / 2 % 2 == 0)) {
            const int rows = bare.fetchAll();
            o.fetch.push_back(ms(t));
            o.fetchCpu.push_back(processCpuMs() - cpu);
            if (rows != s.records)
                throw kelpora::Error(QStringLiteral("expected %1 rows").arg(s.records));
            continue;
        }
        Browser b;
        const double built = ms(t);
        b.clock->start();
        b.window->show(); // FormShow: clear, load all, last, display
        if (!b.clock->waitForFields())
            throw kelpora::Error(QStringLiteral("the fields were never painted"));
        o.fields.push_back(built + b.clock->fieldsMs());
        o.fieldsCpu.push_back(processCpuMs() - cpu);
        if (!b.clock->waitForPictures())
            throw kelpora::Error(QStringLiteral("the pictures were never painted"));
        o.pictures.push_back(built + b.clock->picturesMs());
        if (b.window->IBSQL_2->rowCount() != s.records)
            throw kelpora::Error(QStringLiteral("expected %1 rows").arg(s.records));
    }
    return o;
}

// Where an opening goes, measured on one window by its routines: the first in the process
// meets fresh memory for its rows and everything Qt sets up once.
void openingParts(const char* which)
{
    QElapsedTimer t;
    t.start();
    long faults = minorFaults();
    Browser b;
    const double built = ms(t);
    const long builtFaults = minorFaults() - faults;
    b.window->ClearRoutine();
    faults = minorFaults();
    t.restart();
    b.window->LoadAllRecords();
    const double load = ms(t);
    const long loadFaults = minorFaults() - faults;
    t.restart();
    b.window->DisplayRoutine();
    const double display = ms(t);
    t.restart();
    qint64 bytes = 0;
    for (const char* column : {"SHIO_ZU", "CHIZU", "PHOTO1", "PHOTO2", "PHOTO3", "PHOTO4"})
        bytes += b.window->IBSQL_2->fieldBlob(QLatin1String(column)).size();
    const double blobs = ms(t);
    std::printf("   open parts, %s: window built %.1f ms (%ld page faults), load all %.1f ms (%ld page faults),"
                " display routine %.1f ms; reading the %.1f MB of its pictures again %.1f ms\n",
        which, built, builtFaults, load, loadFaults, display, double(bytes) / (1 << 20), blobs);
}

// ---------------------------------------------------------------------------
// b. Steps over the records with the big pictures.

struct Step {
    double fields = 0;
    double pictures = 0;
    double cpu = 0;
    bool decoded = false; // some picture had to be decoded after the step
};

Step step(Browser& b, void (TFishdataF::*press)())
{
    Step out;
    const double cpu = processCpuMs();
    b.clock->start();
    (b.window->*press)();
    const std::array<kelpora::ImageArea*, 6> areas{b.window->Image_Shio, b.window->Image_Map, b.window->Image_A,
        b.window->Image_B, b.window->Image_C, b.window->Image_D};
    out.decoded = std::any_of(areas.begin(), areas.end(), [](kelpora::ImageArea* a) { return a->decodePending(); });
    if (!b.clock->waitForPictures())
        throw kelpora::Error(QStringLiteral("a step's pictures were never painted"));
    out.fields = b.clock->fieldsMs();
    out.pictures = b.clock->picturesMs();
    out.cpu = processCpuMs() - cpu;
    return out;
}

struct Steps {
    std::vector<Step> ahead, cold;
    int readAheadInTime = 0; // pauses at whose end the neighbours were ready
    int coldHits = 0; // "cold" steps that found their pictures kept after all
};

void readAheadSteps(const Settings& s, Browser& b, Steps& out)
{
    for (int i = 0; i < s.steps; ++i) {
        idle(s.pauseMs);
        if (!b.window->readingAhead())
            ++out.readAheadInTime;
        out.ahead.push_back(step(b, &TFishdataF::Btn_PriorClick));
    }
}

void coldSteps(const Settings& s, Browser& b, Steps& out)
{
    using Press = void (TFishdataF::*)();
    const Press cycle[] = {&TFishdataF::Btn_LastClick, &TFishdataF::Btn_D_10Click, &TFishdataF::Btn_D_10Click,
        &TFishdataF::Btn_D_10Click, &TFishdataF::Btn_D_10Click, &TFishdataF::Btn_FirstClick};
    for (int c = 0; c < s.cycles; ++c) {
        for (Press press : cycle) {
            const Step st = step(b, press);
            if (press == &TFishdataF::Btn_FirstClick)
                continue; // the first record has no pictures to wait for
            if (st.decoded)
                out.cold.push_back(st);
            else
                ++out.coldHits;
        }
    }
}

std::vector<double> pick(const std::vector<Step>& steps, double Step::*field)
{
    std::vector<double> out;
    for (const Step& st : steps)
        out.push_back(st.*field);
    return out;
}

// ---------------------------------------------------------------------------

int buildBook(const Settings& s)
{
    kelpora::bench::buildBenchBook(s.buildDir, s.records, s.heavy);
    return 0;
}

void makeBook(const Settings& s, const QString& dir)
{
    std::printf("building a book of %d records (the last %d with camera-sized photos) in %s\n", s.records, s.heavy,
        qPrintable(dir));
    std::fflush(stdout);
    QElapsedTimer t;
    t.start();
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--build"), dir, QStringLiteral("--records"), QString::number(s.records),
            QStringLiteral("--heavy"), QString::number(s.heavy)});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        throw kelpora::Error(QStringLiteral("building the book failed"));
    rusage childUsage{};
    getrusage(RUSAGE_CHILDREN, &childUsage);
    std::printf("database build: %.1f s (peak memory of the builder %.0f MB)\n", ms(t) / 1000,
        double(childUsage.ru_maxrss) / 1024);
    std::fflush(stdout);
}

void printLoad()
{
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) == 3)
        std::printf("   load average before the run %.2f %.2f %.2f on %u cores\n", load[0], load[1], load[2],
            std::thread::hardware_concurrency());
}

int measure(const Settings& s)
{
    CountingMessages messages;
    kelpora::seams::setMessageBoxes(&messages);
    QTemporaryDir dir;
    if (!dir.isValid())
        throw kelpora::Error(QStringLiteral("no temporary folder"));
    makeBook(s, dir.path());
    printLoad();

    QDir::setCurrent(dir.path());
    TDM1 dm;
    DM1 = &dm;
    BareConnection bare(file(dir.path(), TDM1::kFileName));
    Yardstick yardstick(dir.path());

    PeakMemory memory;
    openingParts("the first in the process");
    const Opens opens = measureOpens(s, bare);
    const double peakAfterOpens = peakMb();
    memory.phaseEnds();
    openingParts("once more");

    Steps steps;
    double resident = 0;
    {
        yardstick.measure(3);
        memory.phaseBegins();
        Browser b;
        b.window->show();
        b.clock->waitForPictures();
        readAheadSteps(s, b, steps);
        if (b.window->Edit_No->text().toInt() != s.records - s.steps)
            throw kelpora::Error(QStringLiteral("navigation ended on record %1").arg(b.window->Edit_No->text()));
        memory.phaseEnds();
        yardstick.measure(3);
        memory.phaseBegins();
        coldSteps(s, b, steps);
        resident = residentMb();
        memory.phaseEnds();
    }
    yardstick.measure(3);
    const double peak = memory.peak();

    const double fetch = median(opens.fetch);
    const double decode = yardstick.median();
    const double a1 = median(opens.fields);
    const double a2 = median(opens.pictures);
    const double b1 = median(pick(steps.ahead, &Step::pictures));
    const double b2 = median(pick(steps.cold, &Step::pictures));
    std::vector<double> allFields = pick(steps.ahead, &Step::fields);
    for (double f : pick(steps.cold, &Step::fields))
        allFields.push_back(f);
    const double b3 = median(allFields);

    std::printf("a1. open to fields painted: median %.1f ms (CPU %.1f ms); bare fetch %.1f ms (CPU %.1f ms);"
                " ratio %.2f (target <= 1.10)\n",
        a1, median(opens.fieldsCpu), fetch, median(opens.fetchCpu), a1 / fetch);
    std::printf("a2. open to all pictures painted: median %.1f ms; bare fetch %.1f ms; ratio %.2f (target <= 1.90)\n",
        a2, fetch, a2 / fetch);
    std::printf("b1. step onto a record read ahead (%d ms pause), to all pictures painted: median %.1f ms;"
                " single-thread full decode of its pictures %.1f ms; ratio %.3f (target <= 0.10)\n",
        s.pauseMs, b1, decode, b1 / decode);
    std::printf("b2. cold step (Last, -10, no pause), to all pictures painted: median %.1f ms; single-thread full"
                " decode %.1f ms; ratio %.3f (target <= 0.36)\n",
        b2, decode, b2 / decode);
    std::printf("   a cold step's least work: its pictures drawn at screen size on one thread %.1f ms, so about %.1f ms"
                " on two cores (ratio %.3f), before reading them\n",
        yardstick.screenMedian(), yardstick.screenMedian() / 2, yardstick.screenMedian() / 2 / decode);
    std::printf("b3. step to fields painted: median %.1f ms (target <= 5 ms); read ahead %.1f ms, cold %.1f ms\n", b3,
        median(pick(steps.ahead, &Step::fields)), median(pick(steps.cold, &Step::fields)));
    std::printf("c. peak resident memory while browsing: %.1f MB (target <= 140 MB); the openings' peak %.1f MB,"
                " resident at the end of browsing %.1f MB%s\n",
        peak, peakAfterOpens, resident, memory.clean() ? "" : " (the yardstick's decodes are counted in too)");

    std::printf("   each open to fields: %s ms\n   each open to pictures: %s ms\n   each bare fetch: %s ms\n",
        qPrintable(list(opens.fields)), qPrintable(list(opens.pictures)), qPrintable(list(opens.fetch)));
    std::printf("   each read-ahead step to pictures: %s ms (neighbours ready at the end of %d of %d pauses)\n",
        qPrintable(list(pick(steps.ahead, &Step::pictures))), steps.readAheadInTime, s.steps);
    std::printf("   each cold step to pictures: %s ms (%d steps found their pictures kept and are left out)\n",
        qPrintable(list(pick(steps.cold, &Step::pictures))), steps.coldHits);
    std::printf("   each cold step to fields: %s ms\n", qPrintable(list(pick(steps.cold, &Step::fields))));
    std::printf("   CPU per step, all threads: read ahead %.1f ms, cold %.1f ms; each yardstick decode: %s ms\n",
        median(pick(steps.ahead, &Step::cpu)), median(pick(steps.cold, &Step::cpu)), qPrintable(list(yardstick.all())));
    if (s.study)
        kelpora::bench::fetchStudy(bare, 5);
    if (messages.count)
        std::printf("   %d message(s) shown, the first: %s\n", messages.count, qPrintable(messages.first));

    DM1 = nullptr;
    kelpora::seams::setMessageBoxes(nullptr);
    return 0;
}

int usage()
{
    std::fprintf(stderr,
        "usage: kelpora-bench-browser [--records N] [--heavy H] [--runs R] [--steps S] [--cycles C] [--pause MS]"
        " [--study 0|1]\n");
    return 2;
}

bool parse(const QStringList& args, Settings& s)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size())
            return false;
        const QString value = args[++i];
        bool ok = true;
        if (a == QLatin1String("--build"))
            s.buildDir = value;
        else if (a == QLatin1String("--yardstick"))
            s.yardstickDir = value;
        else if (a == QLatin1String("--records"))
            s.records = value.toInt(&ok);
        else if (a == QLatin1String("--heavy"))
            s.heavy = value.toInt(&ok);
        else if (a == QLatin1String("--runs"))
            s.runs = value.toInt(&ok);
        else if (a == QLatin1String("--steps"))
            s.steps = value.toInt(&ok);
        else if (a == QLatin1String("--cycles"))
            s.cycles = value.toInt(&ok);
        else if (a == QLatin1String("--pause"))
            s.pauseMs = value.toInt(&ok);
        else if (a == QLatin1String("--study"))
            s.study = value.toInt(&ok) != 0;
        else
            return false;
        if (!ok)
            return false;
    }
    return s.records >= 1 && s.heavy >= 41 && s.heavy <= s.records && s.runs >= 1 && s.steps >= 1 && s.cycles >= 1
        && s.pauseMs >= 0 && (!s.buildDir.isEmpty() || !s.yardstickDir.isEmpty() || s.steps < s.heavy);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KelporaApplication app(argc, argv);
    KelporaApplication::installJapaneseFont();

    Settings s;
    if (!parse(QCoreApplication::arguments().mid(1), s))
        return usage();
    try {
        if (!s.yardstickDir.isEmpty())
            return Yardstick::run(s.yardstickDir, s.runs);
        return s.buildDir.isEmpty() ? measure(s) : buildBook(s);
    } catch (const kelpora::Error& e) {
        std::fprintf(stderr, "kelpora-bench-browser: %s\n", qPrintable(e.text()));
        return 1;
    }
}
