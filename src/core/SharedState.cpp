#include "core/SharedState.h"

QString Mode_Flg;
int ShioZu_Flag = 0;
int Chizu_Flag = 0;
QString WorkSheet_Mark;
QString Photo_Mark;
int Photo_No = 0;
QString Sel_Kind;
QString Sel_Value;
int Serch_Kind = 0;
QString Serch_Tuki;
std::array<int, 18> Shio_Marks{};

void resetSharedState()
{
    Mode_Flg.clear();
    ShioZu_Flag = 0;
    Chizu_Flag = 0;
    WorkSheet_Mark.clear();
    Photo_Mark.clear();
    Photo_No = 0;
    Sel_Kind.clear();
    Sel_Value.clear();
    Serch_Kind = 0;
    Serch_Tuki.clear();
    Shio_Marks.fill(0);
}
