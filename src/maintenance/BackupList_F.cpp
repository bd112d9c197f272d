#include "maintenance/BackupList_F.h"

#include "kit/Controls.h"
#include "kit/ErrorHandler.h"
#include "kit/RecordGrid.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>

TBackupListF* BackupListF = nullptr;

using kelpora::WindowTraits;
using kelpora::bookcare::BackupFolder;
namespace kit = kelpora::kit;

TBackupListF::TBackupListF(QWidget* owner, std::vector<BackupFolder::Entry> backups, Choice& choice)
    : KelporaWindow(
        owner, {"BackupListF", QStringLiteral("復元するバックアップ"), {420, 380}, WindowTraits::Placement::Owner}),
      m_backups(std::move(backups)), m_choice(choice)
{
    m_choice.reset();
    std::reverse(m_backups.begin(), m_backups.end());
    Label_Info = kit::label(
        this, "Label_Info", QStringLiteral("復元するバックアップを選んでください（新しい順）"), {16, 12, 388, 20});
    DBGrid_Backup = kit::recordGrid(this, "DBGrid_Backup", {16, 40, 388, 280});
    m_model = new QStandardItemModel(0, 3, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("作成日時"), QStringLiteral("記録数"), QStringLiteral("照合")});
    DBGrid_Backup->setModel(m_model);
    DBGrid_Backup->setColumnWidth(0, 160);
    DBGrid_Backup->setColumnWidth(1, 110);
    DBGrid_Backup->horizontalHeader()->setStretchLastSection(true);
    Btn_Fukugen = kit::button(this, "Btn_Fukugen", QStringLiteral("復　元"), {200, 334, 96, 31});
    Btn_Return = kit::button(this, "Btn_Return", QStringLiteral("戻　る"), {308, 334, 96, 31});
    fill();

    using kelpora::onEvent;
    onEvent(Btn_Fukugen, &QPushButton::clicked, this, &TBackupListF::Btn_FukugenClick);
    onEvent(Btn_Return, &QPushButton::clicked, this, &TBackupListF::Btn_ReturnClick);
    onEvent(DBGrid_Backup, &QAbstractItemView::doubleClicked, this, &TBackupListF::Btn_FukugenClick);
}

TBackupListF::~TBackupListF() = default;

QString TBackupListF::madeText(const BackupFolder::Entry& backup)
{
    return backup.made.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString TBackupListF::recordsText(const BackupFolder::Entry& backup)
{
    if (backup.records < 0)
        return QStringLiteral("不明");
    return QStringLiteral("%1 件").arg(QLocale(QLocale::Japanese, QLocale::Japan).toString(backup.records));
}

void TBackupListF::fill()
{
    for (const BackupFolder::Entry& backup : m_backups) {
        auto* records = new QStandardItem(recordsText(backup));
        records->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // A backup without its check record was never compared with the book it came from.
        m_model->appendRow({new QStandardItem(madeText(backup)), records,
            new QStandardItem(backup.checked ? QStringLiteral("済") : QStringLiteral("なし"))});
    }
    kit::showRow(DBGrid_Backup, m_backups.empty() ? -1 : 0);
}

void TBackupListF::Btn_FukugenClick()
{
    const int row = DBGrid_Backup->currentIndex().row();
    if (row < 0 || row >= int(m_backups.size()))
        return;
    m_choice = m_backups[size_t(row)];
    closeWindow();
}

void TBackupListF::Btn_ReturnClick()
{
    m_choice.reset();
    closeWindow(QDialog::Rejected);
}
