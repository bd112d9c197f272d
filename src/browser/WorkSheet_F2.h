#pragma once

#include <QDialog>

class QPushButton;
class QTableView;

namespace kelpora {
class ResultSetModel;
}

// The browser's current result set as a table, to look over many records and pick one.
class TWorkSheetF2 : public QDialog {
    Q_OBJECT
public:
    explicit TWorkSheetF2(QWidget* owner);

    QPushButton* Btn_Close;
    QTableView* DBGrid1;

    void FormShow();
    void Btn_CloseClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void followQuery(int row);

    kelpora::ResultSetModel* m_model = nullptr;
};

extern TWorkSheetF2* WorkSheetF2;
