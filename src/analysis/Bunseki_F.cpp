#include "analysis/Bunseki_F.h"

#include "analysis/CatchCharts.h"
#include "app/Controls.h"
#include "app/ErrorHandler.h"
#include "core/Seams.h"
#include "core/SqlQuery.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

TBunsekiF* BunsekiF = nullptr;

namespace kit = kelpora::kit;
using kelpora::WindowTraits;

namespace {

const char* const kPageTitles[] = {"月別", "年別", "潮別", "場所・ポイント", "サイズ推移", "自己記録"};

QString pageTitle(int page)
{
    return QString::fromUtf8(kPageTitles[page]);
}

} // namespace

TBunsekiF::TBunsekiF(QWidget* owner, kelpora::SqlQuery& rows, kelpora::TallyOptions options)
    : KelporaWindow(owner, {"BunsekiF", QStringLiteral("釣果分析"), {920, 660}, WindowTraits::Placement::Owner}),
      m_rows(rows), m_options(std::move(options))
{
    Label_Total = kit::label(this, "Label_Total", QString(), {12, 10, 640, 28}, {15, true, {}});
    Btn_Save = kit::button(this, "Btn_Save", QStringLiteral("画像保存"), {680, 8, 110, 32});
    Btn_Close = kit::button(this, "Btn_Close", QStringLiteral("閉じる"), {798, 8, 110, 32});
    Tab_Charts = new QTabWidget(this);
    Tab_Charts->setObjectName(QStringLiteral("Tab_Charts"));
    Tab_Charts->setGeometry(8, 48, 904, 604);
    buildPages();

    kelpora::onEvent(Btn_Save, &QPushButton::clicked, this, &TBunsekiF::Btn_SaveClick);
    kelpora::onEvent(Btn_Close, &QPushButton::clicked, this, &TBunsekiF::Btn_CloseClick);
    kelpora::onEvent(Tab_Charts, &QTabWidget::currentChanged, this, &TBunsekiF::Tab_ChartsChange);
    kelpora::onEvent(CBox_Fish, &QComboBox::activated, this, &TBunsekiF::CBox_FishChange);
    kelpora::onEvent(Grid_Best, &QTableWidget::cellDoubleClicked, this, &TBunsekiF::Grid_BestDblClick);
}

TBunsekiF::~TBunsekiF() = default;

void TBunsekiF::buildPages()
{
    for (int page = 0; page < PageCount; ++page) {
        m_pages[size_t(page)] = new QWidget;
        new QVBoxLayout(m_pages[size_t(page)]);
        Tab_Charts->addTab(m_pages[size_t(page)], pageTitle(page));
    }
    auto* choice = new QHBoxLayout;
    choice->addWidget(kit::caption(m_pages[Size], QStringLiteral("魚種"), {}));
    CBox_Fish = kit::comboBox(m_pages[Size], "CBox_Fish", {});
    CBox_Fish->setMinimumWidth(220);
    choice->addWidget(CBox_Fish);
    choice->addStretch();
    static_cast<QVBoxLayout*>(m_pages[Size]->layout())->addLayout(choice);

    Grid_Best = new QTableWidget(0, 5, m_pages[Best]);
    Grid_Best->setObjectName(QStringLiteral("Grid_Best"));
    Grid_Best->setHorizontalHeaderLabels({QStringLiteral("魚種"), QStringLiteral("最大"), QStringLiteral("日付"),
        QStringLiteral("場所"), QStringLiteral("ポイント")});
    Grid_Best->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid_Best->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid_Best->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid_Best->verticalHeader()->hide();
    Grid_Best->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Label_Chosen = kit::label(m_pages[Best], "Label_Chosen",
        QStringLiteral("行をダブルクリックすると、閉じたあとにその記録を表示します"), {});
    m_pages[Best]->layout()->addWidget(Grid_Best);
    m_pages[Best]->layout()->addWidget(Label_Chosen);
}

// Only the page in view is drawn: the opening waits for one chart, not six.
void TBunsekiF::FormShow()
{
    m_tally = kelpora::tallyCatches(m_rows, m_options);
    m_built.fill(false);
    Label_Total->setText(totalText());
    buildPage(Tab_Charts->currentIndex());
}

