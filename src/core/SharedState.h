#pragma once

#include <QString>

#include <array>

// Values the windows hand to one another. They live for the whole run and start
// as 0 or empty text.
extern QString Mode_Flg; // "OLD_Flg": a stored record; "NEW_Flg": a record being entered
extern int ShioZu_Flag; // 1 when the record shown has a tide chart
extern int Chizu_Flag; // 1 when the record shown has a map
extern QString WorkSheet_Mark; // position key picked in the work sheet
extern QString Photo_Mark; // position key saved before the photo viewer opens
extern int Photo_No; // photo slot 1 to 4
extern QString Sel_Kind; // "BASYO", "FUNE" or "SAKANA"
extern QString Sel_Value;
extern int Serch_Kind; // 0 none, 1 species, 2 month, 3 place, 4 point
extern QString Serch_Tuki;

// TIME1_START, TIME1_END, TIME2_START, TIME2_END, TIME3_START, TIME3_END, NEW_1_S .. NEW_6_E
extern std::array<int, 18> Shio_Marks;

inline const QString kOldFlg = QStringLiteral("OLD_Flg");
inline const QString kNewFlg = QStringLiteral("NEW_Flg");

// Back to the start-of-run values; for tests that share one process.
void resetSharedState();
