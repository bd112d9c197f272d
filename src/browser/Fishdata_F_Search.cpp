// The browser's search group: the search kinds, the pickers and the search statements.
#include "browser/Fishdata_F.h"

#include "browser/Kensaku2F.h"
#include "browser/Kensaku_F.h"
#include "browser/SearchKinds.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "kit/ModalRunner.h"

#include <QComboBox>
#include <QLabel>

namespace search = kelpora::search;

void TFishdataF::CBox_KensakuChange(int index)
{
    Serch_Kind = search::kNone;
    const QString item = index >= 0 ? CBox_Kensaku->itemText(index) : QString();
    if (item == QStringLiteral("全体")) {
        Label_kensaku->setText(QStringLiteral("検索"));
        ClearRoutine();
        LoadAllRecords();
        DisplayRoutine();
        return;
    }
    const search::Kind* kind = search::byItem(item);
    if (!kind)
        return;
    Serch_Kind = kind->serchKind;
    Label_kensaku->setText(kind->heading);
    if (!kind->hasValueList()) {
        kelpora::openModal(this, KensakuF);
        ClearRoutine();
        MonthSearch();
        return;
    }
    Serch_Tuki.clear();
    // The picker reads Serch_Kind as it is made, so each search gets a fresh one.
    kelpora::openModal(this, Kensaku_2_F);
    ClearRoutine();
    ValueSearch();
}

void TFishdataF::ValueSearch()
{
    if (const search::Kind* kind = search::find(Serch_Kind); kind && kind->hasValueList())
        runSearch(*kind, Serch_Tuki);
    DisplayRoutine();
}

void TFishdataF::MonthSearch()
{
    if (Serch_Kind == search::kMonth)
        runSearch(*search::find(search::kMonth), QStringLiteral("_____") + Serch_Tuki + QStringLiteral("___"));
    DisplayRoutine();
}

// The search replaces the statement with its parameter bound; a later reopen (after a
// correction or an editor) sends the same value again, so the search stays in force.
void TFishdataF::runSearch(const search::Kind& kind, const QString& value)
{
    try {
        IBSQL_2->close();
        IBSQL_2->clearSql();
        for (const QString& line : kind.searchLines)
            IBSQL_2->addSql(line);
        IBSQL_2->bindText(kind.parameter, value);
        IBSQL_2->open();
        IBSQL_2->last();
        m_searchedSpecies = kind.serchKind == search::kSpecies ? value : QString();
    } catch (...) {
        DisplayRoutine(); // what is left is an empty result, shown as one
        throw;
    }
}

void TFishdataF::Btn_All_2Click()
{
    Label_kensaku->setText(QStringLiteral("検索"));
    CBox_Kensaku->setCurrentIndex(0);
    ClearRoutine();
    LoadAllRecords();
    DisplayRoutine();
}
