#include "app/Controls.h"
#include "app/InputMethodSwitch.h"

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

// What fcitx5 is told about a new input context: (name, value) pairs.
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

const QString kFcitx = QStringLiteral("org.fcitx.Fcitx5");

// A folder for an input method's settings, and a session bus of its own, so a test
// never touches the desktop's.
class Sandbox {
public:
    ~Sandbox()
    {
        for (QProcess* p : m_processes) {
            p->kill();
            p->waitForFinished();
            delete p;
        }
    }

    // Empty when the bus runs; otherwise why it does not.
    QString startBus()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return QStringLiteral("dbus-daemon is not installed");
        write(QStringLiteral("bus.conf"),
            "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
            "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
            "<allow own=\"*\"/></policy></busconfig>");
        QProcess& bus = start(daemon,
            {QStringLiteral("--config-file=") + path(QStringLiteral("bus.conf")), QStringLiteral("--nofork"),
                QStringLiteral("--print-address=1")},
            false);
        if (!bus.waitForReadyRead(10000))
            return QStringLiteral("dbus-daemon did not start");
        busAddress = QString::fromUtf8(bus.readLine().trimmed());
        return {};
    }

    // Runs with this folder as its home and this bus as its session, without a display;
    // quietly unless its output is wanted.
    QProcess& start(const QString& program, const QStringList& arguments, bool quiet = true)
    {
        auto* p = new QProcess;
        m_processes << p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        // The engines' scripts want the system's own interpreters.
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

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void write(const char* name, const char* text) { write(QLatin1String(name), text); }
    void write(const QString& name, const char* text)
    {
        QDir().mkpath(QFileInfo(path(name)).path());
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }

    QString busAddress;

private:
    QTemporaryDir m_dir;
    QList<QProcess*> m_processes;
};

// Waits until `service` answers on `bus`.
bool cameUp(const QDBusConnection& bus, const QString& service)
{
    for (int i = 0; i < 100 && !bus.interface()->isServiceRegistered(service).value(); ++i)
        QTest::qWait(100);
    return bus.interface()->isServiceRegistered(service).value();
}

// A real fcitx5 with a US and a Japanese keyboard (on means the second), and one input
// context with the focus, as a window's would have.
class RealFcitx5 {
public:
    ~RealFcitx5() { QDBusConnection::disconnectFromBus(QStringLiteral("fcitx5-under-test")); }

    QString start()
    {
        const QString fcitx5 = QStandardPaths::findExecutable(QStringLiteral("fcitx5"));
        if (fcitx5.isEmpty())
            return QStringLiteral("fcitx5 is not installed: not tried against a real input method");
        if (const QString why = m_sandbox.startBus(); !why.isEmpty())
            return why + QStringLiteral(": not tried against a real input method");
        m_sandbox.write("config/fcitx5/profile",
            "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=keyboard-jp\n"
            "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n[Groups/0/Items/1]\nName=keyboard-jp\nLayout=\n"
            "[GroupOrder]\n0=Default\n");
        m_sandbox.start(
            fcitx5, {QStringLiteral("--disable=all"), QStringLiteral("--enable=dbus,dbusfrontend,keyboard")});
        bus = QDBusConnection::connectToBus(m_sandbox.busAddress, QStringLiteral("fcitx5-under-test"));
        if (!cameUp(bus, kFcitx))
            return QStringLiteral("fcitx5 did not come up on its bus: not tried against a real input method");
        return focusAnInputContext();
    }

    // 1: off (the first keyboard), 2: on.
    int state() { return call(QStringLiteral("/controller"), QStringLiteral("Controller1"), QStringLiteral("State")); }

    QDBusConnection bus{QString()};

private:
    QString focusAnInputContext()
    {
        qDBusRegisterMetaType<Hint>();
        qDBusRegisterMetaType<QList<Hint>>();
        QDBusMessage create
            = QDBusMessage::createMethodCall(kFcitx, QStringLiteral("/org/freedesktop/portal/inputmethod"),
                QStringLiteral("org.fcitx.Fcitx.InputMethod1"), QStringLiteral("CreateInputContext"));
        create << QVariant::fromValue(QList<Hint>{{QStringLiteral("program"), QStringLiteral("kelpora-test")}});
        const QDBusMessage made = bus.call(create);
        if (made.type() != QDBusMessage::ReplyMessage)
            return QStringLiteral("fcitx5 made no input context: ") + made.errorMessage();
        call(made.arguments().value(0).value<QDBusObjectPath>().path(), QStringLiteral("InputContext1"),
            QStringLiteral("FocusIn"));
        return {};
    }

    int call(const QString& path, const QString& interface, const QString& method)
    {
        const QDBusMessage reply = bus.call(
            QDBusMessage::createMethodCall(kFcitx, path, QStringLiteral("org.fcitx.Fcitx.") + interface, method));
        return reply.arguments().value(0).toInt();
    }

