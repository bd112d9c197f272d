#pragma once

#include "kit/KelporaWindow.h"

#include <array>

class QLabel;
class QPushButton;

// The month picker: twelve month buttons that hand the chosen month to the
// browser's month search through Serch_Tuki.
class TKensakuF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TKensakuF(QWidget* owner);

    QLabel* Label_x26 = nullptr;
    // Btn_M01 .. Btn_M12, January first.
    std::array<QPushButton*, 12> monthButtons{};
    QPushButton* Btn_Close = nullptr;

    void Btn_MonthClick(QPushButton* button);
    void Btn_CloseClick();
};

extern TKensakuF* KensakuF;
