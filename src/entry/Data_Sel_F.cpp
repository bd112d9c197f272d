#include "entry/Data_Sel_F.h"

#include "core/DM_1.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "kit/Controls.h"
#include "kit/ErrorHandler.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TData_Sel* Data_Sel = nullptr;

namespace kit = kelpora::kit;
using kelpora::WindowTraits;

namespace {

constexpr int kColumns = 3;

} // namespace

QString TData_Sel::captionFor(const QString& kind)
{
    if (kind == QLatin1String("BASYO"))
        return QStringLiteral("場所の選択");
    if (kind == QLatin1String("FUNE"))
        return QStringLiteral("ポイントの選択");
    if (kind == QLatin1String("SAKANA"))
        return QStringLiteral("魚種の選択");
    return {};
}

QStringList TData_Sel::queryLines(const QString& kind)
{
    if (kind == QLatin1String("BASYO"))
        return {QStringLiteral(" select distinct BASYO from FISH_DATA ")};
    if (kind == QLatin1String("FUNE"))
        return {QStringLiteral(" select distinct FUNE from FISH_DATA ")};
    if (kind == QLatin1String("SAKANA"))
        return {QStringLiteral(" select distinct FISH1 from FISH_DATA "),
            QStringLiteral(" union                                "),
            QStringLiteral(" select distinct FISH2 from FISH_DATA "),
            QStringLiteral(" union                                "),
            QStringLiteral(" select distinct FISH3 from FISH_DATA ")};
    return {};
}

TData_Sel::TData_Sel(QWidget* owner)
    : KelporaWindow(owner, {"Data_Sel", QStringLiteral("選択してください"), {341, 296}, WindowTraits::Placement::Owner})
{
    IBSQL = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL->setObjectName(QStringLiteral("IBSQL"));

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(8, 8, 325, 200);
    // Three columns filled top to bottom, then on to the right, as a multi-column list box.
    ListBox1->setFlow(QListView::TopToBottom);
    ListBox1->setWrapping(true);
    ListBox1->setResizeMode(QListView::Adjust);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setGridSize(QSize((325 - 2 * ListBox1->frameWidth()) / kColumns, ListBox1->fontMetrics().height() + 4));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    kit::setInputMethod(ListBox1, kit::InputMethod::Off);

    Label1 = kit::label(this, "Label1", QStringLiteral("上記に無い場合には新規に入力します"), {8, 214, 226, 18});
    Edit_NEW = kit::editField(this, "Edit_NEW", {8, 236, 226, 24}, kit::InputMethod::On);
    Button2 = kit::button(this, "Button2", QStringLiteral("選　択"), {242, 214, 91, 46});
    Button1 = kit::button(this, "Button1", QStringLiteral("選択せずに戻る"), {8, 264, 325, 26});
    QWidget::setTabOrder(ListBox1, Edit_NEW);
    QWidget::setTabOrder(Edit_NEW, Button2);
    QWidget::setTabOrder(Button2, Button1);

    kelpora::onEvent(Button2, &QPushButton::clicked, this, &TData_Sel::Button2Click);
    kelpora::onEvent(Button1, &QPushButton::clicked, this, &TData_Sel::Button1Click);
    ListBox1->installEventFilter(this);
    ListBox1->viewport()->installEventFilter(this);
    Edit_NEW->installEventFilter(this);
}

TData_Sel::~TData_Sel() = default;

void TData_Sel::FormShow()
{
    Edit_NEW->clear();
    const QStringList lines = queryLines(Sel_Kind);
    if (!lines.isEmpty()) {
        setWindowTitle(captionFor(Sel_Kind));
        IBSQL->close();
        IBSQL->clearSql();
        for (const QString& line : lines)
            IBSQL->addSql(line);
        IBSQL->open();
    }
    ListBox1->clear();
    if (lines.isEmpty() || IBSQL->isEmpty())
        return;
    // A NULL is no value to pick (a correction stores NULL for an empty second species,
    // and the database returns it first); an empty text is one, shown as an empty item.
    ListBox1->addItems(IBSQL->textsOf(IBSQL->columnNames().value(0)));
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);
    ListBox1->setFocus();
}

bool TData_Sel::eventFilter(QObject* watched, QEvent* event)
{
    bool consumed = false;
    kelpora::guarded([&] {
        if (watched == ListBox1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
            consumed = true;
            ListBox1DblClick();
            return;
        }
        if (event->type() != QEvent::KeyPress)
            return;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == ListBox1) {
            // Any key that types a character takes the selected item; the arrows and
            // the page keys type none and only move the selection. Tab moves on.
            const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
            const bool types = !key->text().isEmpty() || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter
                || key->key() == Qt::Key_Escape;
            if (types && !tab) {
                consumed = true;
                takeSelected();
            }
        } else if (watched == Edit_NEW && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            consumed = true;
            finish(Edit_NEW->text());
        }
    });
    return consumed || KelporaWindow::eventFilter(watched, event);
}

void TData_Sel::takeSelected()
{
    const QListWidgetItem* item = ListBox1->currentItem();
    if (!item || !item->isSelected()) {
        // Nothing to take: the window stays, so a new value can still be typed.
        QApplication::beep();
        return;
    }
    finish(item->text());
}

void TData_Sel::finish(const QString& value)
{
    Sel_Value = value;
    closeWindow();
}

void TData_Sel::ListBox1DblClick()
{
    takeSelected();
}

void TData_Sel::Button2Click()
{
    takeSelected();
}

void TData_Sel::Button1Click()
{
    finish(QString());
}