QString TBunsekiF::totalText() const
{
    QString text = QStringLiteral("釣行 %1 回　釣果 %2 匹　魚種 %3 種")
                       .arg(m_tally.outings)
                       .arg(m_tally.catches)
                       .arg(m_tally.species.size());
    if (!m_options.onlySpecies.isEmpty())
        text = QStringLiteral("%1のみ：").arg(m_options.onlySpecies) + text;
    if (m_tally.undated)
        text += QStringLiteral("（日付の読めない %1 件は月別・年別に含まず）").arg(m_tally.undated);
    return text;
}

QChartView* TBunsekiF::addChart(QWidget* page, QChart* chart)
{
    auto* view = new QChartView(chart, page);
    view->setRenderHint(QPainter::Antialiasing);
    page->layout()->addWidget(view);
    return view;
}

void TBunsekiF::buildPage(int page)
{
    if (page < 0 || page >= PageCount || m_built[size_t(page)])
        return;
    m_built[size_t(page)] = true;
    QWidget* w = m_pages[size_t(page)];
    namespace charts = kelpora::charts;
    switch (page) {
    case Month:
        addChart(w, charts::byMonth(m_tally));
        break;
    case Year:
        addChart(w, charts::byYear(m_tally));
        break;
    case Tide:
        addChart(w, charts::byTide(m_tally));
        break;
    case Place: {
        auto* row = new QWidget(w);
        new QHBoxLayout(row);
        addChart(row, charts::topPlaces(m_tally.places, QStringLiteral("釣果の多い場所（上位10）"),
                          QStringLiteral("場所")));
        addChart(row, charts::topPlaces(m_tally.points, QStringLiteral("釣果の多いポイント（上位10）"),
                          QStringLiteral("ポイント")));
        w->layout()->addWidget(row);
        break;
    }
    case Size:
        CBox_Fish->clear();
        for (const kelpora::SpeciesTally& s : m_tally.species)
            if (s.best)
                CBox_Fish->addItem(s.name);
        m_sizeView = addChart(w, charts::sizesOverTime(m_tally.find(CBox_Fish->currentText())));
        break;
    case Best:
        fillBests();
        break;
    }
}

QList<QChartView*> TBunsekiF::chartViews(Page page) const
{
    return m_pages[size_t(page)]->findChildren<QChartView*>();
}

void TBunsekiF::fillBests()
{
    Grid_Best->setRowCount(0);
    for (const kelpora::SpeciesTally& s : m_tally.species) {
        if (!s.best)
            continue;
        const int row = Grid_Best->rowCount();
        Grid_Best->insertRow(row);
        const QString cells[] = {s.name, QString::number(s.best->size), s.best->day, s.best->place, s.best->point};
        for (int c = 0; c < 5; ++c)
            Grid_Best->setItem(row, c, new QTableWidgetItem(cells[c]));
        Grid_Best->item(row, 0)->setData(Qt::UserRole, s.best->row);
        Grid_Best->item(row, 0)->setData(Qt::UserRole + 1, s.best->codeNo);
    }
}

void TBunsekiF::Tab_ChartsChange(int page)
{
    buildPage(page);
}

void TBunsekiF::CBox_FishChange(int index)
{
    if (!m_sizeView)
        return;
    QChart* old = m_sizeView->chart();
    m_sizeView->setChart(kelpora::charts::sizesOverTime(m_tally.find(CBox_Fish->itemText(index))));
    delete old;
}

void TBunsekiF::Grid_BestDblClick(int row)
{
    const QTableWidgetItem* item = Grid_Best->item(row, 0);
    if (!item)
        return;
    m_chosenRow = item->data(Qt::UserRole).toInt();
    Label_Chosen->setText(QStringLiteral("閉じると Ｎｏ %1 の記録（%2の自己記録）を表示します")
                              .arg(item->data(Qt::UserRole + 1).toInt())
                              .arg(item->text()));
}

void TBunsekiF::Btn_SaveClick()
{
    const int page = Tab_Charts->currentIndex();
    const QString suggested = QStringLiteral("釣果分析_%1.png").arg(pageTitle(page).replace(u'・', u'_'));
    QString path = kelpora::seams::fileDialog().savePicture(suggested, {QStringLiteral("PNG 画像 (*.png)")});
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    if (!m_pages[size_t(page)]->grab().save(path, "PNG"))
        kelpora::seams::messageBoxes().inform(QStringLiteral("画像を保存できませんでした\n%1").arg(path));
}

void TBunsekiF::Btn_CloseClick()
{
    if (m_chosenRow >= 0 && m_chosenRow < m_rows.rowCount())
        m_rows.moveTo(m_chosenRow);
    closeWindow();
}
