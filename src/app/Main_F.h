#pragma once

#include "kit/KelporaWindow.h"

class QLabel;
class QPushButton;

// The main menu: title, version, and the three ways into the record book.
class TMainF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TMainF(QWidget* parent = nullptr);

    // The running program's four-part version.
    static QString fileVersion();

    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* Btn_Data_Out = nullptr;
    QPushButton* Btn_Data_In = nullptr;
    QPushButton* Btn_Mente = nullptr;
    QPushButton* BitBtn_Close = nullptr;

    void Btn_Data_OutClick();
    void Btn_Data_InClick();
    void Btn_MenteClick();
    void BitBtn_CloseClick();

protected:
    void FormShow() override;
};

extern TMainF* MainF;
