// KELPORA itself, with the browser opened once the main menu is up (so the book is
// attached), telling the test on stdout when it is ready for a signal.
#include "app/Main_F.h"
#include "app/Startup.h"

#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    return kelpora::runKelpora(argc, argv, [] {
        QTimer::singleShot(100, [] {
            std::puts("ready");
            std::fflush(stdout);
        });
        MainF->Btn_Data_Out->click();
    });
}
