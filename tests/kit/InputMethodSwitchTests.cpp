#include "kit/Controls.h"
#include "kit/InputMethodSwitch.h"

#include <QComboBox>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace kit = kelpora::kit;

namespace {

// A (name, value) pair, as fcitx5 is told about a new input context.
struct Hint {
    QString name;
    QString value;
};
QDBusArgument& operator<<(QDBusArgument& out, const Hint& h)
{
    out.beginStructure();
    out << h.name << h.value;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, Hint& h)
{
    in.beginStructure();
    in >> h.name >> h.value;
    in.endStructure();
    return in;
}

} // namespace

Q_DECLARE_METATYPE(Hint)

namespace {

QDBusMessage method(const QString& service, const QString& path, const QString& interface, const QString& name)
{
    return QDBusMessage::createMethodCall(service, path, interface, name);
}

// A home folder and a session bus of their own, so that a test never touches the
// desktop's input method; every process started here ends with it.
class Sandbox {
public:
    Sandbox()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return;
        write(QStringLiteral("bus.conf"),
            "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
            "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
            "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        QProcess& bus = start(daemon,
            {QStringLiteral("--config-file=") + path(QStringLiteral("bus.conf")), QStringLiteral("--nofork"),
                QStringLiteral("--print-address=1")},
            false);
        if (bus.waitForReadyRead(10000))
            m_busAddress = QString::fromUtf8(bus.readLine().trimmed());
    }
    ~Sandbox()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("sandbox"));
        for (QProcess* p : m_processes) {
            p->kill();
            p->waitForFinished();
            delete p;
        }
    }

    // Where `program` is installed, if it is and the sandbox's bus runs.
    QString find(const char* program) const
    {
        return m_busAddress.isEmpty() ? QString() : QStandardPaths::findExecutable(QLatin1String(program));
    }

    // With this home and this session bus, no display, the system's own interpreters for
    // the engines' scripts, and quiet unless its output is read.
    QProcess& start(const QString& program, const QStringList& arguments, bool quiet = true)
    {
        auto* p = m_processes.emplace_back(new QProcess);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
            env.remove(QLatin1String(name));
        p->setProcessEnvironment(env);
        if (quiet) {
            p->setStandardOutputFile(QProcess::nullDevice());
            p->setStandardErrorFile(QProcess::nullDevice());
        }
        p->start(program, arguments);
        return *p;
    }

    // A connection to `address` (the sandbox's bus when empty) once `service` answers there.
    std::optional<QDBusConnection> connect(const QString& service, const QString& address = QString())
    {
        const QString to = address.isEmpty() ? m_busAddress : address;
        const auto answers = [&service](const QDBusConnection& bus) {
            return bus.isConnected() && bus.interface()->isServiceRegistered(service).value();
        };
        QDBusConnection bus = QDBusConnection::connectToBus(to, QStringLiteral("sandbox"));
        for (int i = 0; i < 100 && !answers(bus); ++i) {
            QTest::qWait(100);
            if (!bus.isConnected()) { // the daemon is still opening its socket
                QDBusConnection::disconnectFromBus(QStringLiteral("sandbox"));
                bus = QDBusConnection::connectToBus(to, QStringLiteral("sandbox"));
            }
        }
        return answers(bus) ? std::optional(bus) : std::nullopt;
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    void write(const QString& name, const char* text)
    {
        QDir().mkpath(QFileInfo(path(name)).path());
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }

private:
    QTemporaryDir m_dir;
    QString m_busAddress;
    std::vector<QProcess*> m_processes;
};

