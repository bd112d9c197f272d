#include "FirebirdServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <sys/prctl.h>

#include <pthread.h>

#include <csignal>

namespace kelpora::testing {

namespace {

const QString kPackageRoot = QStringLiteral("/usr/lib/x86_64-linux-gnu/firebird/3.0");
const QString kPackageSecurity = QStringLiteral("/var/lib/firebird/3.0/system/security3.fdb");
constexpr int kStartMs = 15000;

int freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool listening(int port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    return socket.waitForConnected(200);
}

} // namespace

QString FirebirdServer::unavailable()
{
    if (!QFileInfo(QLatin1String(kBinary)).isExecutable())
        return QStringLiteral("%1 is missing (Debian package firebird3.0-server)").arg(QLatin1String(kBinary));
    if (!QFileInfo(kPackageSecurity).isReadable())
        return QStringLiteral("%1 is not readable").arg(kPackageSecurity);
    if (QStandardPaths::findExecutable(QStringLiteral("isql-fb")).isEmpty())
        return QStringLiteral("isql-fb is missing (Debian package firebird3.0-utils)");
    return {};
}

FirebirdServer::FirebirdServer()
{
    m_failure = unavailable();
    if (m_failure.isEmpty() && prepare())
        start();
}

FirebirdServer::~FirebirdServer()
{
    stop();
}

QString FirebirdServer::filePath(const QString& name) const
{
    return m_root.filePath(QStringLiteral("books/") + name);
}

QString FirebirdServer::bookName(const QString& name) const
{
    return QStringLiteral("localhost/%1:%2").arg(m_port).arg(filePath(name));
}

QProcessEnvironment FirebirdServer::environment() const
{
    // The test process's own client keeps the system's settings; only the child sees these.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FIREBIRD"), m_root.path());
    env.insert(QStringLiteral("FIREBIRD_LOCK"), m_root.filePath(QStringLiteral("lock")));
    env.insert(QStringLiteral("FIREBIRD_TMP"), m_root.filePath(QStringLiteral("tmp")));
    env.remove(QStringLiteral("KELPORA_DATABASE"));
    return env;
}

// A root folder of the server's own: the package's plugins and messages, a private
// configuration and a copy of the package's security database with the book's user.
bool FirebirdServer::prepare()
{
    const QDir root(m_root.path());
    for (const char* name : {"plugins", "intl", "lib", "UDF", "firebird.msg", "plugins.conf"})
        QFile::link(kPackageRoot + u'/' + QLatin1String(name), root.filePath(QLatin1String(name)));
    for (const char* folder : {"lock", "tmp", "books"})
        root.mkdir(QLatin1String(folder));
    QFile(root.filePath(QStringLiteral("databases.conf"))).open(QIODevice::WriteOnly);
    const QString security = root.filePath(QStringLiteral("security3.fdb"));
    m_port = freePort();
    QFile conf(root.filePath(QStringLiteral("firebird.conf")));
    if (m_port == 0 || !QFile::copy(kPackageSecurity, security) || !conf.open(QIODevice::WriteOnly)) {
        m_failure = QStringLiteral("cannot lay out the server's folder in %1").arg(m_root.path());
        return false;
    }
    QFile::setPermissions(security, QFile::ReadOwner | QFile::WriteOwner);
    conf.write(QStringLiteral("RemoteServicePort = %1\nRemoteBindAddress = 127.0.0.1\nSecurityDatabase = %2\n"
                              "UdfAccess = None\n")
                   .arg(m_port)
                   .arg(security)
                   .toUtf8());
    conf.close();
    return runIsql(QStringLiteral("create user zkw password '9157';\ngrant create database to user zkw;\ncommit;\n"));
}

bool FirebirdServer::runIsql(const QString& sql)
{
    QProcess isql;
    isql.setProcessEnvironment(environment());
    isql.setProcessChannelMode(QProcess::MergedChannels);
    isql.start(QStringLiteral("isql-fb"),
        {QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-q"),
            m_root.filePath(QStringLiteral("security3.fdb"))});
    if (!isql.waitForStarted()) {
        m_failure = QStringLiteral("isql-fb does not start");
        return false;
    }
    isql.write(sql.toUtf8());
    isql.closeWriteChannel();
    isql.waitForFinished(30000);
    const QByteArray said = isql.readAll();
    if (isql.exitCode() != 0 || said.contains("Statement failed")) {
        m_failure = QStringLiteral("cannot add the user: %1").arg(QString::fromLocal8Bit(said));
        return false;
    }
    return true;
}

bool FirebirdServer::start()
{
    m_process.setProcessEnvironment(environment());
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setChildProcessModifier([] {
        // A test that dies must not leave a server listening behind it; and the signals
        // the application's shutdown handling holds back must reach the server.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        sigset_t all;
        sigemptyset(&all);
        ::pthread_sigmask(SIG_SETMASK, &all, nullptr);
    });
    m_process.start(QLatin1String(kBinary), {});
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kStartMs) {
        if (m_process.state() == QProcess::NotRunning) {
            m_failure = QStringLiteral("the server ended at once: %1").arg(QString::fromLocal8Bit(m_process.readAll()));
            return false;
        }
        if (listening(m_port)) {

            m_failure.clear();
            return true;
        }
        QThread::msleep(50);
    }
    m_failure = QStringLiteral("the server did not listen on port %1").arg(m_port);
    stop();
    return false;
}

void FirebirdServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;

    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

} // namespace kelpora::testing
