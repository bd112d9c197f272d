#pragma once

#include "kit/KelporaWindow.h"

#include <QStringList>

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
// pictures and all, by its number.
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

    kelpora::SqlQuery* IBSQL_Data = nullptr;
    kelpora::SqlQuery* IBSQL_D_del = nullptr;
    kelpora::DataSource* DS_Data = nullptr;

    void DBGrid_DataDblClick();
    void Btn_D_delClick();
    void Btn_Data_FirstClick();
    void Btn_Data_LastClick();
    void Btn_ReturnClick();

protected:
    void FormShow() override;

private:
    void buildGrid();
    std::optional<QString> describeRecord(qint32 code);

    std::unique_ptr<kelpora::DataSource> m_dataSource;
    kelpora::ResultSetModel* m_model = nullptr;
    kelpora::SqlQuery* m_lookup = nullptr;
};

extern TMenteF* MenteF;
