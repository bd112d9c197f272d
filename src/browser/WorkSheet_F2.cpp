#include "WorkSheet_F2.h"

#include "Fishdata_F.h"
#include "app/ErrorHandler.h"
#include "core/ResultSetModel.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"

#include <QFrame>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

TWorkSheetF2* WorkSheetF2 = nullptr;

TWorkSheetF2::TWorkSheetF2(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("WorkSheetF2"));
    setWindowTitle(QStringLiteral("釣果記録"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(810, 600);

    auto* panel = new QFrame(this);
    panel->setGeometry(0, 0, 810, 49);
    panel->setFrameShape(QFrame::StyledPanel);
    Btn_Close = new QPushButton(QStringLiteral("戻　る"), panel);
    Btn_Close->setObjectName(QStringLiteral("Btn_Close"));
    Btn_Close->setGeometry(12, 9, 96, 31);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(0, 49, 810, 600 - 49);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->verticalHeader()->setDefaultSectionSize(20);

    kelpora::onEvent(Btn_Close, &QPushButton::clicked, this, &TWorkSheetF2::Btn_CloseClick);

    if (owner)
        move(owner->geometry().center() - rect().center());
}

void TWorkSheetF2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    kelpora::guarded([this] { FormShow(); });
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
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [&records](const QModelIndex& current) {
            if (current.isValid())
                records.moveTo(current.row());
        });
    connect(&records, &kelpora::SqlQuery::currentRowChanged, this, &TWorkSheetF2::followQuery);
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
    accept();
}
