#include "app/InputMethodControls.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>

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
        m_bus.send(
            callOf(kService, QStringLiteral("/controller"), QStringLiteral("org.fcitx.Fcitx.Controller1"), method));
    }

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    bool m_running = false;
};

} // namespace

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

namespace {

struct Engine {
    QString name;
    QString language;
    bool isKeyboard() const { return name.startsWith(QLatin1String("xkb:")); }
};

// An IBusEngineDesc as IBus sends it: a type name, attachments, then the engine's name,
// long name, description and language among other texts.
Engine engineOf(const QDBusArgument& desc)
{
    Engine engine;
    QString type;
    QVariantMap attachments;
    QString longName;
    QString description;
    desc.beginStructure();
    desc >> type >> attachments >> engine.name >> longName >> description >> engine.language;
    while (!desc.atEnd())
        desc.asVariant();
    desc.endStructure();
    return type == QLatin1String("IBusEngineDesc") ? engine : Engine{};
}

// What one variant holds, however many variants it is wrapped in.
QVariant unwrapped(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

class IBusControl final : public QObject, public InputMethodControl {
    Q_OBJECT
public:
    explicit IBusControl(const QDBusConnection& bus) : m_bus(bus)
    {
        m_bus.connect(
            QString(), kPath, kInterface, QStringLiteral("GlobalEngineChanged"), this, SLOT(engineChanged(QString)));
        engineChanged(property(QStringLiteral("GlobalEngine")).value(0).name);
        if (!m_current.isEmpty() && !m_current.startsWith(QLatin1String("xkb:")))
            m_japanese = m_current;
        // The user's own engines first, then whatever is installed.
        for (const QString& list : {QStringLiteral("ActiveEngines"), QStringLiteral("Engines")})
            learn(property(list));
    }
    ~IBusControl() override { QDBusConnection::disconnectFromBus(m_bus.name()); }

    bool reachable() const override { return m_bus.isConnected(); }
    void turnOn() override
    {
        if ((m_current.isEmpty() || m_current.startsWith(QLatin1String("xkb:"))) && !m_japanese.isEmpty())
            setEngine(m_japanese);
    }
    void turnOff() override
    {
        if (!m_current.isEmpty() && !m_current.startsWith(QLatin1String("xkb:")))
            m_japanese = m_current; // the user's choice, to come back to
        if (!m_keyboard.isEmpty() && m_current != m_keyboard)
            setEngine(m_keyboard);
    }

private slots:
    void engineChanged(const QString& name)
    {
        m_current = name;
        if (name.startsWith(QLatin1String("xkb:")))
            m_keyboard = name;
    }

private:
    static inline const QString kPath = QStringLiteral("/org/freedesktop/IBus");
    static inline const QString kInterface = QStringLiteral("org.freedesktop.IBus");

    // A keyboard layout and a Japanese engine, Mozc where there is a choice.
    void learn(const QList<Engine>& engines)
    {
        QString japanese;
        for (const Engine& e : engines) {
            if (e.isKeyboard() && m_keyboard.isEmpty())
                m_keyboard = e.name;
            if (!e.isKeyboard() && e.language == QLatin1String("ja")
                && (japanese.isEmpty() || e.name == QLatin1String("mozc-jp")))
                japanese = e.name;
        }
        if (m_japanese.isEmpty())
            m_japanese = japanese;
    }

    // Asked once, when the switch first needs IBus; an IBus that does not answer at once
    // is left alone.
    QList<Engine> property(const QString& name)
    {
        QDBusMessage get = callOf(QStringLiteral("org.freedesktop.IBus"), kPath,
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << kInterface << name;
        const QDBusMessage reply = m_bus.call(get, QDBus::Block, 1000);
        QList<Engine> out;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return out;
        const QVariant value = unwrapped(reply.arguments().first());
        const QDBusArgument arg = value.value<QDBusArgument>();
        if (arg.currentType() == QDBusArgument::StructureType) {
            out << engineOf(arg);
        } else if (arg.currentType() == QDBusArgument::ArrayType) {
            arg.beginArray();
            while (!arg.atEnd())
                out << engineOf(unwrapped(arg.asVariant()).value<QDBusArgument>());
            arg.endArray();
        }
        return out;
    }

    void setEngine(const QString& engine)
    {
        QDBusMessage message
            = callOf(QStringLiteral("org.freedesktop.IBus"), kPath, kInterface, QStringLiteral("SetGlobalEngine"));
        message << engine;
        m_bus.send(message);
    }

    QDBusConnection m_bus;
    QString m_current;
    QString m_keyboard; // an xkb layout engine
    QString m_japanese;
};

} // namespace

std::unique_ptr<InputMethodControl> fcitx5Control(const QDBusConnection& bus)
{
    return std::make_unique<Fcitx5Control>(bus);
}

std::unique_ptr<InputMethodControl> ibusControl(const QString& address)
{
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

#include "InputMethodControls.moc"
