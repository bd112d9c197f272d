#include "app/InputMethodControls.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>

#include <functional>

namespace kelpora::kit {

namespace {

// A call that never starts a service that is not running: an input method the user
// has not started is not ours to start.
QDBusMessage callOf(const QString& service, const QString& path, const QString& interface, const QString& method)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setAutoStartService(false);
    return message;
}

class Fcitx5Control final : public InputMethodControl {
public:
    explicit Fcitx5Control(const QDBusConnection& bus)
        : m_bus(bus), m_watcher(kService, bus, QDBusServiceWatcher::WatchForOwnerChange)
    {
        QObject::connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged,
            [this](const QString&, const QString&, const QString& owner) { m_running = !owner.isEmpty(); });
        m_running = m_bus.interface() && m_bus.interface()->isServiceRegistered(kService).value();
    }
    bool reachable() const override { return m_running; }
    void turnOn() override { send(QStringLiteral("Activate")); }
    void turnOff() override { send(QStringLiteral("Deactivate")); }

private:
    static inline const QString kService = QStringLiteral("org.fcitx.Fcitx5");

    void send(const QString& method)
    {
        m_bus.send(callOf(kService, QStringLiteral("/controller"), QStringLiteral("org.fcitx.Fcitx.Controller1"), method));
    }

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    bool m_running = false;
};

// Where IBus writes its bus address for a display: the file its own library reads.
QString ibusAddress()
{
    if (const QString set = qEnvironmentVariable("IBUS_ADDRESS"); !set.isEmpty())
        return set;
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    QString host = QStringLiteral("unix");
    if (display.isEmpty()) {
        // ":0.0" or "host:0": the host part, or "unix", and the display number.
        static const QRegularExpression x11(QStringLiteral("^([^:]*):([0-9]+)"));
        const QRegularExpressionMatch m = x11.match(qEnvironmentVariable("DISPLAY"));
        if (!m.hasMatch())
            return {};
        if (!m.captured(1).isEmpty())
            host = m.captured(1);
        display = m.captured(2);
    }
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    QFile file(QStringLiteral("%1/ibus/bus/%2-%3-%4")
            .arg(config, QString::fromLatin1(QSysInfo::machineUniqueId()), host, display));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("IBUS_ADDRESS="))
            return QString::fromUtf8(line.mid(13).trimmed());
    return {};
}

// The engine name inside the IBusEngineDesc that GetGlobalEngine answers with.
QString engineName(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    const QDBusArgument desc = reply.arguments().first().value<QDBusVariant>().variant().value<QDBusArgument>();
    QString type;
    QString name;
    desc.beginStructure();
    desc >> type;
    QVariantMap attachments;
    desc >> attachments;
    desc >> name;
    desc.endStructure();
    return type == QLatin1String("IBusEngineDesc") ? name : QString();
}

class IBusControl final : public InputMethodControl {
public:
    explicit IBusControl(const QDBusConnection& bus) : m_bus(bus) { withEngine([](const QString&) {}); }
    ~IBusControl() override { QDBusConnection::disconnectFromBus(m_bus.name()); }
    bool reachable() const override { return m_bus.isConnected(); }
    void turnOn() override
    {
        withEngine([this](const QString&) {
            if (!m_japanese.isEmpty())
                setEngine(m_japanese);
        });
    }
    void turnOff() override
    {
        withEngine([this](const QString&) {
            if (!m_keyboard.isEmpty())
                setEngine(m_keyboard);
        });
    }

private:
    static QDBusMessage call(const QString& method)
    {
        return callOf(QStringLiteral("org.freedesktop.IBus"), QStringLiteral("/org/freedesktop/IBus"),
            QStringLiteral("org.freedesktop.IBus"), method);
    }

    // Learns which engine is in use (the user may have switched by hand), then acts.
    void withEngine(const std::function<void(const QString&)>& then)
    {
        auto* watcher
            = new QDBusPendingCallWatcher(m_bus.asyncCall(call(QStringLiteral("GetGlobalEngine"))), &m_context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_context, [this, then](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QString engine = engineName(w->reply());
            if (engine.startsWith(QLatin1String("xkb:")))
                m_keyboard = engine;
            else if (!engine.isEmpty())
                m_japanese = engine;
            then(engine);
        });
    }

    void setEngine(const QString& engine)
    {
        QDBusMessage message = call(QStringLiteral("SetGlobalEngine"));
        message << engine;
        m_bus.send(message);
    }

    QDBusConnection m_bus;
    QObject m_context; // answers still on their way die with the control
    QString m_keyboard; // an xkb layout engine
    // Before the user has used one, Mozc: IBus's Japanese engine most desktops install.
    QString m_japanese = QStringLiteral("mozc-jp");
};

} // namespace

std::unique_ptr<InputMethodControl> fcitx5Control(const QDBusConnection& bus)
{
    return std::make_unique<Fcitx5Control>(bus);
}

std::unique_ptr<InputMethodControl> ibusControl()
{
    const QString address = ibusAddress();
    if (address.isEmpty())
        return nullptr;
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("kelpora-ibus"));
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(bus.name());
        return nullptr;
    }
    return std::make_unique<IBusControl>(bus);
}

} // namespace kelpora::kit
