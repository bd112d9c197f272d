#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace kelpora::testing {

// Debian's Firebird server run as a child process of the test, on a free loopback port,
// with a configuration, lock folder and security database of its own in a temporary
// folder, and the user the application logs in as. No system service is involved, and
// the server is stopped with the object.
class FirebirdServer {
public:
    static constexpr const char* kBinary = "/usr/sbin/firebird";

    // Why the tests against a server cannot run here; empty when they can.
    static QString unavailable();

    FirebirdServer();
    ~FirebirdServer();
    FirebirdServer(const FirebirdServer&) = delete;
    FirebirdServer& operator=(const FirebirdServer&) = delete;

    // Empty when the server came up; otherwise what went wrong.
    const QString& failure() const { return m_failure; }
    int port() const { return m_port; }

    // "localhost/PORT:/tmp/.../name": a book in the server's own folder.
    QString bookName(const QString& name = QStringLiteral("KELPORA.FDB")) const;
    QString filePath(const QString& name) const;

    // A server that goes away mid-session and comes back on the same port.
    void stop();
    bool start();

private:
    bool prepare();
    bool runIsql(const QString& sql);
    QProcessEnvironment environment() const;

    QTemporaryDir m_root;
    QProcess m_process;
    int m_port = 0;
    QString m_failure;
};

} // namespace kelpora::testing
