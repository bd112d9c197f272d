#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The main menu: title, version, and the three ways into the record book.
class TMainF : public QWidget {
    Q_OBJECT
public:
    explicit TMainF(QWidget* parent = nullptr);

    // The running program's four-part version.
    static QString fileVersion();

    QLabel* Label3;
    QLabel* Label5;
    QLabel* Label7;
    QLabel* Label4;
    QLabel* Label6;
    QPushButton* Btn_Data_Out;
    QPushButton* Btn_Data_In;
    QPushButton* Btn_Mente;
    QPushButton* BitBtn_Close;

    void FormShow();
    void Btn_Data_OutClick();
    void Btn_Data_InClick();
    void Btn_MenteClick();
    void BitBtn_CloseClick();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TMainF* MainF;
