// How the record browser copes with a big book: opening it on 20,000 records, and
// stepping through records that carry camera-sized photos. Prints figures; checks
// nothing. The book is built by a child run of this same program, so the memory
// figure is the browser's own and not the picture generator's.

#include "BenchBook.h"
#include "DemoData.h"

#include "browser/Fishdata_F.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "app/KelporaApplication.h"
#include "core/Seams.h"
#include "core/SqlQuery.h"
#include "pictures/JpegCodec.h"
#include "pictures/PictureStore.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <firebird/Interface.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

struct Settings {
    int records = 20000;
    int heavy = 50; // the last records, which carry the big pictures
    int runs = 5; // window openings
    int steps = 30; // navigation steps
    QString buildDir; // set in the child that builds the book
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double ms(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

QString list(const std::vector<double>& v)
{
    QStringList out;
    for (double x : v)
        out << QString::number(x, 'f', 1);
    return out.join(QStringLiteral(", "));
}

double mb(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
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

// ---------------------------------------------------------------------------
// The child: the book, with the big pictures also left as files for the yardstick.

int buildBook(const Settings& s)
{
    kelpora::bench::buildBenchBook(s.buildDir, s.records, s.heavy);
    return 0;
}

// ---------------------------------------------------------------------------
// The bare fetch: the browser's statement run straight on the Firebird API, every row
// fetched and nothing else done with it. The floor any browser opening stands on.

class BareConnection {
public:
    explicit BareConnection(const QString& path)
        : m_master(Firebird::fb_get_master_interface()), m_status(m_master->getStatus())
    {
        Firebird::IUtil* util = m_master->getUtilInterface();
        Firebird::IXpbBuilder* dpb = util->getXpbBuilder(&m_status, Firebird::IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&m_status, isc_dpb_user_name, "zkw");
        dpb->insertString(&m_status, isc_dpb_password, "9157");
        dpb->insertInt(&m_status, isc_dpb_sql_dialect, 1);
        Firebird::IProvider* provider = m_master->getDispatcher();
        const QByteArray name = QFile::encodeName(path);
        m_attachment = provider->attachDatabase(
            &m_status, name.constData(), dpb->getBufferLength(&m_status), dpb->getBuffer(&m_status));
        provider->release();
        dpb->dispose();
    }
    ~BareConnection()
    {
        if (m_attachment)
            m_attachment->detach(&m_status);
        m_status.dispose();
    }
    BareConnection(const BareConnection&) = delete;
    BareConnection& operator=(const BareConnection&) = delete;

    // Returns the number of rows.
    int fetchAll()
    {
        static const char sql[] = "select *  from FISH_DATA  order by CODENO  ";
        Firebird::ITransaction* tr = m_attachment->startTransaction(&m_status, 0, nullptr);
        Firebird::IStatement* stmt
            = m_attachment->prepare(&m_status, tr, 0, sql, 1, Firebird::IStatement::PREPARE_PREFETCH_METADATA);
        Firebird::IMessageMetadata* meta = stmt->getOutputMetadata(&m_status);
        std::vector<unsigned char> row(meta->getMessageLength(&m_status));
        Firebird::IResultSet* cursor = stmt->openCursor(&m_status, tr, nullptr, nullptr, meta, 0);
        int rows = 0;
        while (cursor->fetchNext(&m_status, row.data()) == Firebird::IStatus::RESULT_OK)
            ++rows;
        cursor->close(&m_status);
        meta->release();
        stmt->free(&m_status);
        tr->commit(&m_status);
        return rows;
    }

private:
    Firebird::IMaster* m_master;
    Firebird::ThrowStatusWrapper m_status;
    Firebird::IAttachment* m_attachment = nullptr;
};

// ---------------------------------------------------------------------------
// The browser.

qint64 peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// User and system time of all the process's threads, in ms: unlike the wall clock it
// does not grow when another program takes one of the cores.
double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (double(usage.ru_utime.tv_sec) + double(usage.ru_stime.tv_sec)) * 1e3
        + (double(usage.ru_utime.tv_usec) + double(usage.ru_stime.tv_usec)) / 1e3;
}

struct Opened {
    double total = 0;
    double construct = 0;
    double show = 0;
};

Opened openBrowser(TFishdataF*& window)
{
    Opened o;
    QElapsedTimer t;
    t.start();
    window = new TFishdataF(nullptr);
    FishdataF = window;
    o.construct = ms(t);
    window->show(); // the show handler runs FormShow: clear, load all, last, display
    o.show = ms(t) - o.construct;
    QCoreApplication::processEvents(); // and the first paint
    o.total = ms(t);
    return o;
}

void closeBrowser(TFishdataF*& window)
{
    delete window;
    window = nullptr;
    FishdataF = nullptr;
}

int measure(const Settings& s)
{
    CountingMessages messages;
    kelpora::seams::setMessageBoxes(&messages);

    QTemporaryDir dir;
    if (!dir.isValid())
        throw kelpora::Error(QStringLiteral("no temporary folder"));

    // The book, built by a child process.
    std::printf("building a book of %d records (the last %d with camera-sized photos) in %s\n", s.records, s.heavy,
        qPrintable(dir.path()));
    std::fflush(stdout);
    QElapsedTimer t;
    t.start();
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--build"), dir.path(), QStringLiteral("--records"), QString::number(s.records),
            QStringLiteral("--heavy"), QString::number(s.heavy)});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        throw kelpora::Error(QStringLiteral("building the book failed"));
    rusage childUsage{};
    getrusage(RUSAGE_CHILDREN, &childUsage);
    std::printf("database build: %.1f s (peak memory of the builder %.0f MB)\n", ms(t) / 1000,
        double(childUsage.ru_maxrss) / 1024);
    std::fflush(stdout);

