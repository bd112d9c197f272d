#include "browser/WorkSheet_F2.h"

#include "app/Controls.h"
#include "app/ErrorHandler.h"
#include "browser/Fishdata_F.h"
#include "core/ResultSetModel.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"

#include <QFrame>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

TWorkSheetF2* WorkSheetF2 = nullptr;

using kelpora::WindowTraits;

TWorkSheetF2::TWorkSheetF2(QWidget* owner)
    : KelporaWindow(owner, {"WorkSheetF2", QStringLiteral("釣果記録"), {810, 600}, WindowTraits::Placement::Owner})
{
    QFrame* panel = kelpora::kit::panel(this, nullptr, {0, 0, 810, 49});
    Btn_Close = kelpora::kit::button(panel, "Btn_Close", QStringLiteral("戻　る"), {12, 9, 96, 31});

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(0, 49, 810, 600 - 49);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->verticalHeader()->setDefaultSectionSize(20);

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

    // The grid and the browser share one current row.
    kelpora::onEvent(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [&records](const QModelIndex& current) {
            if (current.isValid())
                records.moveTo(current.row());
        });
    kelpora::onEvent(&records, &kelpora::SqlQuery::currentRowChanged, this, &TWorkSheetF2::followQuery);
    followQuery(records.currentRow());
}

void TWorkSheetF2::followQuery(int row)
{
    if (row < 0 || !m_model)
        return;
    const QModelIndex index = m_model->index(row, 0);
    if (DBGrid1->currentIndex().row() != row)
        DBGrid1->setCurrentIndex(index);
    DBGrid1->scrollTo(index);
}

void TWorkSheetF2::Btn_CloseClick()
{
    if (FishdataF)
        WorkSheet_Mark = FishdataF->DS_OUT->dataSet().positionKey();
    closeWindow();
}
