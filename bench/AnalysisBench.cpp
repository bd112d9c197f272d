// How the catch analysis copes with a big book: the browser holds 20,000 records, the
// analysis window is opened over them until its first chart is on the screen, alternated
// with the browser's statement fetched bare on a connection of its own. Prints one line
// with both medians and their ratio, then the tally alone; checks nothing.

#include "BareFetch.h"
#include "BenchBook.h"
#include "Measure.h"

#include "analysis/Bunseki_F.h"
#include "analysis/CatchTally.h"
#include "app/KelporaApplication.h"
#include "browser/Fishdata_F.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/Seams.h"
#include "core/SqlQuery.h"

#include <QChartView>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QThreadPool>

#include <cstdio>
#include <vector>

namespace {

using kelpora::bench::median;
using kelpora::bench::ms;

struct Settings {
    int records = 20000;
    int heavy = 50; // as the browser benchmark's book
    int runs = 9;
    QString buildDir; // set in the child that builds the book
    QString book; // a folder whose book is used again, built there the first time
};

class QuietMessages final : public kelpora::seams::MessageBoxes {
public:
    void inform(const QString& text) override { note(text); }
    void error(const QString& text) override { note(text); }
    bool confirm(const QString& text) override
    {
        note(text);
        return false;
    }
    QStringList told;

private:
    void note(const QString& text) { told << text; }
};

void settle()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Notes when a widget has been painted.
class Painted final : public QObject {
public:
    explicit Painted(QWidget* widget) { widget->installEventFilter(this); }
    bool done = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            done = true;
        return QObject::eventFilter(watched, event);
    }
};

struct Opening {
    double ms = 0;
    double cpuMs = 0;
};

// From the press of 分析 to its first chart painted, as the browser opens it.
Opening openOnce(TFishdataF& browser)
{
    const double cpu = kelpora::bench::processCpuMs();
    QElapsedTimer t;
    t.start();
    BunsekiF = new TBunsekiF(&browser, *browser.IBSQL_2);
    BunsekiF->show(); // the tally and the first chart
    const QList<QChartView*> views = BunsekiF->chartViews(TBunsekiF::Month);
    if (views.isEmpty())
        throw kelpora::Error(QStringLiteral("no chart was made"));
    Painted painted(views.front()->viewport());
    while (!painted.done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (t.elapsed() > 60000)
            throw kelpora::Error(QStringLiteral("the chart was never painted"));
    }
    const Opening opening{ms(t), kelpora::bench::processCpuMs() - cpu};
    delete BunsekiF;
    BunsekiF = nullptr;
    return opening;
}

void makeBook(const Settings& s, const QString& dir)
{
    std::printf("building a book of %d records in %s\n", s.records, qPrintable(dir));
    std::fflush(stdout);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--build"), dir, QStringLiteral("--records"), QString::number(s.records),
            QStringLiteral("--heavy"), QString::number(s.heavy)});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        throw kelpora::Error(QStringLiteral("building the book failed"));
}

int measure(const Settings& s)
{
    QuietMessages messages;
    kelpora::seams::setMessageBoxes(&messages);
    QTemporaryDir temporary;
    const QString dir = s.book.isEmpty() ? temporary.path() : s.book;
    if (dir.isEmpty() || !QDir().mkpath(dir))
        throw kelpora::Error(QStringLiteral("no folder for the book"));
    const QString path = QDir(dir).filePath(QLatin1String(TDM1::kFileName));
    if (!QFileInfo::exists(path))
        makeBook(s, dir);
    QDir::setCurrent(dir);
    TDM1 dm;
    DM1 = &dm;
    kelpora::bench::BareConnection bare(path);

    TFishdataF browser(nullptr);
    FishdataF = &browser;
    browser.show();
    settle();
    if (browser.IBSQL_2->rowCount() != s.records)
        throw kelpora::Error(QStringLiteral("the browser holds %1 rows").arg(browser.IBSQL_2->rowCount()));

    std::vector<double> opens, openCpu, fetches, tallies;
    openOnce(browser); // Qt's chart classes meet their fonts and styles once per process
    for (int i = 0; i < 2 * s.runs; ++i) {
        settle();
        // Which of the two goes first changes every other pair, so both see the same caches.
        if ((i % 2 == 0) == (i / 2 % 2 == 0)) {
            QElapsedTimer t;
            t.start();
            if (bare.fetchAll() != s.records)
                throw kelpora::Error(QStringLiteral("the bare fetch missed rows"));
            fetches.push_back(ms(t));
        } else {
            const Opening o = openOnce(browser);
            opens.push_back(o.ms);
            openCpu.push_back(o.cpuMs);
        }
    }
    for (int i = 0; i < s.runs; ++i) {
        QElapsedTimer t;
        t.start();
        const kelpora::CatchTally tally = kelpora::tallyCatches(*browser.IBSQL_2);
        tallies.push_back(ms(t));
        if (tally.outings != s.records)
            throw kelpora::Error(QStringLiteral("the tally missed outings"));
    }

    const double open = median(opens);
    const double fetch = median(fetches);
    std::printf("analysis: open to charts painted %.1f ms; bare fetch %.1f ms; ratio %.2f\n", open, fetch, open / fetch);
    std::printf("   the tally alone: %.1f ms over %d records; CPU of an opening %.1f ms (targets: open <= 150 ms,"
                " ratio <= 0.6)\n",
        median(tallies), s.records, median(openCpu));
    if (!messages.told.isEmpty())
        std::printf("   %lld message(s), the first: %s\n", qlonglong(messages.told.size()),
            qPrintable(messages.told.front()));
    FishdataF = nullptr;
    DM1 = nullptr;
    kelpora::seams::setMessageBoxes(nullptr);
    return 0;
}

bool parse(const QStringList& args, Settings& s)
{
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        const QString& a = args[i];
        bool ok = true;
        if (a == QLatin1String("--build"))
            s.buildDir = args[i + 1];
        else if (a == QLatin1String("--book"))
            s.book = args[i + 1];
        else if (a == QLatin1String("--records"))
            s.records = args[i + 1].toInt(&ok);
        else if (a == QLatin1String("--heavy"))
            s.heavy = args[i + 1].toInt(&ok);
        else if (a == QLatin1String("--runs"))
            s.runs = args[i + 1].toInt(&ok);
        else
            return false;
        if (!ok)
            return false;
    }
    return args.size() % 2 == 0 && s.records >= 1 && s.heavy >= 0 && s.heavy <= s.records && s.runs >= 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KelporaApplication app(argc, argv);
    KelporaApplication::installJapaneseFont();
    Settings s;
    if (!parse(QCoreApplication::arguments().mid(1), s)) {
        std::fprintf(stderr, "usage: kelpora-bench-analysis [--records N] [--heavy H] [--runs R] [--book DIR]\n");
        return 2;
    }
    try {
        if (!s.buildDir.isEmpty()) {
            kelpora::bench::buildBenchBook(s.buildDir, s.records, s.heavy);
            return 0;
        }
        return measure(s);
    } catch (const kelpora::Error& e) {
        std::fprintf(stderr, "kelpora-bench-analysis: %s\n", qPrintable(e.text()));
        return 1;
    }
}