    QDir::setCurrent(dir.path());
    const QString path = file(dir.path(), TDM1::kFileName);
    TDM1 dm;
    DM1 = &dm;

    // a. opening, interleaved with the bare fetch so both see the same caches.
    t.restart();
    BareConnection bare(path);
    const double attachMs = ms(t);
    std::vector<double> opens, fetches, constructs, shows;
    int bareRows = 0;
    for (int i = 0; i < s.runs; ++i) {
        t.restart();
        bareRows = bare.fetchAll();
        fetches.push_back(ms(t));

        TFishdataF* window = nullptr;
        const Opened o = openBrowser(window);
        opens.push_back(o.total);
        constructs.push_back(o.construct);
        shows.push_back(o.show);
        if (window->IBSQL_2->rowCount() != s.records || bareRows != s.records)
            throw kelpora::Error(QStringLiteral("expected %1 rows").arg(s.records));
        closeBrowser(window);
    }

    // Where an opening goes, measured on one more window by its routines.
    double loadMs = 0, displayMs = 0, blobMs = 0;
    long displayFaults = 0;
    qint64 blobBytes = 0;
    {
        auto* window = new TFishdataF(nullptr);
        FishdataF = window;
        window->ClearRoutine();
        t.restart();
        window->LoadAllRecords();
        loadMs = ms(t);
        const long faultsBefore = minorFaults();
        t.restart();
        window->DisplayRoutine();
        displayMs = ms(t);
        displayFaults = minorFaults() - faultsBefore;
        t.restart();
        for (const char* column : {"SHIO_ZU", "CHIZU", "PHOTO1", "PHOTO2", "PHOTO3", "PHOTO4"})
            blobBytes += window->IBSQL_2->fieldBlob(QLatin1String(column)).size();
        blobMs = ms(t);
        delete window;
        FishdataF = nullptr;
    }

    // b. navigation over the picture records.
    std::vector<double> steps, stepCpu;
    double stepBlobMs = 0;
    {
        TFishdataF* window = nullptr;
        openBrowser(window);
        for (int i = 0; i < s.steps; ++i) {
            const double cpu = processCpuMs();
            t.restart();
            window->Btn_PriorClick();
            QCoreApplication::processEvents();
            steps.push_back(ms(t));
            stepCpu.push_back(processCpuMs() - cpu);
        }
        if (window->Edit_No->text().toInt() != s.records - s.steps)
            throw kelpora::Error(QStringLiteral("navigation ended on record %1").arg(window->Edit_No->text()));
        t.restart();
        for (const char* column : {"SHIO_ZU", "CHIZU", "PHOTO1", "PHOTO2", "PHOTO3", "PHOTO4"})
            (void)window->IBSQL_2->fieldBlob(QLatin1String(column));
        stepBlobMs = ms(t);
        closeBrowser(window);
    }
    const qint64 peakKb = peakResidentKb();

