#include "app/KelporaApplication.h"

#include <gtest/gtest.h>

// Every test process gets a (headless) application object, as the windows need one.
int main(int argc, char** argv)
{
    qputenv(
        "QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    KelporaApplication app(argc, argv);
    KelporaApplication::installJapaneseFont();
    return RUN_ALL_TESTS();
}
