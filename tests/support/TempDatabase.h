#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

class TDM1;

namespace kelpora::testing {

// A fresh KELPORA.FDB in its own temporary folder, made the current directory for
// the test's lifetime (the application finds its file there), with a data module.
class TempDatabase {
public:
    explicit TempDatabase(bool createFile = true);
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    QString dir() const;
    QString path() const;
    void createFile();
    TDM1& dm() { return *m_dm; }

    // Runs one statement on its own short connection, to check what really reached the file.
    static int countRows(const QString& path, const QString& where = QString());

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
    std::unique_ptr<TDM1> m_dm;
};

} // namespace kelpora::testing
