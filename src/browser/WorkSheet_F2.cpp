#include "browser/WorkSheet_F2.h"

#include "app/Controls.h"
#include "app/ErrorHandler.h"
#include "app/RecordGrid.h"
#include "browser/Fishdata_F.h"
#include "core/ResultSetModel.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"

#include <QFrame>
#include <QPushButton>
#include <QTableView>

TWorkSheetF2* WorkSheetF2 = nullptr;

using kelpora::WindowTraits;

TWorkSheetF2::TWorkSheetF2(QWidget* owner)
    : KelporaWindow(owner, {"WorkSheetF2", QStringLiteral("釣果記録"), {810, 600}, WindowTraits::Placement::Owner})
{
    QFrame* panel = kelpora::kit::panel(this, nullptr, {0, 0, 810, 49});
    Btn_Close = kelpora::kit::button(panel, "Btn_Close", QStringLiteral("戻　る"), {12, 9, 96, 31});

    DBGrid1 = kelpora::kit::recordGrid(this, "DBGrid1", {0, 49, 810, 600 - 49});

    kelpora::onEvent(Btn_Close, &QPushButton::clicked, this, &TWorkSheetF2::Btn_CloseClick);
}

void TWorkSheetF2::FormShow()
{
    if (m_model || !FishdataF)
        return;
    kelpora::SqlQuery& records = FishdataF->DS_OUT->dataSet();
    m_model = new kelpora::ResultSetModel(*FishdataF->DS_OUT,
        {{QStringLiteral("CODENO"), QStringLiteral("Ｎｏ")}, {QStringLiteral("DAY_DATA"), QStringLiteral("日付")},
            {QStringLiteral("BASYO"), QStringLiteral("釣り場")}, {QStringLiteral("FUNE"), QStringLiteral("ポイント")},
            {QStringLiteral("FISH1"), QStringLiteral("対象魚　１")},
            {QStringLiteral("FISH2"), QStringLiteral("対象魚　２")},
            {QStringLiteral("FISH3"), QStringLiteral("対象魚　３")}},
        this);
    DBGrid1->setModel(m_model);
    const int widths[] = {40, 90, 140, 120, 120, 120, 120};
    for (int i = 0; i < 7; ++i)
        DBGrid1->setColumnWidth(i, widths[i]);
    kelpora::kit::fitNumbers(DBGrid1, 0, widths[0]);

    // The grid and the browser share one current row.
    kelpora::kit::shareCurrentRow(DBGrid1, records);
    kelpora::kit::showRow(DBGrid1, records.currentRow());
}

void TWorkSheetF2::Btn_CloseClick()
{
    if (FishdataF)
        WorkSheet_Mark = FishdataF->DS_OUT->dataSet().positionKey();
    closeWindow();
}
