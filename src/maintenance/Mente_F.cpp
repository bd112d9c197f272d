#include "maintenance/Mente_F.h"

#include "app/Controls.h"
#include "app/ErrorHandler.h"
#include "app/RecordGrid.h"
#include "app/FieldTable.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/ResultSetModel.h"
#include "core/Seams.h"
#include "core/SqlQuery.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

TMenteF* MenteF = nullptr;

namespace kit = kelpora::kit;
using kelpora::seams::messageBoxes;

namespace {

struct GridColumn {
    const char* field;
    const char* title;
    int width;
};

// The third title is the column's own name until the window is shown.
constexpr GridColumn kColumns[] = {
    {"CODENO", "番号", 50},
    {"DAY_DATA", "日付", 100},
    {"FUNE", "FUNE", 100},
    {"BASYO", "場所", 120},
    {"FISH1", "魚　１", 100},
    {"FISH1_MAX", "最大", 50},
    {"FISH1_MIN", "最小", 50},
    {"FISH1_KAZU", "数", 50},
    {"FISH2", "魚　２", 100},
    {"FISH2_MAX", "最大", 50},
    {"FISH2_MIN", "最小", 50},
    {"FISH2_KAZU", "数", 50},
    {"FISH3", "魚　３", 100},
    {"FISH3_MAX", "最大", 50},
    {"FISH3_MIN", "最小", 50},
    {"FISH3_KAZU", "数", 50},
};

} // namespace

QStringList TMenteF::deleteLines()
{
    return {QStringLiteral(" delete from FISH_DATA   "), QStringLiteral(" where CODENO = :parCODE ")};
}

TMenteF::TMenteF(QWidget* owner) : KelporaWindow(owner, {"MenteF", QStringLiteral("メンテナンス"), {799, 579}})
{
    IBSQL_Data = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_Data->setObjectName(QStringLiteral("IBSQL_Data"));
    IBSQL_Data->addSql(QStringLiteral("select * from FISH_DATA order by CODENO"));
    IBSQL_D_del = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_D_del->setObjectName(QStringLiteral("IBSQL_D_del"));
    m_lookup = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    m_dataSource = std::make_unique<kelpora::DataSource>(*IBSQL_Data);
    DS_Data = m_dataSource.get();

    Panel_Top = kit::panel(this, "Panel_Top", {0, 0, 799, 49});
    Label2 = kit::label(
        Panel_Top, "Label2", QStringLiteral("メンテナンス画面"), {16, 14, 240, 21}, {18, true, QColor(0, 0, 255)});
    Btn_Return = kit::button(Panel_Top, "Btn_Return", QStringLiteral("戻　る"), {688, 9, 96, 31});
    buildGrid();
    Label5 = kit::label(this, "Label5", QStringLiteral("削除する番号"), {23, 490, 120, 20});
    Edit_Data_del = kit::editField(this, "Edit_Data_del", {23, 513, 120, 26}, kit::InputMethod::Off);
    Btn_D_del = kit::button(this, "Btn_D_del", QStringLiteral("削　除"), {152, 511, 96, 31});
    Btn_Data_First = kit::button(this, "Btn_Data_First", QStringLiteral("First"), {584, 511, 90, 31});
    Btn_Data_Last = kit::button(this, "Btn_Data_Last", QStringLiteral("Last"), {686, 511, 90, 31});

    using kelpora::onEvent;
    onEvent(Btn_Return, &QPushButton::clicked, this, &TMenteF::Btn_ReturnClick);
    onEvent(Btn_D_del, &QPushButton::clicked, this, &TMenteF::Btn_D_delClick);
    onEvent(Btn_Data_First, &QPushButton::clicked, this, &TMenteF::Btn_Data_FirstClick);
    onEvent(Btn_Data_Last, &QPushButton::clicked, this, &TMenteF::Btn_Data_LastClick);
    onEvent(DBGrid_Data, &QAbstractItemView::doubleClicked, this, &TMenteF::DBGrid_DataDblClick);
}

