#include "tide/Shio_New_F.h"

#include "core/CatchRecord.h"
#include "core/DM_1.h"
#include "core/Seams.h"
#include "core/SqlQuery.h"
#include "core/TextNumber.h"
#include "imaging/PictureStore.h"
#include "kit/Controls.h"
#include "kit/ErrorHandler.h"
#include "kit/ImageArea.h"
#include "kit/Openers.h"
#include "tide/Shape.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

TShio_NewF* Shio_NewF = nullptr;

using kelpora::ImageArea;
using kelpora::Picture;
using kelpora::PictureStore;
using kelpora::Shape;
using kelpora::WindowTraits;
namespace kit = kelpora::kit;

namespace {

constexpr int kAreaLeft = 16;
constexpr int kAreaTop = 52;
constexpr int kDesignedChartWidth = 500;
constexpr int kCircle = 17;
constexpr int kReturnWidth = 177;
constexpr int kReturnRightGap = 20;
// Stored offsets are shown within this much of the chart.
constexpr int kFarAway = 1'000'000;

int shownOffset(int stored)
{
    return std::clamp(stored, -kFarAway, kFarAway);
}

} // namespace

QString TShio_NewF::readSql()
{
    // The statement exactly as written, spaces and all.
    // clang-format off
    return QStringLiteral(" select SHIO_ZU,NEW_1_S,NEW_1_E,NEW_2_S,NEW_2_E,NEW_3_S,NEW_3_E,NEW_4_S,NEW_4_E,NEW_5_S,NEW_5_E,NEW_6_S,NEW_6_E  from FISH_DATA where CODENO = :parCODE ");
    // clang-format on
}

TShio_NewF::TShio_NewF(QWidget* owner)
    : KelporaWindow(owner,
        {"Shio_NewF", QStringLiteral("潮位"), {535, 563}, WindowTraits::Placement::Owner,
            WindowTraits::Sizing::Resizable, WindowTraits::TitleButtons::None, {550, 600}})
{
    IBSQL = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL->setObjectName(QStringLiteral("IBSQL"));

    Image_SS = kit::imageArea(this, "Image_SS", {kAreaLeft, kAreaTop, kDesignedChartWidth, kDesignedChartWidth},
        ImageArea::DisplayMode::AutoSize);
    buildShapes();

    Panel1 = kit::panel(this, "Panel1", {0, 0, width(), 41});
    kit::setFont(Panel1, {16, true, {}});
    Label1 = kit::label(Panel1, "Label1", QStringLiteral("潮位の詳細表示"), {24, 15, 200, 20});
    Button1 = kit::button(
        Panel1, "Button1", QStringLiteral("戻　る"), {width() - kReturnRightGap - kReturnWidth, 8, kReturnWidth, 25});

    kelpora::onEvent(Button1, &QPushButton::clicked, this, &TShio_NewF::Button1Click);
    kelpora::onEvent(Image_SS, &ImageArea::decodeFailed, this,
        [](const QString& text) { kelpora::seams::messageBoxes().error(text); });
}

TShio_NewF::~TShio_NewF() = default;

// The feeding periods' hatches lean the other way from the editor's.
void TShio_NewF::buildShapes()
{
    const QColor fuchsia(0xFF, 0x00, 0xFF);
    const Shape::Look circle{Shape::Kind::Circle, Qt::red, 3, Shape::Hatch::None, {}};
    Shape1 = new Shape(this, "Shape1", {Shape::Kind::Rectangle, Qt::blue, 3, Shape::Hatch::None, {}});
    Shape2 = new Shape(this, "Shape2", {Shape::Kind::Rectangle, Qt::red, 1, Shape::Hatch::Falling, fuchsia});
    Shape3 = new Shape(this, "Shape3", {Shape::Kind::Rectangle, Qt::red, 1, Shape::Hatch::Rising, fuchsia});
    Shape4 = new Shape(this, "Shape4", circle);
    Shape5 = new Shape(this, "Shape5", circle);
    Shape6 = new Shape(this, "Shape6", circle);
    m_shapes = {Shape1, Shape2, Shape3, Shape4, Shape5, Shape6};
    for (Shape* shape : m_shapes)
        shape->hide();
}

void TShio_NewF::resizeEvent(QResizeEvent* event)
{
    KelporaWindow::resizeEvent(event);
    Panel1->resize(width(), Panel1->height());
    Button1->move(width() - kReturnRightGap - kReturnWidth, Button1->y());
}

void TShio_NewF::FormShow()
{
    for (Shape* shape : m_shapes)
        shape->hide();

    kelpora::SqlQuery& q = *IBSQL;
    q.close();
    q.clearSql();
    q.addSql(readSql());
    const kelpora::RecordOpener* browser = kelpora::openers::browser();
    const QString number = browser ? browser->recordNumberText() : QString();
    q.bindInteger(QStringLiteral("parCODE"), kelpora::toInteger(number, QStringLiteral("Ｎｏ")));
    q.open();

    Image_SS->clear();
    Image_SS->setPicture(PictureStore::readPicture(q, QStringLiteral("SHIO_ZU"), kelpora::ReadRule::BitmapFirst));
    const QSize chart = Image_SS->picture().size();
    // Wider charts widen the window; the height stays, and a taller chart is cut off.
    if (chart.width() > kDesignedChartWidth)
        resize(chart.width() + 40, height());
    showMarks();
}

// A mark is there unless both of its values are 0, and is drawn exactly where they put it.
void TShio_NewF::showMarks()
{
    const int chartHeight = Image_SS->picture().size().height();
    const auto columns = kelpora::record::chartMarkColumns();
    for (int n = 1; n <= 6; ++n) {
        const int s = IBSQL->fieldInteger(QLatin1String(columns[size_t(2 * n - 2)]));
        const int e = IBSQL->fieldInteger(QLatin1String(columns[size_t(2 * n - 1)]));
        if (s == 0 && e == 0)
            continue;
        Shape* shape = m_shapes[size_t(n - 1)];
        const int x = kAreaLeft + shownOffset(s);
        if (n <= 3)
            shape->setGeometry(x, kAreaTop, std::max(0, shownOffset(e)), chartHeight);
        else
            shape->setGeometry(x, kAreaTop + shownOffset(e), kCircle, kCircle);
        shape->show();
    }
}

void TShio_NewF::Button1Click()
{
    closeWindow();
}
