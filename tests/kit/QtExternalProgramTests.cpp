#include "core/Seams.h"
#include "kit/QtSeams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString program(const QString& dir, const QByteArray& script, bool executable = true)
{
    const QString path = QDir(dir).absoluteFilePath(QStringLiteral("Chizu.exe"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(script);
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    file.setPermissions(permissions);
    return path;
}

// PATH and the current directory as a test sets them, put back afterwards.
struct Surroundings {
    Surroundings(const QString& path, const QString& current) : m_path(qgetenv("PATH")), m_current(QDir::currentPath())
    {
        qputenv("PATH", path.toLocal8Bit());
        QDir::setCurrent(current);
    }
    ~Surroundings()
    {
        qputenv("PATH", m_path);
        QDir::setCurrent(m_current);
    }
    QByteArray m_path;
    QString m_current;
};

} // namespace

TEST(MapProgram, IsLookedUpOnThePathFirstThenInTheCurrentDirectory)
{
    QtSeams seams;
    QTemporaryDir onPath, here;
    const QString inPathDir = program(onPath.path(), "#!/bin/sh\n");
    const QString inCurrentDir = program(here.path(), "#!/bin/sh\n");
    Surroundings set(onPath.path(), here.path());
    kelpora::seams::ExternalProgram& p = kelpora::seams::externalProgram();
    EXPECT_EQ(p.locate(QStringLiteral("Chizu.exe")), inPathDir);
    QFile::remove(inPathDir);
    EXPECT_EQ(p.locate(QStringLiteral("Chizu.exe")), inCurrentDir);
    program(here.path(), "#!/bin/sh\n", false);
    EXPECT_EQ(p.locate(QStringLiteral("Chizu.exe")), QString());
}

TEST(MapProgram, ReportsStartedOnlyWhenItRunsAndReturnsWhenItEnds)
{
    QtSeams seams;
    QTemporaryDir dir;
    const QString marker = QDir(dir.path()).absoluteFilePath(QStringLiteral("ended"));
    const QString path = program(dir.path(), "#!/bin/sh\nsleep 0.2\ntouch " + marker.toLocal8Bit() + "\n");
    int started = 0;
    EXPECT_TRUE(kelpora::seams::externalProgram().runAndWait(path, [&] { ++started; }));
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(QFile::exists(marker));

    const QString broken = program(dir.path(), "#!/no/such/interpreter\n");
    EXPECT_FALSE(kelpora::seams::externalProgram().runAndWait(broken, [&] { ++started; }));
    EXPECT_EQ(started, 1);
}