    // The yardstick for a step: the same six pictures decoded at full size, one after
    // the other on one thread, from bytes already in memory.
    std::vector<QByteArray> jpegs;
    for (const char* name : {"photo1.jpg", "photo2.jpg", "photo3.jpg", "photo4.jpg", "map.jpg"})
        jpegs.push_back(readFile(file(dir.path(), name)));
    const QByteArray bmp = readFile(file(dir.path(), "chart.bmp"));
    std::vector<double> jpegDecodes, bmpDecodes;
    for (int i = 0; i < 3; ++i) {
        t.restart();
        for (const QByteArray& jpeg : jpegs)
            (void)kelpora::JpegCodec::decode(jpeg);
        jpegDecodes.push_back(ms(t));
        t.restart();
        (void)kelpora::PictureStore::fromBmpBytes(bmp).pixels();
        bmpDecodes.push_back(ms(t));
    }

    const double open = median(opens);
    const double fetch = median(fetches);
    const double step = median(steps);
    const double decode = median(jpegDecodes) + median(bmpDecodes);
    std::printf(
        "a. open: median %.1f ms; bare fetch %.1f ms; ratio %.2f (target <= 1.30)\n", open, fetch, open / fetch);
    std::printf("   open parts (medians): window built %.1f ms, shown with FormShow %.1f ms, first paint %.1f ms;"
                " bare attach %.1f ms (once)\n",
        median(constructs), median(shows), open - median(constructs) - median(shows), attachMs);
    std::printf("   each open: %s ms; each bare fetch: %s ms\n", qPrintable(list(opens)), qPrintable(list(fetches)));
    std::printf("   FormShow parts, in a fresh window: load all %.1f ms, display of the last record %.1f ms"
                " (%ld page faults; reading its %.1f MB of pictures again takes %.1f ms)\n",
        loadMs, displayMs, displayFaults, mb(blobBytes), blobMs);
    std::printf("b. navigation: median %.1f ms per step; full-size decode of one record's pictures %.1f ms;"
                " ratio %.2f (target <= 0.35)\n",
        step, decode, step / decode);
    std::printf("   steps range %.1f .. %.1f ms; CPU time per step, all threads: median %.1f ms (%u cores)\n",
        *std::min_element(steps.begin(), steps.end()), *std::max_element(steps.begin(), steps.end()), median(stepCpu),
        std::thread::hardware_concurrency());
    std::printf(
        "   step parts: reading the six pictures %.1f ms; full-size decode of the 5 JPEGs %.1f ms + BMP %.1f ms\n",
        stepBlobMs, median(jpegDecodes), median(bmpDecodes));
    std::printf("c. peak resident memory: %.1f MB\n", double(peakKb) / 1024);
    if (messages.count)
        std::printf("   %d message(s) shown, the first: %s\n", messages.count, qPrintable(messages.first));

    DM1 = nullptr;
    kelpora::seams::setMessageBoxes(nullptr);
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: kelpora-bench-browser [--records N] [--heavy H] [--runs R] [--steps S]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KelporaApplication app(argc, argv);
    KelporaApplication::installJapaneseFont();

    Settings s;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size())
            return usage();
        const QString value = args[++i];
        bool ok = true;
        if (a == QLatin1String("--build"))
            s.buildDir = value;
        else if (a == QLatin1String("--records"))
            s.records = value.toInt(&ok);
        else if (a == QLatin1String("--heavy"))
            s.heavy = value.toInt(&ok);
        else if (a == QLatin1String("--runs"))
            s.runs = value.toInt(&ok);
        else if (a == QLatin1String("--steps"))
            s.steps = value.toInt(&ok);
        else
            return usage();
        if (!ok)
            return usage();
    }
    if (s.records < 1 || s.heavy < 1 || s.heavy > s.records || s.runs < 1 || s.steps < 1
        || (s.buildDir.isEmpty() && s.steps >= s.heavy))
        return usage();

    try {
        return s.buildDir.isEmpty() ? measure(s) : buildBook(s);
    } catch (const kelpora::Error& e) {
        std::fprintf(stderr, "kelpora-bench-browser: %s\n", qPrintable(e.text()));
        return 1;
    } catch (const Firebird::FbException& e) {
        char text[1024];
        Firebird::fb_get_master_interface()->getUtilInterface()->formatStatus(text, sizeof text, e.getStatus());
        std::fprintf(stderr, "kelpora-bench-browser: %s\n", text);
        return 1;
    }
}
