#pragma once

#include "app/Controls.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace kelpora::kit {

// One desktop input method that a program can turn on and off through the method's
// own control interface. Every call returns at once; nothing waits for an answer.
class InputMethodControl {
public:
    virtual ~InputMethodControl() = default;
    virtual bool reachable() const = 0;
    virtual void turnOn() = 0; // Japanese input, in hiragana where the method decides so
    virtual void turnOff() = 0;
};

// Turns the Japanese input method on or off as the fields get the focus. Qt has no
// call for it, so the switch asks the input methods Japanese desktops run, fcitx5 and
// IBus, over D-Bus; where neither runs nothing happens. A closed field also tells Qt it
// takes no input-method text, so what is typed there arrives as plain keys even while
// the method stays on.
class InputMethodSwitch : public QObject {
    Q_OBJECT
public:
    static InputMethodSwitch& instance();

    // `field` switches the method on entering it from now on.
    void follow(QWidget* field, InputMethod input);
    static InputMethod settingOf(const QWidget* field);

    // The input methods to ask are fcitx5 on `bus` and IBus at `ibusAddress`, not those
    // of the desktop session.
    void useBus(const QDBusConnection& bus, const QString& ibusAddress = QString());

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    InputMethodSwitch();
    void focused(InputMethod input);
    void apply();
    void findControls();

    std::optional<QDBusConnection> m_bus;
    QString m_ibusAddress;
    std::vector<std::unique_ptr<InputMethodControl>> m_controls;
    std::optional<InputMethod> m_wanted;
    bool m_searched = false;
};

} // namespace kelpora::kit
