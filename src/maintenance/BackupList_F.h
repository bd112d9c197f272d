#pragma once

#include "kit/KelporaWindow.h"
#include "bookcare/BackupFolder.h"

#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

// The backups beside the book, newest first, with when each was made and how many
// records it holds; the one chosen is what the maintenance window restores.
class TBackupListF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    using Choice = std::optional<kelpora::bookcare::BackupFolder::Entry>;

    // choice is set to the backup chosen with 復　元 or a double click, and emptied by
    // 戻　る.
    TBackupListF(QWidget* owner, std::vector<kelpora::bookcare::BackupFolder::Entry> backups, Choice& choice);
    ~TBackupListF() override;

    // "2026/12/09 14:05"
    static QString madeText(const kelpora::bookcare::BackupFolder::Entry& backup);
    // "1,234 件", or why it is not known.
    static QString recordsText(const kelpora::bookcare::BackupFolder::Entry& backup);

    QLabel* Label_Info = nullptr;
    QTableView* DBGrid_Backup = nullptr;
    QPushButton* Btn_Fukugen = nullptr;
    QPushButton* Btn_Return = nullptr;

    void Btn_FukugenClick();
    void Btn_ReturnClick();

private:
    void fill();

    std::vector<kelpora::bookcare::BackupFolder::Entry> m_backups; // newest first
    QStandardItemModel* m_model = nullptr;
    Choice& m_choice;
};

extern TBackupListF* BackupListF;
