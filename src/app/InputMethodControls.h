#pragma once

#include "app/InputMethodSwitch.h"

#include <memory>

class QDBusConnection;

namespace kelpora::kit {

// fcitx5 through its controller on `bus`: on and off for the input context that has
// the focus, the way its own hot key does it.
std::unique_ptr<InputMethodControl> fcitx5Control(const QDBusConnection& bus);

// IBus through its own bus, found as IBus's clients find it: its global engine goes
// between the Japanese engine and the keyboard layout last seen in use. Null where no
// IBus runs for this display.
std::unique_ptr<InputMethodControl> ibusControl();

} // namespace kelpora::kit
