#include "app/Main_F.h"

#include "app/ErrorHandler.h"
#include "app/ModalRunner.h"
#include "core/SharedState.h"
#include "browser/Fishdata_F.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

TMainF* MainF = nullptr;

namespace {

QLabel* makeLabel(
    QWidget* parent, const char* name, const QString& text, QRect geometry, int pointSize, bool bold, bool blue)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    if (blue)
        label->setStyleSheet(QStringLiteral("color: #0000ff;"));
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, QRect geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

} // namespace

TMainF::TMainF(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MainF"));
    setWindowTitle(QStringLiteral("釣果記録"));
    setFixedSize(395, 270);

    Label3 = makeLabel(this, "Label3", QStringLiteral("ＫＥＬＰＯＲＡ"), {24, 14, 210, 32}, 18, true, true);
    Label5 = makeLabel(this, "Label5", QStringLiteral("釣果記録"), {250, 18, 130, 28}, 14, true, false);
    Btn_Data_Out = makeButton(this, "Btn_Data_Out", QStringLiteral("ＤＡＴＡ　表示"), {24, 60, 347, 44});
    Label7 = makeLabel(this, "Label7", QStringLiteral("DATA INPUT"), {24, 118, 165, 18}, 9, true, true);
    Btn_Data_In = makeButton(this, "Btn_Data_In", QStringLiteral("ＤＡＴＡ　入力"), {24, 138, 165, 40});
    Label4 = makeLabel(this, "Label4", QStringLiteral("ＭＥＮＴＮＡＮＣＥ"), {206, 118, 165, 18}, 9, true, true);
    Btn_Mente = makeButton(this, "Btn_Mente", QStringLiteral("メンテナンス"), {206, 138, 165, 40});
    Label6 = makeLabel(this, "Label6", QString(), {12, 240, 200, 18}, 9, false, false);
    BitBtn_Close = makeButton(this, "BitBtn_Close", QStringLiteral("閉じる"), {282, 228, 89, 30});
    BitBtn_Close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    kelpora::onEvent(Btn_Data_Out, &QPushButton::clicked, this, &TMainF::Btn_Data_OutClick);
    kelpora::onEvent(Btn_Data_In, &QPushButton::clicked, this, &TMainF::Btn_Data_InClick);
    kelpora::onEvent(Btn_Mente, &QPushButton::clicked, this, &TMainF::Btn_MenteClick);
    kelpora::onEvent(BitBtn_Close, &QPushButton::clicked, this, &TMainF::BitBtn_CloseClick);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QString TMainF::fileVersion()
{
    // Linux executables carry no version resource; the build stamps the version in.
    return QStringLiteral(KELPORA_VERSION);
}

void TMainF::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    kelpora::guarded([this] { FormShow(); });
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
}

void TMainF::Btn_MenteClick()
{ }

void TMainF::BitBtn_CloseClick()
{
    close();
}
