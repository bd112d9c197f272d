#include "bookcare/AtomicFile.h"
#include "bookcare/FileError.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using kelpora::bookcare::AtomicFile;
using kelpora::bookcare::FileError;

namespace {

QStringList everything(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

} // namespace

TEST(AtomicFile, AppearsOnlyWhenCommittedAndNeverOverwritesUnlessAllowed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    {
        AtomicFile f(path, 0600);
        f.write(QByteArray("half"));
        EXPECT_FALSE(QFile::exists(path)) << "nothing under the final name before commit";
    }
    EXPECT_TRUE(everything(dir.path()).isEmpty()) << "an abandoned file leaves nothing";

    AtomicFile::writeWhole(path, "first", 0600);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    try {
        AtomicFile::writeWhole(path, "second");
        ADD_FAILURE() << "an existing file was replaced";
    } catch (const FileError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("既に存在します"))) << e.what();
    }
    EXPECT_EQ(contents(path), "first");
    AtomicFile::writeWhole(path, "third", 0644, AtomicFile::Replace::Allowed);
    EXPECT_EQ(contents(path), "third");
    EXPECT_EQ(everything(dir.path()), QStringList{QStringLiteral("out.csv")});
}

TEST(AtomicFile, AFullDiskIsNamedAndLeavesNothing)
{
    kelpora::testing::SmallDisk disk(200);
    KELPORA_NEED_SMALL_DISK(disk);
    const QByteArray big(1 << 20, 'x');
    for (const bool whole : {true, false}) {
        try {
            if (whole)
                AtomicFile::writeWhole(disk.file(QStringLiteral("big")), big);
            else
                kelpora::bookcare::writeNewFile(disk.file(QStringLiteral("big")), big);
            ADD_FAILURE() << "a full disk went unnoticed";
        } catch (const FileError& e) {
            EXPECT_TRUE(e.diskFull());
            EXPECT_TRUE(e.text().contains(QStringLiteral("ディスクの空きがありません"))) << e.what();
        }
        EXPECT_TRUE(everything(disk.path()).isEmpty()) << everything(disk.path()).join(u' ').toStdString();
    }
}