    Sandbox m_sandbox;
};

// A real IBus, with Anthy for Japanese, its global engine a US keyboard to begin with.
class RealIBus {
public:
    ~RealIBus() { QDBusConnection::disconnectFromBus(QStringLiteral("ibus-under-test")); }

    QString start()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("ibus-daemon"));
        if (daemon.isEmpty() || !QFile::exists(QStringLiteral("/usr/share/ibus/component/anthy.xml")))
            return QStringLiteral("ibus or ibus-anthy is not installed: not tried against a real IBus");
        if (const QString why = m_sandbox.startBus(); !why.isEmpty())
            return why + QStringLiteral(": not tried against a real IBus");
        address = QStringLiteral("unix:path=") + m_sandbox.path(QStringLiteral("ibus.socket"));
        m_sandbox.start(daemon,
            {QStringLiteral("--panel=disable"), QStringLiteral("--emoji-extension=disable"),
                QStringLiteral("--cache=none"), QStringLiteral("--address=") + address});
        for (int i = 0; i < 100 && !QFile::exists(m_sandbox.path(QStringLiteral("ibus.socket"))); ++i)
            QTest::qWait(100);
        m_bus = QDBusConnection::connectToBus(address, QStringLiteral("ibus-under-test"));
        if (!cameUp(m_bus, QStringLiteral("org.freedesktop.IBus")))
            return QStringLiteral("ibus-daemon did not come up: not tried against a real IBus");
        QDBusMessage set = ibus(QStringLiteral("SetGlobalEngine"));
        set << QStringLiteral("xkb:us::eng");
        m_bus.call(set);
        return {};
    }

    QString engine()
    {
        const QDBusMessage reply = m_bus.call(ibus(QStringLiteral("GetGlobalEngine")));
        const QDBusArgument desc = reply.arguments().value(0).value<QDBusVariant>().variant().value<QDBusArgument>();
        QString type;
        QVariantMap attachments;
        QString name;
        desc.beginStructure();
        desc >> type >> attachments >> name;
        return name;
    }

    QString address;

private:
    static QDBusMessage ibus(const QString& method)
    {
        return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.IBus"),
            QStringLiteral("/org/freedesktop/IBus"), QStringLiteral("org.freedesktop.IBus"), method);
    }

    Sandbox m_sandbox;
    QDBusConnection m_bus{QString()};
};

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
    RealFcitx5 fcitx;
    if (const QString why = fcitx.start(); !why.isEmpty())
        GTEST_SKIP() << qPrintable(why);
    kit::InputMethodSwitch::instance().useBus(fcitx.bus);
    const auto noBusAfterwards = qScopeGuard(
        [] { kit::InputMethodSwitch::instance().useBus(QDBusConnection(QStringLiteral("kelpora-no-bus"))); });
    Fields f;
    ASSERT_EQ(fcitx.state(), 1);
    QTest::mouseClick(f.name, Qt::LeftButton);
    QTRY_COMPARE(fcitx.state(), 2);
    QTest::mouseClick(f.place, Qt::LeftButton);
    QTest::qWait(200);
    EXPECT_EQ(fcitx.state(), 2);
    QTest::mouseClick(f.date, Qt::LeftButton);
    QTRY_COMPARE(fcitx.state(), 1);
    QTest::mouseClick(f.place, Qt::LeftButton);
    QTest::qWait(200);
    EXPECT_EQ(fcitx.state(), 1);
    QTest::mouseClick(f.tide->lineEdit(), Qt::LeftButton);
    QTRY_COMPARE(fcitx.state(), 2);
}

TEST(InputMethodSwitch, HiraganaFieldsTurnARealIBusToItsJapaneseEngineClosedOnesBackToTheKeyboard)
{
    RealIBus ibus;
    if (const QString why = ibus.start(); !why.isEmpty())
        GTEST_SKIP() << qPrintable(why);
    kit::InputMethodSwitch::instance().useBus(QDBusConnection(QStringLiteral("kelpora-no-bus")), ibus.address);
    const auto noBusAfterwards = qScopeGuard(
        [] { kit::InputMethodSwitch::instance().useBus(QDBusConnection(QStringLiteral("kelpora-no-bus"))); });
    Fields f;
    QTest::mouseClick(f.name, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ibus.engine(), QStringLiteral("anthy"), 10000);
    QTest::mouseClick(f.date, Qt::LeftButton);
    QTRY_COMPARE(ibus.engine(), QStringLiteral("xkb:us::eng"));
    QTest::mouseClick(f.place, Qt::LeftButton);
    QTest::qWait(200);
    EXPECT_EQ(ibus.engine(), QStringLiteral("xkb:us::eng"));
}
