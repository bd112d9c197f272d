#pragma once

#include <functional>

namespace kelpora {

// The whole run: application object, seams, data module, main menu and value search
// picker, the message loop, and the orderly end. `started` runs once the main menu is
// shown, inside the loop; only the signal tests use it.
int runKelpora(int argc, char** argv, const std::function<void()>& started = {});

} // namespace kelpora
