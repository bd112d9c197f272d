#include "support/TempDatabase.h"
#include "core/BookLocation.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"

#include <QDir>

#include <gtest/gtest.h>

using kelpora::BookLocation;

TEST(BookLocation, TellsServerBooksFromFilesOfThisComputer)
{
    const QString plain = QStringLiteral("bookserver:/srv/kelpora/KELPORA.FDB");
    EXPECT_TRUE(BookLocation::isServerBook(plain));
    EXPECT_EQ(BookLocation::serverHost(plain), QStringLiteral("bookserver"));
    EXPECT_EQ(BookLocation::serverPath(plain), QStringLiteral("/srv/kelpora/KELPORA.FDB"));
    EXPECT_EQ(BookLocation::serviceManager(plain), QStringLiteral("bookserver:service_mgr"));

    const QString port = QStringLiteral("localhost/3051:/path/KELPORA.FDB");
    EXPECT_EQ(BookLocation::serverHost(port), QStringLiteral("localhost"));
    EXPECT_EQ(BookLocation::serviceManager(port), QStringLiteral("localhost/3051:service_mgr"));

    const QString url = QStringLiteral("inet://bookserver:3051/srv/KELPORA.FDB");
    EXPECT_EQ(BookLocation::serviceManager(url), QStringLiteral("bookserver/3051:service_mgr"));
    EXPECT_EQ(BookLocation::serverPath(url), QStringLiteral("/srv/KELPORA.FDB"));

    for (const char* local : {"/home/a/KELPORA.FDB", "/odd:name/KELPORA.FDB", "C:\\book\\KELPORA.FDB", "KELPORA.FDB"}) {
        EXPECT_FALSE(BookLocation::isServerBook(QLatin1String(local))) << local;
        EXPECT_EQ(BookLocation::serviceManager(QLatin1String(local)), QStringLiteral("service_mgr")) << local;
    }
}

TEST(BookLocation, TheEnvironmentNamesTheBookAndABookHereKeepsTheDefaultTransaction)
{
    kelpora::testing::TempDatabase here;
    qputenv("KELPORA_DATABASE", "  ");
    EXPECT_EQ(BookLocation::databaseName(QStringLiteral("/a")), QStringLiteral("/a/KELPORA.FDB")) << "blank is unset";

    const QString elsewhere = here.path();
    QDir::setCurrent(QDir::tempPath());
    qputenv("KELPORA_DATABASE", elsewhere.toUtf8());
    TDM1 dm;
    kelpora::SqlQuery q(dm.IBDB2, dm.IBTr2);
    q.addSql(QStringLiteral("select count(*) from FISH_DATA"));
    q.open();
    qunsetenv("KELPORA_DATABASE");
    QDir::setCurrent(here.dir());
    EXPECT_EQ(dm.IBDB2.databaseName(), elsewhere);
    EXPECT_FALSE(dm.IBTr2.readCommitted()) << "a book of this computer alone keeps the server's defaults";
}
