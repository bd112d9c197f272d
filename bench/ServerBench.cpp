// The record browser opening on a 20,000-record book held by a Firebird server on this
// computer's loopback, beside the same book opened by the embedded engine, alternated in
// one run so both meet the same caches and load. Prints figures; checks nothing.

#include "BenchBook.h"
#include "Measure.h"
#include "PaintClock.h"

#include "support/FirebirdServer.h"

#include "app/KelporaApplication.h"
#include "browser/Fishdata_F.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/Seams.h"
#include "core/SqlQuery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

using kelpora::bench::median;
using kelpora::bench::ms;
using kelpora::bench::PaintClock;

class QuietMessages final : public kelpora::seams::MessageBoxes {
public:
    void inform(const QString& text) override { said << text; }
    void error(const QString& text) override { said << text; }
    bool confirm(const QString& text) override
    {
        said << text;
        return false;
    }
    QStringList said;
};

struct Opening {
    double fields = 0;
    double pictures = 0;
};

// One opening of the browser on a data module, as the main menu's button does it: the
// window is built and shown, and the clock stops when its fields, then its pictures,
// are on the screen.
Opening openBrowser(int records)
{
    QElapsedTimer t;
    t.start();
    auto* window = new TFishdataF(nullptr);
    FishdataF = window;
    auto* clock = new PaintClock(*window);
    const double built = ms(t);
    clock->start();
    window->show();
    if (!clock->waitForFields() || !clock->waitForPictures())
        throw kelpora::Error(QStringLiteral("the browser was never painted"));
    const Opening o{built + clock->fieldsMs(), built + clock->picturesMs()};
    if (window->IBSQL_2->rowCount() != records)
        throw kelpora::Error(QStringLiteral("expected %1 rows, got %2").arg(records).arg(window->IBSQL_2->rowCount()));
    delete window;
    FishdataF = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return o;
}

struct Figures {
    std::vector<double> firstFields, firstPictures, againFields, againPictures;
};

// A fresh data module each round: the first opening attaches, the second finds the
// attachment made.
void round(int records, Figures& f)
{
    TDM1 dm;
    DM1 = &dm;
    const Opening first = openBrowser(records);
    const Opening again = openBrowser(records);
    DM1 = nullptr;
    f.firstFields.push_back(first.fields);
    f.firstPictures.push_back(first.pictures);
    f.againFields.push_back(again.fields);
    f.againPictures.push_back(again.pictures);
}

void print(const char* which, const Figures& f)
{
    std::printf("%-8s first opening (attaching): fields %7.1f ms, pictures %7.1f ms;"
                " again: fields %7.1f ms, pictures %7.1f ms\n",
        which, median(f.firstFields), median(f.firstPictures), median(f.againFields), median(f.againPictures));
}

int measure(int records, int runs)
{
    using kelpora::testing::FirebirdServer;
    if (const QString why = FirebirdServer::unavailable(); !why.isEmpty())
        throw kelpora::Error(QStringLiteral("no Firebird server to measure: ") + why);
    QuietMessages messages;
    kelpora::seams::setMessageBoxes(&messages);
    QTemporaryDir dir;
    kelpora::bench::buildBenchBook(dir.path(), records, 1);

    FirebirdServer server;
    if (!server.failure().isEmpty())
        throw kelpora::Error(server.failure());
    // The very same file, which the server reads as its own.
    if (!QFile::copy(QDir(dir.path()).filePath(QLatin1String(TDM1::kFileName)), server.filePath(QLatin1String(TDM1::kFileName))))
        throw kelpora::Error(QStringLiteral("cannot hand the book to the server"));
    QDir::setCurrent(dir.path());

    Figures local;
    Figures remote;
    for (int i = 0; i < runs; ++i) {
        // Which of the two goes first changes every round.
        for (const bool onServer : {i % 2 == 0, i % 2 != 0}) {
            if (onServer)
                qputenv("KELPORA_DATABASE", server.bookName().toUtf8());
            else
                qunsetenv("KELPORA_DATABASE");
            round(records, onServer ? remote : local);
        }
    }
    qunsetenv("KELPORA_DATABASE");
    std::printf("browser opening on %d records, medians of %d rounds:\n", records, runs);
    print("local", local);
    print("server", remote);
    if (!messages.said.isEmpty())
        std::printf("messages shown: %s\n", qPrintable(messages.said.join(u'\n')));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KelporaApplication app(argc, argv);
    KelporaApplication::installJapaneseFont();
    const QStringList args = QCoreApplication::arguments().mid(1);
    const int records = args.size() > 0 ? args[0].toInt() : 20000;
    const int runs = args.size() > 1 ? args[1].toInt() : 5;
    if (records < 1 || runs < 1) {
        std::fprintf(stderr, "usage: kelpora-bench-server [RECORDS [RUNS]]\n");
        return 2;
    }
    try {
        return measure(records, runs);
    } catch (const kelpora::Error& e) {
        std::fprintf(stderr, "kelpora-bench-server: %s\n", qPrintable(e.text()));
        return 1;
    }
}
