#pragma once

#include <QString>
#include <QTemporaryDir>

namespace kelpora::testing {

// A tmpfs of a few hundred kilobytes, mounted for one test: a disk that really fills up.
// Mounting needs root and a system that allows it; where it is refused, mounted() is
// false and why() says why, so the test can skip with that line.
class SmallDisk {
public:
    explicit SmallDisk(int kilobytes = 200);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    QString why() const { return m_why; }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_why;
};

} // namespace kelpora::testing

// Skips the running test, saying why, unless the disk is there.
#define KELPORA_NEED_SMALL_DISK(disk)                                                                               \
    if (!(disk).mounted())                                                                                           \
    GTEST_SKIP() << "no small tmpfs for a full disk: " << (disk).why().toStdString()
