#include "core/BookLocation.h"

#include <QDir>

namespace kelpora {

namespace {

constexpr QLatin1StringView kInet("inet://");

// The server part and the path of a server book's name; both empty for a local file.
struct Split {
    QString address;
    QString path;
};

Split split(const QString& name)
{
    if (name.startsWith(kInet)) {
        // inet://host[:port]/path, where the path keeps its own leading slash.
        const QString rest = name.mid(kInet.size());
        const qsizetype slash = rest.indexOf(u'/');
        if (slash <= 0)
            return {};
        QString address = rest.left(slash);
        address.replace(u':', u'/');
        return {address, rest.mid(slash)};
    }
    if (name.startsWith(u'/'))
        return {};
    const qsizetype colon = name.indexOf(u':');
    // One letter before the colon is a drive ("C:\..."), not a server.
    if (colon <= 1)
        return {};
    return {name.left(colon), name.mid(colon + 1)};
}

} // namespace

QString BookLocation::databaseName(const QString& dir)
{
    const QString set = qEnvironmentVariable(kVariable).trimmed();
    if (!set.isEmpty())
        return set;
    return QDir(dir).absoluteFilePath(QLatin1String(kFileName));
}

bool BookLocation::fromEnvironment()
{
    return !qEnvironmentVariable(kVariable).trimmed().isEmpty();
}

bool BookLocation::isServerBook(const QString& name)
{
    return !split(name).address.isEmpty();
}

QString BookLocation::serverHost(const QString& name)
{
    return split(name).address.section(u'/', 0, 0);
}

QString BookLocation::serverAddress(const QString& name)
{
    return split(name).address;
}

QString BookLocation::serverPath(const QString& name)
{
    const Split s = split(name);
    return s.address.isEmpty() ? name : s.path;
}

QString BookLocation::serviceManager(const QString& name)
{
    const QString address = serverAddress(name);
    return address.isEmpty() ? QStringLiteral("service_mgr") : address + QStringLiteral(":service_mgr");
}

QString BookLocation::unreachableMessage(const QString& name)
{
    return QStringLiteral("釣果記録のサーバー %1 に接続できません。サーバーが動いていること、ネットワークにつながって"
                          "いることを確かめてから、もう一度お試しください。書き込み済みの記録は失われていません。")
        .arg(serverHost(name));
}

} // namespace kelpora
