#pragma once

#include "kit/KelporaWindow.h"

class QPushButton;
class QTableView;

namespace kelpora {
class ResultSetModel;
}

// The browser's current result set as a table, to look over many records and pick one.
class TWorkSheetF2 : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TWorkSheetF2(QWidget* owner);

    QPushButton* Btn_Close = nullptr;
    QTableView* DBGrid1 = nullptr;

    void Btn_CloseClick();

protected:
    void FormShow() override;

private:
    kelpora::ResultSetModel* m_model = nullptr;
};

extern TWorkSheetF2* WorkSheetF2;
