#include "browser/Kensaku2F.h"

#include "browser/Fishdata_F.h"
#include "browser/SearchKinds.h"
#include "core/DM_1.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "kit/Controls.h"
#include "kit/ErrorHandler.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

TKensaku_2_F* Kensaku_2_F = nullptr;

using kelpora::WindowTraits;
namespace kit = kelpora::kit;

QString TKensaku_2_F::noValueItem()
{
    return QStringLiteral(" ----- ");
}

TKensaku_2_F::TKensaku_2_F(QWidget* owner)
    : KelporaWindow(owner, {"Kensaku_2_F", QStringLiteral("検索"), {350, 150}, WindowTraits::Placement::Owner})
{
    Label_Serch = kit::label(this, "Label_Serch", QString(), {24, 16, 302, 20});
    CBox_Serch = kit::comboBox(this, "CBox_Serch", {24, 44, 302, 26});
    // Only stored values can be found, so the box offers them and takes no typing.
    CBox_Serch->setEditable(false);
    CBox_Serch->setMaxVisibleItems(20);
    // The list popup, not the style's menu-like one, is what honours the 20 rows.
    CBox_Serch->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    Btn_Close = kit::button(this, "Btn_Close", QStringLiteral("閉じる"), {230, 104, 96, 30});
    IBSQL = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL->setObjectName(QStringLiteral("IBSQL"));

    if (const kelpora::search::Kind* kind = kelpora::search::find(Serch_Kind); kind && kind->hasValueList()) {
        Label_Serch->setText(kind->pickerHeading);
        fillList(*kind);
    }

    // activated, unlike currentIndexChanged, also fires for the item already shown.
    kelpora::onEvent(CBox_Serch, &QComboBox::activated, this, &TKensaku_2_F::CBox_SerchChange);
    kelpora::onEvent(Btn_Close, &QPushButton::clicked, this, &TKensaku_2_F::Btn_CloseClick);
}

// The server returns NULL ahead of every value from DISTINCT and UNION, so a single
// record without a second species must not hide the whole list: NULL rows are simply
// not values one can search for. An empty text is stored data and stays an item.
void TKensaku_2_F::fillList(const kelpora::search::Kind& kind)
{
    IBSQL->close();
    IBSQL->clearSql();
    for (const QString& line : kind.listLines)
        IBSQL->addSql(line);
    IBSQL->open();
    IBSQL->first();
    CBox_Serch->clear();
    QStringList values = IBSQL->textsOf(kind.listColumn);
    if (values.isEmpty())
        values << noValueItem();
    CBox_Serch->addItems(values);
    CBox_Serch->setCurrentIndex(0);
}

void TKensaku_2_F::CBox_SerchChange(int index)
{
    if (index < 0)
        return;
    Serch_Tuki = CBox_Serch->itemText(index);
    closeWindow();
}

void TKensaku_2_F::Btn_CloseClick()
{
    Serch_Kind = kelpora::search::kNone;
    // Putting the item back from here is not the user choosing it: no search runs.
    if (FishdataF)
        FishdataF->CBox_Kensaku->setCurrentIndex(0);
    closeWindow(QDialog::Rejected);
}
