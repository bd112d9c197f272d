#include "app/Main_F.h"

#include "browser/Fishdata_F.h"
#include "core/SharedState.h"
#include "entry/Fish_Data_IN.h"
#include "kit/Controls.h"
#include "kit/ErrorHandler.h"
#include "kit/ModalRunner.h"
#include "maintenance/Mente_F.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

TMainF* MainF = nullptr;

using kelpora::WindowTraits;
using kelpora::kit::button;
using kelpora::kit::Font;
using kelpora::kit::label;

TMainF::TMainF(QWidget* parent)
    : KelporaWindow(parent,
        {"MainF", QStringLiteral("釣果記録"), {395, 270}, WindowTraits::Placement::Screen, WindowTraits::Sizing::Fixed,
            WindowTraits::TitleButtons::MinimiseClose})
{
    const QColor blue(0, 0, 255);
    Label3 = label(this, "Label3", QStringLiteral("ＫＥＬＰＯＲＡ"), {24, 14, 210, 32}, {24, true, blue});
    Label5 = label(this, "Label5", QStringLiteral("釣果記録"), {250, 18, 130, 28}, {19, true, {}});
    Btn_Data_Out = button(this, "Btn_Data_Out", QStringLiteral("ＤＡＴＡ　表示"), {24, 60, 347, 44});
    Label7 = label(this, "Label7", QStringLiteral("DATA INPUT"), {24, 118, 165, 18}, {12, true, blue});
    Btn_Data_In = button(this, "Btn_Data_In", QStringLiteral("ＤＡＴＡ　入力"), {24, 138, 165, 40});
    Label4 = label(this, "Label4", QStringLiteral("ＭＥＮＴＮＡＮＣＥ"), {206, 118, 165, 18}, {12, true, blue});
    Btn_Mente = button(this, "Btn_Mente", QStringLiteral("メンテナンス"), {206, 138, 165, 40});
    Label6 = label(this, "Label6", QString(), {12, 240, 200, 18});
    BitBtn_Close = button(this, "BitBtn_Close", QStringLiteral("閉じる"), {282, 228, 89, 30});
    BitBtn_Close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    kelpora::onEvent(Btn_Data_Out, &QPushButton::clicked, this, &TMainF::Btn_Data_OutClick);
    kelpora::onEvent(Btn_Data_In, &QPushButton::clicked, this, &TMainF::Btn_Data_InClick);
    kelpora::onEvent(Btn_Mente, &QPushButton::clicked, this, &TMainF::Btn_MenteClick);
    kelpora::onEvent(BitBtn_Close, &QPushButton::clicked, this, &TMainF::BitBtn_CloseClick);
}

QString TMainF::fileVersion()
{
    // Linux executables carry no version resource; the build stamps the version in.
    return QStringLiteral(KELPORA_VERSION);
}

void TMainF::FormShow()
{
    Mode_Flg = kOldFlg;
    Label6->setText(QStringLiteral("Ver ") + fileVersion());
}

void TMainF::Btn_Data_OutClick()
{
    kelpora::openModal(this, FishdataF);
}

void TMainF::Btn_Data_InClick()
{
    Mode_Flg = kNewFlg;
    kelpora::openModal(this, FishDataIn);
}

void TMainF::Btn_MenteClick()
{
    kelpora::openModal(this, MenteF);
}

void TMainF::BitBtn_CloseClick()
{
    close();
}
