#include "app/Startup.h"

#include "app/ErrorHandler.h"
#include "app/KelporaApplication.h"
#include "app/Main_F.h"
#include "app/QtSeams.h"
#include "app/SignalShutdown.h"
#include "browser/Kensaku2F.h"
#include "core/DM_1.h"

#include <QTimer>

namespace kelpora {

int runKelpora(int argc, char** argv, const std::function<void()>& started)
{
    SignalShutdown::blockSignals();
    KelporaApplication app(argc, argv);
    KelporaApplication::installJapaneseFont();
    SignalShutdown signalWatch;
    QtSeams seams;

    TDM1 dataModule;
    DM1 = &dataModule;

    TMainF mainMenu;
    MainF = &mainMenu;
    TKensaku_2_F valuePicker;
    Kensaku_2_F = &valuePicker;

    mainMenu.show();
    if (started)
        QTimer::singleShot(0, &mainMenu, [&started] { guarded(started); });
    const int rc = app.exec();

    Kensaku_2_F = nullptr;
    MainF = nullptr;
    // Ends the transaction and detaches, so the file is released before we return.
    dataModule.IBDB2.close();
    DM1 = nullptr;
    return rc;
}

} // namespace kelpora
