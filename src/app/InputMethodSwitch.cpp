#include "app/InputMethodSwitch.h"

#include "app/InputMethodControls.h"

#include <QEvent>
#include <QInputMethodQueryEvent>
#include <QTimer>
#include <QWidget>

namespace kelpora::kit {

namespace {

constexpr const char* kSetting = "kelporaInputMethod";

// Answers Qt's question to a closed field as the field would, but for "do you take
// input-method text?", which a line edit answers yes whatever it is told.
void answerClosed(QWidget* field, QInputMethodQueryEvent* query)
{
    const Qt::InputMethodQueries asked = query->queries();
    for (int bit = 0; bit < 32; ++bit) {
        const auto q = Qt::InputMethodQuery(1u << bit);
        if (asked & q)
            query->setValue(q, q == Qt::ImEnabled ? QVariant(false) : field->inputMethodQuery(q));
    }
    query->accept();
}

} // namespace

InputMethodSwitch& InputMethodSwitch::instance()
{
    static InputMethodSwitch* theSwitch = new InputMethodSwitch; // lives as long as the widgets it watches
    return *theSwitch;
}

InputMethodSwitch::InputMethodSwitch() = default;

void InputMethodSwitch::follow(QWidget* field, InputMethod input)
{
    if (!field->property(kSetting).isValid())
        field->installEventFilter(this);
    field->setProperty(kSetting, int(input));
}

InputMethod InputMethodSwitch::settingOf(const QWidget* field)
{
    const QVariant setting = field->property(kSetting);
    return setting.isValid() ? InputMethod(setting.toInt()) : InputMethod::Keep;
}

void InputMethodSwitch::useBus(const QDBusConnection& bus, const QString& ibusAddress)
{
    m_bus = bus;
    m_ibusAddress = ibusAddress;
    m_controls.clear();
    m_searched = false;
}

bool InputMethodSwitch::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = static_cast<QWidget*>(watched);
    const InputMethod input = settingOf(field);
    if (event->type() == QEvent::FocusIn && input != InputMethod::Keep)
        focused(input);
    else if (event->type() == QEvent::InputMethodQuery && input == InputMethod::Off) {
        answerClosed(field, static_cast<QInputMethodQueryEvent*>(event));
        return true;
    }
    return false;
}

void InputMethodSwitch::focused(InputMethod input)
{
    // Once the focus has settled, so that Qt has told the method which window types
    // first, and a hop through several fields asks only once.
    const bool queued = m_wanted.has_value();
    m_wanted = input;
    if (!queued)
        QTimer::singleShot(0, this, &InputMethodSwitch::apply);
}

void InputMethodSwitch::apply()
{
    const std::optional<InputMethod> wanted = std::exchange(m_wanted, std::nullopt);
    if (!wanted)
        return;
    findControls();
    for (const auto& control : m_controls) {
        if (!control->reachable())
            continue;
        if (*wanted == InputMethod::On)
            control->turnOn();
        else
            control->turnOff();
    }
}

void InputMethodSwitch::findControls()
{
    if (m_searched)
        return;
    m_searched = true;
    const bool desktop = !m_bus.has_value();
    const QDBusConnection bus = desktop ? QDBusConnection::sessionBus() : *m_bus;
    if (bus.isConnected())
        m_controls.push_back(fcitx5Control(bus));
    // IBus lives on a bus of its own, found through the desktop session.
    if (std::unique_ptr<InputMethodControl> ibus = ibusControl(desktop ? ibusAddress() : m_ibusAddress))
        m_controls.push_back(std::move(ibus));
}

} // namespace kelpora::kit
