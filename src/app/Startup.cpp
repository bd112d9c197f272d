#include "app/Startup.h"

#include "app/KelporaApplication.h"
#include "app/Main_F.h"
#include "app/SignalShutdown.h"
#include "browser/Kensaku2F.h"
#include "core/DM_1.h"
#include "kit/ErrorHandler.h"
#include "kit/QtSeams.h"

#include <QTimer>

namespace kelpora {

int runKelpora(int argc, char** argv, const std::function<void()>& started)
{
    SignalShutdown::blockSignals();
    KelporaApplication app(argc, argv);
    KelporaApplication::installJapaneseFont();
    SignalShutdown signalWatch;
    QtSeams seams([] { SignalShutdown::unblockSignals(); });

    TDM1 dataModule;
    DM1 = &dataModule;

    TMainF mainMenu;
    MainF = &mainMenu;
    // Made hidden with no search kind set, so it reads nothing. It stays out of the
    // Kensaku_2_F reference: every search opens a picker of its own in that reference,
    // and one that failed while being made must not take this one down with it.
    const TKensaku_2_F idlePicker(nullptr);

    mainMenu.show();
    if (started)
        QTimer::singleShot(0, &mainMenu, [&started] { guarded(started); });
    const int rc = app.exec();

    MainF = nullptr;
    // Ends the transaction and detaches, so the file is released before we return.
    dataModule.IBDB2.close();
    DM1 = nullptr;
    return rc;
}

} // namespace kelpora
