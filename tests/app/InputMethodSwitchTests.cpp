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

// A real fcitx5 on a bus of its own, with a US and a Japanese keyboard (on means the
// second), and one input context with the focus, as a window's would have.
class RealFcitx5 {
public:
    ~RealFcitx5()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("fcitx5-under-test"));
        for (QProcess* p : {&m_fcitx, &m_bus}) {
            p->kill();
            p->waitForFinished();
        }
    }

    QString start()
    {
        const QString fcitx5 = QStandardPaths::findExecutable(QStringLiteral("fcitx5"));
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (fcitx5.isEmpty() || daemon.isEmpty())
            return QStringLiteral("fcitx5 or dbus-daemon is not installed: not tried against a real input method");
        write(QStringLiteral("bus.conf"),
            "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
            "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
            "<allow own=\"*\"/></policy></busconfig>");
        write(QStringLiteral("config/fcitx5/profile"),
            "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=keyboard-jp\n"
            "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n[Groups/0/Items/1]\nName=keyboard-jp\nLayout=\n"
            "[GroupOrder]\n0=Default\n");
        m_bus.start(daemon, {QStringLiteral("--config-file=") + m_dir.filePath(QStringLiteral("bus.conf")),
                                QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!m_bus.waitForReadyRead(10000))
            return QStringLiteral("dbus-daemon did not start: not tried against a real input method");
        const QString address = QString::fromUtf8(m_bus.readLine().trimmed());

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
            env.remove(QLatin1String(name));
        m_fcitx.setProcessEnvironment(env);
        m_fcitx.setStandardOutputFile(QProcess::nullDevice());
        m_fcitx.setStandardErrorFile(QProcess::nullDevice());
        m_fcitx.start(fcitx5, {QStringLiteral("--disable=all"), QStringLiteral("--enable=dbus,dbusfrontend,keyboard")});
        bus = QDBusConnection::connectToBus(address, QStringLiteral("fcitx5-under-test"));
        for (int i = 0; i < 100 && !bus.interface()->isServiceRegistered(kFcitx).value(); ++i)
            QTest::qWait(100);
        if (!bus.interface()->isServiceRegistered(kFcitx).value())
            return QStringLiteral("fcitx5 did not come up on its bus: not tried against a real input method");
        return focusAnInputContext();
    }

    // 1: off (the first keyboard), 2: on.
    int state() { return call(QStringLiteral("/controller"), QStringLiteral("Controller1"), QStringLiteral("State")); }

    QDBusConnection bus{QString()};

private:
    void write(const QString& name, const char* text)
    {
        QDir().mkpath(QFileInfo(m_dir.filePath(name)).path());
        QFile file(m_dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }

    QString focusAnInputContext()
    {
        qDBusRegisterMetaType<Hint>();
        qDBusRegisterMetaType<QList<Hint>>();
        QDBusMessage create = QDBusMessage::createMethodCall(kFcitx, QStringLiteral("/org/freedesktop/portal/inputmethod"),
            QStringLiteral("org.fcitx.Fcitx.InputMethod1"), QStringLiteral("CreateInputContext"));
        create << QVariant::fromValue(QList<Hint>{{QStringLiteral("program"), QStringLiteral("kelpora-test")}});
        const QDBusMessage made = bus.call(create);
        if (made.type() != QDBusMessage::ReplyMessage)
            return QStringLiteral("fcitx5 made no input context: ") + made.errorMessage();
        m_context = made.arguments().value(0).value<QDBusObjectPath>().path();
        call(m_context, QStringLiteral("InputContext1"), QStringLiteral("FocusIn"));
        return {};
    }

    int call(const QString& path, const QString& interface, const QString& method)
    {
        const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
            kFcitx, path, QStringLiteral("org.fcitx.Fcitx.") + interface, method));
        return reply.arguments().value(0).toInt();
    }

    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_fcitx;
    QString m_context;
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
