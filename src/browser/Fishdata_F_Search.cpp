// The browser's search group: the search kinds, the pickers and the search statements.
#include "browser/Fishdata_F.h"

#include "app/ModalRunner.h"
#include "browser/Kensaku2F.h"
#include "browser/Kensaku_F.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"

#include <QComboBox>
#include <QLabel>

QStringList TFishdataF::searchLines(int serchKind)
{
    switch (serchKind) {
    case 1:
        return {
            QStringLiteral(" select * from FISH_DATA "),
            QStringLiteral(" where                   "),
            QStringLiteral(" FISH1 = :parFISH        "),
            QStringLiteral(" or                      "),
            QStringLiteral(" FISH2 = :parFISH        "),
            QStringLiteral(" or                      "),
            QStringLiteral(" FISH3 = :parFISH        "),
            QStringLiteral(" order by CODENO         "),
        };
    case 2:
        return {QStringLiteral(
            " select * from FISH_DATA       where DAY_DATA like :parTUKI  order by CODENO              ")};
    case 3:
        return {
            QStringLiteral(" select * from FISH_DATA "),
            QStringLiteral(" where                   "),
            QStringLiteral(" BASYO = :parBASYO       "),
            QStringLiteral(" order by CODENO         "),
        };
    case 4:
        return {
            QStringLiteral(" select * from FISH_DATA "),
            QStringLiteral(" where                   "),
            QStringLiteral(" FUNE = :parFUNE         "),
            QStringLiteral(" order by CODENO         "),
        };
    default:
        return {};
    }
}

QString TFishdataF::searchParameter(int serchKind)
{
    switch (serchKind) {
    case 1:
        return QStringLiteral("parFISH");
    case 2:
        return QStringLiteral("parTUKI");
    case 3:
        return QStringLiteral("parBASYO");
    case 4:
        return QStringLiteral("parFUNE");
    default:
        return {};
    }
}

void TFishdataF::CBox_KensakuChange(int index)
{
    Serch_Kind = 0;
    const QString item = index >= 0 ? CBox_Kensaku->itemText(index) : QString();
    if (item == QStringLiteral("全体")) {
        Label_kensaku->setText(QStringLiteral("検索"));
        ClearRoutine();
        LoadAllRecords();
        DisplayRoutine();
        return;
    }
    if (item == QStringLiteral("月")) {
        Serch_Kind = 2;
        Label_kensaku->setText(QStringLiteral("月で検索"));
        kelpora::openModal(this, KensakuF);
        ClearRoutine();
        MonthSearch();
        return;
    }
    static const struct {
        QString item;
        int kind;
        QString label;
    } kValueSearches[] = {
        {QStringLiteral("魚種"), 1, QStringLiteral("魚種で検索")},
        {QStringLiteral("場所"), 3, QStringLiteral("場所で検索")},
        {QStringLiteral("ﾎﾟｲﾝﾄ"), 4, QStringLiteral("ﾎﾟｲﾝﾄで検索")},
    };
    for (const auto& search : kValueSearches) {
        if (item != search.item)
            continue;
        Serch_Kind = search.kind;
        Label_kensaku->setText(search.label);
        Serch_Tuki.clear();
        // The picker reads Serch_Kind as it is made, so each search gets a fresh one.
        kelpora::openModal(this, Kensaku_2_F);
        ClearRoutine();
        ValueSearch();
        return;
    }
}

void TFishdataF::ValueSearch()
{
    if (Serch_Kind == 1 || Serch_Kind == 3 || Serch_Kind == 4)
        runSearch(Serch_Kind, Serch_Tuki);
    DisplayRoutine();
}

void TFishdataF::MonthSearch()
{
    if (Serch_Kind == 2)
        runSearch(2, QStringLiteral("_____") + Serch_Tuki + QStringLiteral("___"));
    DisplayRoutine();
}

// The search replaces the statement with its parameter bound; a later reopen (after a
// correction or an editor) sends the same value again, so the search stays in force.
void TFishdataF::runSearch(int serchKind, const QString& value)
{
    try {
        IBSQL_2->close();
        IBSQL_2->clearSql();
        for (const QString& line : searchLines(serchKind))
            IBSQL_2->addSql(line);
        IBSQL_2->bindText(searchParameter(serchKind), value);
        IBSQL_2->open();
        IBSQL_2->last();
        m_searchedSpecies = serchKind == 1 ? value : QString();
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
