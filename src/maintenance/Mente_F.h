#pragma once

#include "bookcare/Progress.h"
#include "kit/KelporaWindow.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace kelpora {
class DataSource;
class ResultSetModel;
class SqlQuery;
} // namespace kelpora

// The maintenance window: every record in a grid, and the deletion of one record,
// pictures and all, by its number. Below them, book care: a checked backup now, a
// restore from one of the backups beside the book, and the export to CSV.
class TMenteF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TMenteF(QWidget* owner);
    ~TMenteF() override;

    // The deletion statement, line by line.
    static QStringList deleteLines();

    QFrame* Panel_Top = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Btn_Return = nullptr;
    QTableView* DBGrid_Data = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Edit_Data_del = nullptr;
    QPushButton* Btn_D_del = nullptr;
    QPushButton* Btn_Data_First = nullptr;
    QPushButton* Btn_Data_Last = nullptr;
    QLabel* Label_BookCare = nullptr;
    QPushButton* Btn_Backup = nullptr;
    QPushButton* Btn_Restore = nullptr;
    QPushButton* Btn_Csv = nullptr;

    kelpora::SqlQuery* IBSQL_Data = nullptr;
    kelpora::SqlQuery* IBSQL_D_del = nullptr;
    kelpora::DataSource* DS_Data = nullptr;

    void DBGrid_DataDblClick();
    void Btn_D_delClick();
    void Btn_Data_FirstClick();
    void Btn_Data_LastClick();
    void Btn_ReturnClick();
    void Btn_BackupClick();
    void Btn_RestoreClick();
    void Btn_CsvClick();

protected:
    void FormShow() override;

private:
    void buildGrid();
    std::optional<QString> describeRecord(qint32 code);
    void buildBookCare();
    std::optional<QString> bookFolder();
    QString restoreQuestion(const QString& dir, const QString& backupMade, qint64 backupRecords);
    bool runReleased(const QString& title, qint64 total,
        const std::function<void(const kelpora::bookcare::Progress&)>& work, bool keepPosition);

    std::unique_ptr<kelpora::DataSource> m_dataSource;
    kelpora::ResultSetModel* m_model = nullptr;
    kelpora::SqlQuery* m_lookup = nullptr;
};

extern TMenteF* MenteF;
