#pragma once

#include "analysis/CatchTally.h"
#include "app/KelporaWindow.h"

#include <array>

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace kelpora {
class SqlQuery;
}

// The catch analysis: charts over the records the opener holds. It reads them as they
// are buffered; a record chosen among the personal bests becomes the opener's current
// record when the window closes.
class TBunsekiF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    TBunsekiF(QWidget* owner, kelpora::SqlQuery& rows, kelpora::TallyOptions options = {});
    ~TBunsekiF() override;

    enum Page { Month, Year, Tide, Place, Size, Best, PageCount };

    QLabel* Label_Total = nullptr;
    QLabel* Label_Chosen = nullptr;
    QPushButton* Btn_Save = nullptr;
    QPushButton* Btn_Close = nullptr;
    QTabWidget* Tab_Charts = nullptr;
    QComboBox* CBox_Fish = nullptr;
    QTableWidget* Grid_Best = nullptr;

    const kelpora::CatchTally& tally() const { return m_tally; }
    // The chart views of a page, empty until the page is first shown.
    QList<QChartView*> chartViews(Page page) const;

    void Btn_SaveClick();
    void Btn_CloseClick();
    void Tab_ChartsChange(int page);
    void CBox_FishChange(int index);
    void Grid_BestDblClick(int row);

protected:
    void FormShow() override;

private:
    void buildPages();
    void buildPage(int page);
    void fillBests();
    QChartView* addChart(QWidget* page, QChart* chart);
    QString totalText() const;

    kelpora::SqlQuery& m_rows;
    kelpora::TallyOptions m_options;
    kelpora::CatchTally m_tally;
    std::array<QWidget*, PageCount> m_pages{};
    std::array<bool, PageCount> m_built{};
    QChartView* m_sizeView = nullptr;
    int m_chosenRow = -1;
};

extern TBunsekiF* BunsekiF;
