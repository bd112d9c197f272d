// Stands in for the application in the tests of the tools and the launcher: a second
// process that uses the book in the current directory the way the application does,
// through the data module, so the tools meet the engine's real per-process lock.
//
//   kelpora-book-user hold        attaches, says "held" and keeps the book until stdin closes
//   kelpora-book-user browse      opens the record browser on the book and closes it
//   kelpora-book-user add         inserts one record with the next number
//   kelpora-book-user exit N      touches nothing and ends with status N

#include "app/KelporaApplication.h"
#include "browser/Fishdata_F.h"
#include "core/CatchRecord.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/SqlQuery.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

int hold(TDM1& dm)
{
    kelpora::SqlQuery q(dm.IBDB2, dm.IBTr2);
    q.addSql(QStringLiteral("select count(*) from FISH_DATA"));
    q.open();
    std::printf("held %d\n", q.aggregateInteger());
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) { }
    return 0;
}

int browse()
{
    auto* window = new TFishdataF(nullptr);
    FishdataF = window;
    window->show(); // reads the whole book and shows the last record
    QCoreApplication::processEvents();
    const int rows = window->IBSQL_2->rowCount();
    window->close();
    delete window;
    FishdataF = nullptr;
    std::printf("browsed %d\n", rows);
    return 0;
}

int add(TDM1& dm)
{
    kelpora::SqlQuery next(dm.IBDB2, dm.IBTr2);
    next.addSql(QStringLiteral("select max(CODENO) from FISH_DATA"));
    next.open();
    const int code = next.aggregateInteger() + 1;
    kelpora::SqlQuery insert(dm.IBDB2, dm.IBTr2);
    insert.addSql(kelpora::record::insertAllSql());
    insert.bindInteger(QStringLiteral("parCODENO"), code);
    insert.bindText(QStringLiteral("parDAY_DATA"), QStringLiteral("2026/06/01"));
    insert.bindText(QStringLiteral("parBASYO"), QStringLiteral("館山"));
    insert.bindText(QStringLiteral("parFISH1"), QStringLiteral("アジ"));
    if (!dm.guardedWrite(insert, QStringLiteral("入力に失敗しました")))
        return 1;
    std::printf("added %d\n", code);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KelporaApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString mode = args.value(0);
    if (mode == QLatin1String("exit"))
        return args.value(1).toInt();

    TDM1 dm;
    DM1 = &dm;
    int rc = 2;
    try {
        if (mode == QLatin1String("hold"))
            rc = hold(dm);
        else if (mode == QLatin1String("browse"))
            rc = browse();
        else if (mode == QLatin1String("add"))
            rc = add(dm);
        else
            std::fprintf(stderr, "usage: kelpora-book-user hold|browse|add|exit N\n");
    } catch (const kelpora::Error& e) {
        std::fprintf(stderr, "kelpora-book-user: %s\n", e.text().toUtf8().constData());
        rc = 1;
    }
    DM1 = nullptr;
    return rc;
}