// A date, a name, a place and a tide box as the kit makes them, in a window with the focus.
struct Fields {
    QWidget window;
    QLineEdit* name = kit::editField(&window, "name", {10, 10, 100, 22}, kit::InputMethod::On);
    QLineEdit* date = kit::editField(&window, "date", {10, 40, 100, 22}, kit::InputMethod::Off);
    QLineEdit* place = kit::editField(&window, "place", {10, 70, 100, 22}, kit::InputMethod::Keep);
    QComboBox* tide = kit::comboBox(&window, "tide", {10, 100, 100, 22});
    Fields()
    {
        tide->setEditable(true);
        kit::setInputMethod(tide, kit::InputMethod::On);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

// The switch asks the input methods on these buses while it lives, and none afterwards.
struct Switching {
    explicit Switching(const QDBusConnection& bus, const QString& ibus = QString())
    {
        kit::InputMethodSwitch::instance().useBus(bus, ibus);
    }
    ~Switching() { kit::InputMethodSwitch::instance().useBus(QDBusConnection(QStringLiteral("kelpora-no-bus"))); }
};

bool takesInputMethodText(QWidget* field)
{
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QApplication::sendEvent(field, &query);
    return query.value(Qt::ImEnabled).toBool();
}

} // namespace

TEST(InputMethodSwitch, AClosedFieldTakesNoInputMethodTextTheOthersDo)
{
    Fields f;
    EXPECT_FALSE(takesInputMethodText(f.date));
    EXPECT_TRUE(takesInputMethodText(f.name));
    EXPECT_TRUE(takesInputMethodText(f.place));
}

TEST(InputMethodSwitch, HiraganaFieldsTurnARealFcitx5OnClosedOnesOffOthersLeaveItBe)
{
    Sandbox box;
    const QString fcitx5 = box.find("fcitx5");
    if (fcitx5.isEmpty())
        GTEST_SKIP() << "fcitx5 or dbus-daemon is not installed: not tried against a real input method";
    // A US and a Japanese keyboard: off is the first, on the second.
    box.write(QStringLiteral("config/fcitx5/profile"),
        "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=keyboard-jp\n"
        "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n[Groups/0/Items/1]\nName=keyboard-jp\nLayout=\n"
        "[GroupOrder]\n0=Default\n");
    box.start(fcitx5, {QStringLiteral("--disable=all"), QStringLiteral("--enable=dbus,dbusfrontend,keyboard")});
    const QString service = QStringLiteral("org.fcitx.Fcitx5");
    const std::optional<QDBusConnection> bus = box.connect(service);
    if (!bus)
        GTEST_SKIP() << "fcitx5 did not come up: not tried against a real input method";
    // fcitx5 switches the input context with the focus; this one stands for the window's.
    qDBusRegisterMetaType<Hint>();
    qDBusRegisterMetaType<QList<Hint>>();
    QDBusMessage create = method(service, QStringLiteral("/org/freedesktop/portal/inputmethod"),
        QStringLiteral("org.fcitx.Fcitx.InputMethod1"), QStringLiteral("CreateInputContext"));
    create << QVariant::fromValue(QList<Hint>{{QStringLiteral("program"), QStringLiteral("kelpora-test")}});
    const QString context = bus->call(create).arguments().value(0).value<QDBusObjectPath>().path();
    bus->call(method(service, context, QStringLiteral("org.fcitx.Fcitx.InputContext1"), QStringLiteral("FocusIn")));
    const auto state = [&] {
        return bus
            ->call(method(service, QStringLiteral("/controller"), QStringLiteral("org.fcitx.Fcitx.Controller1"),
                QStringLiteral("State")))
            .arguments()
            .value(0)
            .toInt();
    };

    const Switching switching(*bus);
    Fields f;
    ASSERT_EQ(state(), 1);
    QTest::mouseClick(f.name, Qt::LeftButton);
    QTRY_COMPARE(state(), 2);
    QTest::mouseClick(f.place, Qt::LeftButton);
    QTest::qWait(200);
    EXPECT_EQ(state(), 2);
    QTest::mouseClick(f.date, Qt::LeftButton);
    QTRY_COMPARE(state(), 1);
    QTest::mouseClick(f.place, Qt::LeftButton);
    QTest::qWait(200);
    EXPECT_EQ(state(), 1);
    QTest::mouseClick(f.tide->lineEdit(), Qt::LeftButton);
    QTRY_COMPARE(state(), 2);
}

TEST(InputMethodSwitch, HiraganaFieldsTurnARealIBusToItsJapaneseEngineClosedOnesBackToTheKeyboard)
{
    Sandbox box;
    const QString daemon = box.find("ibus-daemon");
    if (daemon.isEmpty() || !QFile::exists(QStringLiteral("/usr/share/ibus/component/anthy.xml")))
        GTEST_SKIP() << "ibus, ibus-anthy or dbus-daemon is not installed: not tried against a real IBus";
    const QString address = QStringLiteral("unix:path=") + box.path(QStringLiteral("ibus.socket"));
    box.start(daemon,
        {QStringLiteral("--panel=disable"), QStringLiteral("--emoji-extension=disable"), QStringLiteral("--cache=none"),
            QStringLiteral("--address=") + address});
    const std::optional<QDBusConnection> bus = box.connect(QStringLiteral("org.freedesktop.IBus"), address);
    if (!bus)
        GTEST_SKIP() << "ibus-daemon did not come up: not tried against a real IBus";
    const auto ibus = [&](const char* name) {
        return method(QStringLiteral("org.freedesktop.IBus"), QStringLiteral("/org/freedesktop/IBus"),
            QStringLiteral("org.freedesktop.IBus"), QLatin1String(name));
    };
    const auto engine = [&] {
        const QDBusMessage reply = bus->call(ibus("GetGlobalEngine"));
        const QDBusArgument desc = reply.arguments().value(0).value<QDBusVariant>().variant().value<QDBusArgument>();
        QString type;
        QVariantMap attachments;
        QString name;
        desc.beginStructure();
        desc >> type >> attachments >> name;
        desc.endStructure(); // it owns the reader beginStructure() made
        return name;
    };
    bus->call(ibus("SetGlobalEngine") << QStringLiteral("xkb:us::eng"));

    const Switching switching(QDBusConnection(QStringLiteral("kelpora-no-bus")), address);
    Fields f;
    QTest::mouseClick(f.name, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(engine(), QStringLiteral("anthy"), 10000);
    QTest::mouseClick(f.date, Qt::LeftButton);
    QTRY_COMPARE(engine(), QStringLiteral("xkb:us::eng"));
    QTest::mouseClick(f.place, Qt::LeftButton);
    QTest::qWait(200);
    EXPECT_EQ(engine(), QStringLiteral("xkb:us::eng"));
}
