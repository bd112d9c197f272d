#include "browser/Kensaku2F.h"
#include "core/DM_1.h"
#include "app/KelporaApplication.h"
#include "app/Main_F.h"
#include "app/QtSeams.h"

int main(int argc, char** argv)
{
    KelporaApplication app(argc, argv);
    KelporaApplication::installJapaneseFont();
    QtSeams seams;

    TDM1 dataModule;
    DM1 = &dataModule;

    TMainF mainMenu;
    MainF = &mainMenu;
    TKensaku_2_F valuePicker;
    Kensaku_2_F = &valuePicker;

    mainMenu.show();
    const int rc = app.exec();

    Kensaku_2_F = nullptr;
    MainF = nullptr;
    DM1 = nullptr;
    return rc;
}