TMenteF::~TMenteF() = default;

void TMenteF::buildGrid()
{
    std::vector<kelpora::ResultSetModel::Column> columns;
    for (const GridColumn& c : kColumns)
        columns.push_back({QLatin1String(c.field), QString::fromUtf8(c.title)});
    m_model = new kelpora::ResultSetModel(*DS_Data, std::move(columns), this);

    DBGrid_Data = kelpora::kit::recordGrid(this, "DBGrid_Data", {23, 60, 753, 417});
    DBGrid_Data->setModel(m_model);
    for (int i = 0; i < int(std::size(kColumns)); ++i)
        DBGrid_Data->setColumnWidth(i, kColumns[i].width);
    kelpora::kit::fitNumbers(DBGrid_Data, 0, kColumns[0].width);

    kelpora::kit::shareCurrentRow(DBGrid_Data, *IBSQL_Data);
}

void TMenteF::FormShow()
{
    Edit_Data_del->clear();
    IBSQL_Data->close();
    IBSQL_Data->open();
    m_model->setHeaderData(2, Qt::Horizontal, QStringLiteral("ポイント"));
}

void TMenteF::DBGrid_DataDblClick()
{
    const int row = DBGrid_Data->currentIndex().row();
    if (row < 0 || row >= IBSQL_Data->rowCount())
        return;
    Edit_Data_del->setText(IBSQL_Data->textAt(row, QStringLiteral("CODENO")));
}

void TMenteF::Btn_Data_FirstClick()
{
    IBSQL_Data->first();
}

void TMenteF::Btn_Data_LastClick()
{
    IBSQL_Data->last();
}

void TMenteF::Btn_ReturnClick()
{
    closeWindow();
}

// A deletion takes the whole outing with its photos and cannot be undone, so the
// record is shown and the user asked first; a number that names no record is said
// to be one rather than "deleted" in silence.
void TMenteF::Btn_D_delClick()
{
    const QString text = Edit_Data_del->text();
    if (text.isEmpty()) {
        messageBoxes().inform(QStringLiteral("番号を入力してください"));
        return;
    }
    kelpora::SqlQuery& q = *IBSQL_D_del;
    q.close();
    q.clearSql();
    for (const QString& line : deleteLines())
        q.addSql(line);
    qint32 code = 0;
    try {
        code = kit::toInteger(text, Label5->text());
    } catch (const kelpora::ConversionError&) {
        messageBoxes().inform(QStringLiteral("番号の指定が違っています"));
        return;
    }
    q.bindInteger(QStringLiteral("parCODE"), code);

    const std::optional<QString> record = describeRecord(code);
    if (!record) {
        messageBoxes().inform(QStringLiteral("番号 %1 の記録はありません").arg(code));
        return;
    }
    if (!messageBoxes().confirm(*record))
        return;
    if (!DM1->guardedWrite(q, QStringLiteral("失敗しました")))
        return;
    IBSQL_Data->close();
    IBSQL_Data->open();
    Edit_Data_del->clear();
}

std::optional<QString> TMenteF::describeRecord(qint32 code)
{
    kelpora::SqlQuery& q = *m_lookup;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("select CODENO, DAY_DATA, BASYO, FISH1 from FISH_DATA where CODENO = :parCODE"));
    q.bindInteger(QStringLiteral("parCODE"), code);
    q.open();
    if (q.isEmpty())
        return std::nullopt;
    const QString text = QStringLiteral("番号 %1 の記録を削除します。\n\n"
                                        "日付　%2\n場所　%3\n魚種　%4\n\n"
                                        "写真や図も含めて消え、元には戻せません。削除してよろしいですか？")
                             .arg(code)
                             .arg(q.fieldText(QStringLiteral("DAY_DATA")), q.fieldText(QStringLiteral("BASYO")),
                                 q.fieldText(QStringLiteral("FISH1")));
    q.close();
    return text;
}
