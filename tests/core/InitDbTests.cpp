#include "core/CatchRecord.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString initdb()
{
    return QStringLiteral(KELPORA_INITDB_PATH);
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

TEST(InitDb, CreatesTheCatchTableWithEveryColumnInOrder)
{
    kelpora::testing::ScriptedSeams seams;
    kelpora::testing::TempDatabase db;
    kelpora::SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
    q.addSql(
        QStringLiteral("select r.RDB$FIELD_NAME as NAME, f.RDB$FIELD_TYPE as FTYPE, f.RDB$FIELD_SUB_TYPE as SUBT,"));
    q.addSql(QStringLiteral(" f.RDB$FIELD_LENGTH as FLEN from RDB$RELATION_FIELDS r"));
    q.addSql(QStringLiteral(" join RDB$FIELDS f on f.RDB$FIELD_NAME = r.RDB$FIELD_SOURCE"));
    q.addSql(QStringLiteral(" where r.RDB$RELATION_NAME = 'FISH_DATA' order by r.RDB$FIELD_POSITION"));
    q.open();
    const auto columns = kelpora::record::columns();
    ASSERT_EQ(q.rowCount(), 55);
    ASSERT_EQ(columns.size(), 55u);
    for (const auto& c : columns) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(q.fieldText(QStringLiteral("NAME")).trimmed(), QLatin1String(c.name));
        const int type = q.fieldInteger(QStringLiteral("FTYPE"));
        switch (c.type) {
        case kelpora::record::ColumnType::Integer:
            EXPECT_EQ(type, 8);
            break;
        case kelpora::record::ColumnType::Text:
            EXPECT_EQ(type, 37);
            EXPECT_EQ(q.fieldInteger(QStringLiteral("FLEN")), c.byteLength);
            break;
        case kelpora::record::ColumnType::Memo:
            EXPECT_EQ(type, 261);
            EXPECT_EQ(q.fieldInteger(QStringLiteral("SUBT")), 1);
            break;
        case kelpora::record::ColumnType::Picture:
            EXPECT_EQ(type, 261);
            EXPECT_EQ(q.fieldInteger(QStringLiteral("SUBT")), 0);
            break;
        }
        q.next();
    }

    kelpora::SqlQuery info(db.dm().IBDB2, db.dm().IBTr2);
    info.addSql(QStringLiteral(
        "select MON$OWNER as OWNER, MON$SQL_DIALECT as DIALECT, MON$FORCED_WRITES as FW from MON$DATABASE"));
    info.open();
    EXPECT_EQ(info.fieldText(QStringLiteral("OWNER")).trimmed(), QStringLiteral("ZKW"));
    EXPECT_EQ(info.fieldInteger(QStringLiteral("DIALECT")), 1);
    EXPECT_EQ(info.fieldInteger(QStringLiteral("FW")), 1);
    kelpora::SqlQuery cs(db.dm().IBDB2, db.dm().IBTr2);
    cs.addSql(QStringLiteral("select coalesce(RDB$CHARACTER_SET_NAME, 'NONE') from RDB$DATABASE"));
    cs.open();
    EXPECT_EQ(cs.fieldText(cs.columnNames().value(0)).trimmed(), QStringLiteral("NONE"));
}

TEST(InitDb, ToolCreatesInTheGivenFolderAndRefusesAnExistingFile)
{
    ASSERT_FALSE(initdb().isEmpty());
    QTemporaryDir dir;
    QProcess first;
    first.start(initdb(), {dir.path()});
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().constData();
    const QString path = dir.filePath(QStringLiteral("KELPORA.FDB"));
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(kelpora::testing::TempDatabase::countRows(path), 0);

    const QByteArray before = fileHash(path);
    QProcess again;
    again.start(initdb(), {dir.path()});
    ASSERT_TRUE(again.waitForFinished(60000));
    EXPECT_EQ(again.exitCode(), 1);
    EXPECT_FALSE(again.readAllStandardError().isEmpty());
    EXPECT_EQ(fileHash(path), before);
}

TEST(InitDb, ToolSaysInJapaneseThatTheFolderIsMissing)
{
    QTemporaryDir dir;
    QProcess run;
    run.start(initdb(), {dir.filePath(QStringLiteral("nowhere"))});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 1);
    const QString err = QString::fromUtf8(run.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("フォルダー"))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("I/O error"))) << err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("nowhere"))));
}
