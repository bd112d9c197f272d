#pragma once

#include "kit/KelporaWindow.h"

#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;

namespace kelpora {
class SqlQuery;
namespace search {
struct Kind;
}
} // namespace kelpora

// The value search picker: offers the species, places or points already stored and
// hands the one chosen to the browser's search through Serch_Tuki. Which list it
// offers is decided by Serch_Kind when it is created; with none set it reads nothing,
// which is how the instance made at start-up stays idle.
class TKensaku_2_F : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TKensaku_2_F(QWidget* owner = nullptr);

    // The text shown when no value is stored.
    static QString noValueItem();

    QLabel* Label_Serch = nullptr;
    QComboBox* CBox_Serch = nullptr;
    QPushButton* Btn_Close = nullptr;
    kelpora::SqlQuery* IBSQL = nullptr;

    void CBox_SerchChange(int index);
    void Btn_CloseClick();

private:
    void fillList(const kelpora::search::Kind& kind);
};

extern TKensaku_2_F* Kensaku_2_F;
