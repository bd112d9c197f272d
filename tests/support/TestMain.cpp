#include "app/InputMethodSwitch.h"
#include "app/KelporaApplication.h"
#include "core/SharedState.h"

#include <gtest/gtest.h>

namespace {

// The shared values live for the whole process; every test starts from a fresh run's.
class FreshSharedState : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { resetSharedState(); }
};

} // namespace

// Every test process gets a (headless) application object, as the windows need one.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSharedState);
    KelporaApplication app(argc, argv);
    KelporaApplication::installJapaneseFont();
    // Tests focus fields by the hundred; the desktop's own input method is not theirs to switch.
    kelpora::kit::InputMethodSwitch::instance().useBus(QDBusConnection(QStringLiteral("kelpora-no-bus")));
    return RUN_ALL_TESTS();
}
