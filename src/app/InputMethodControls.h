#pragma once

#include "app/InputMethodSwitch.h"

#include <memory>

class QDBusConnection;

namespace kelpora::kit {

// fcitx5 through its controller on `bus`: on and off for the input context that has
// the focus, the way its own hot key does it.
std::unique_ptr<InputMethodControl> fcitx5Control(const QDBusConnection& bus);

// Where this desktop session's IBus listens, empty where none runs.
QString ibusAddress();

// IBus on its bus at `address`: its global engine goes between the Japanese engine (the
// one the user chose last, else one installed for Japanese) and the keyboard layout last
// in use. Null where nothing answers there.
std::unique_ptr<InputMethodControl> ibusControl(const QString& address);

} // namespace kelpora::kit
