#include "tide/New_Shio_In_F.h"

#include "app/Controls.h"
#include "app/ErrorHandler.h"
#include "app/FieldTable.h"
#include "browser/Fishdata_F.h"
#include "core/DM_1.h"
#include "core/Seams.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "core/WriteGuard.h"
#include "entry/Fish_Data_IN.h"
#include "pictures/ImageArea.h"
#include "pictures/PictureStore.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

TNew_Shio_InF* New_Shio_InF = nullptr;

using kelpora::ImageArea;
using kelpora::Picture;
using kelpora::PictureStore;
using kelpora::Shape;
using kelpora::WindowTraits;
namespace kit = kelpora::kit;

namespace {

constexpr int kDesignedWidth = 684;
constexpr int kArea = 500; // the picture area's designed side
constexpr int kCircle = 17;
constexpr int kColumnX = 524; // the right-hand column's designed left edge
constexpr int kColumnWidth = 153;
// A band released with its right edge less than this far inside the picture's right
// edge, or beyond it, is made to end exactly on it.
constexpr int kSnap = 32;
// Stored offsets are shown within this much of the picture; the values themselves are
// kept as read, however large.
constexpr int kFarAway = 1'000'000;

const QColor kFuchsia(0xFF, 0x00, 0xFF);

QString sizeText(const QSize& size)
{
    return QStringLiteral("%1 * %2").arg(size.width()).arg(size.height());
}

int shownOffset(int stored)
{
    return std::clamp(stored, -kFarAway, kFarAway);
}

} // namespace

QString TNew_Shio_InF::readSql()
{
    // The statement exactly as written, spaces and all.
    // clang-format off
    return QStringLiteral(" select SHIO_ZU,                         NEW_1_S , NEW_1_E , NEW_2_S , NEW_2_E,  NEW_3_S , NEW_3_E , NEW_4_S , NEW_4_E,  NEW_5_S , NEW_5_E , NEW_6_S , NEW_6_E   from FISH_DATA where CODENO = :parCODE ");
    // clang-format on
}

QString TNew_Shio_InF::updateSql()
{
    // The statement exactly as written, spaces and all.
    // clang-format off
    return QStringLiteral(" update FISH_DATA set                SHIO_ZU     = :parSHIO_ZU         , NEW_1_S = :parNEW_1_S , NEW_1_E = :parNEW_1_E , NEW_2_S = :parNEW_2_S , NEW_2_E = :parNEW_2_E , NEW_3_S = :parNEW_3_S , NEW_3_E = :parNEW_3_E , NEW_4_S = :parNEW_4_S , NEW_4_E = :parNEW_4_E , NEW_5_S = :parNEW_5_S , NEW_5_E = :parNEW_5_E , NEW_6_S = :parNEW_6_S , NEW_6_E = :parNEW_6_E   where CODENO = :parCODE ");
    // clang-format on
}

TNew_Shio_InF::TNew_Shio_InF(QWidget* owner)
    : KelporaWindow(owner,
        {"New_Shio_InF", QStringLiteral("潮位 New"), {kDesignedWidth, 523}, WindowTraits::Placement::Owner,
            WindowTraits::Sizing::Resizable, WindowTraits::TitleButtons::None, {700, 560}})
{
    kit::setFont(this, {16, true, {}});
    IBSQL = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL->setObjectName(QStringLiteral("IBSQL"));
    IBSQL_UP = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_UP->setObjectName(QStringLiteral("IBSQL_UP"));

    Image_S = kit::imageArea(this, "Image_S", {16, 16, kArea, kArea}, ImageArea::DisplayMode::Natural);
    // Marks lie over the picture and under the buttons, so they are made in between.
    buildShapes();
    buildColumn();
    buildMarkControls();
    connectHandlers();
}

TNew_Shio_InF::~TNew_Shio_InF() = default;

void TNew_Shio_InF::buildShapes()
{
    const Shape::Look blueBand{Shape::Kind::Rectangle, Qt::blue, 3, Shape::Hatch::None, {}};
    const Shape::Look risingBand{Shape::Kind::Rectangle, Qt::red, 1, Shape::Hatch::Rising, kFuchsia};
    const Shape::Look fallingBand{Shape::Kind::Rectangle, Qt::red, 1, Shape::Hatch::Falling, kFuchsia};
    const Shape::Look circle{Shape::Kind::Circle, Qt::red, 3, Shape::Hatch::None, {}};
    Shape_1 = new Shape(this, "Shape_1", blueBand);
    Shape_2 = new Shape(this, "Shape_2", risingBand);
    Shape_3 = new Shape(this, "Shape_3", fallingBand);
    Shape_4 = new Shape(this, "Shape_4", circle);
    Shape_5 = new Shape(this, "Shape_5", circle);
    Shape_6 = new Shape(this, "Shape_6", circle);
    Shape_1->setGeometry(16, 16, 100, kArea);
    Shape_2->setGeometry(16, 16, 80, kArea);
    Shape_3->setGeometry(16, 16, 80, kArea);
    // Where a catch time waits until it is first shown.
    Shape_4->setGeometry(56, 48, kCircle, kCircle);
    Shape_5->setGeometry(56, 76, kCircle, kCircle);
    Shape_6->setGeometry(56, 104, kCircle, kCircle);
    Shape* shapes[6] = {Shape_1, Shape_2, Shape_3, Shape_4, Shape_5, Shape_6};
    for (int i = 0; i < 6; ++i) {
        m_marks[size_t(i)].shape = shapes[i];
        shapes[i]->hide();
    }
}

void TNew_Shio_InF::buildColumn()
{
    using kit::button;
    const int x = kColumnX;
    const int w = kColumnWidth;
    Btn_Return = button(this, "Btn_Return", QStringLiteral("戻　る"), {x, 16, w, 32});
    Edit_CODE = kit::editField(this, "Edit_CODE", {x, 60, w, 26}, kit::InputMethod::Off);
    Btn_In = button(this, "Btn_In", QStringLiteral("読み込み"), {x, 96, w, 30});
    Label_XY = kit::label(this, "Label_XY", QString(), {x, 132, w, 18});
    Btn_OK = button(this, "Btn_OK", QStringLiteral("登　録"), {x, 152, w, 44});
    Btn_Clear = button(this, "Btn_Clear", QStringLiteral("消　去"), {x, 204, w, 40});
    Btn_Time = button(this, "Btn_Time", QStringLiteral("釣り時間の表示"), {x, 256, w, 32});
    Panel_Time = kit::panel(this, "Panel_Time", {x, 296, w, 225});
    for (QWidget* control : std::initializer_list<QWidget*>{
             Btn_Return, Edit_CODE, Btn_In, Label_XY, Btn_OK, Btn_Clear, Btn_Time, Panel_Time})
        m_column.emplace_back(control, control->x());
}

void TNew_Shio_InF::buildMarkControls()
{
    using kit::button;
    QFrame* p = Panel_Time;
    const kit::Font heading{15, true, Qt::blue};
    const kit::Font small{11, true, {}};
    const kit::Font dash{21, true, {}};
    const kit::Focus flat = kit::Focus::None;

    Label_A = kit::label(p, "Label_A", QStringLiteral("釣行時間"), {6, 4, 100, 18}, heading);
    Label_B = kit::label(p, "Label_B", QStringLiteral("消去"), {112, 6, 34, 14}, small, Qt::AlignCenter);
    S_Btn_1 = button(p, "S_Btn_1", QStringLiteral("釣行時間"), {6, 24, 100, 26}, flat);
    Btn_S00 = button(p, "Btn_S00", QStringLiteral("-"), {112, 24, 34, 26});
    Label_AA = kit::label(p, "Label_AA", QStringLiteral("釣れた時間帯"), {6, 54, 104, 18}, heading);
    Label_BB = kit::label(p, "Label_BB", QStringLiteral("消去"), {112, 56, 34, 14}, small, Qt::AlignCenter);
    S_Btn_2 = button(p, "S_Btn_2", QStringLiteral("地合　１"), {6, 74, 100, 26}, flat);
    Btn_S01 = button(p, "Btn_S01", QStringLiteral("-"), {112, 74, 34, 26});
    S_Btn_3 = button(p, "S_Btn_3", QStringLiteral("地合　２"), {6, 102, 100, 26}, flat);
    Btn_S02 = button(p, "Btn_S02", QStringLiteral("-"), {112, 102, 34, 26});
    Label_AAA = kit::label(p, "Label_AAA", QStringLiteral("釣れた時間"), {6, 134, 140, 16}, {13, true, {}});
    S_Btn_3__ = button(p, "S_Btn_3__", QStringLiteral("１"), {6, 152, 42, 28}, flat);
    S_Btn_2__ = button(p, "S_Btn_2__", QStringLiteral("２"), {55, 152, 42, 28}, flat);
    S_Btn_1__ = button(p, "S_Btn_1__", QStringLiteral("３"), {104, 152, 42, 28}, flat);
    Btn_O_1 = button(p, "Btn_O_1", QStringLiteral("-"), {6, 184, 42, 28});
    Btn_O_2 = button(p, "Btn_O_2", QStringLiteral("-"), {55, 184, 42, 28});
    Btn_O_3 = button(p, "Btn_O_3", QStringLiteral("-"), {104, 184, 42, 28});

    // The blue headings grey out with the rest while the marks cannot be used yet.
    for (QLabel* title : {Label_A, Label_AA}) {
        QPalette greyed = title->palette();
        greyed.setColor(
            QPalette::Disabled, QPalette::WindowText, palette().color(QPalette::Disabled, QPalette::WindowText));
        title->setPalette(greyed);
    }

    QPushButton* selects[6] = {S_Btn_1, S_Btn_2, S_Btn_3, S_Btn_3__, S_Btn_2__, S_Btn_1__};
    QPushButton* hides[6] = {Btn_S00, Btn_S01, Btn_S02, Btn_O_1, Btn_O_2, Btn_O_3};
    for (int i = 0; i < 6; ++i) {
        selects[i]->setFlat(true);
        kit::setFont(hides[i], dash);
        m_marks[size_t(i)].select = selects[i];
        m_marks[size_t(i)].hide = hides[i];
    }
}

void TNew_Shio_InF::connectHandlers()
{
    using kelpora::onEvent;
    using Self = TNew_Shio_InF;
    onEvent(Btn_Return, &QPushButton::clicked, this, &Self::Btn_ReturnClick);
    onEvent(Btn_In, &QPushButton::clicked, this, &Self::Btn_InClick);
    onEvent(Btn_Clear, &QPushButton::clicked, this, &Self::Btn_ClearClick);
    onEvent(Btn_Time, &QPushButton::clicked, this, &Self::Btn_TimeClick);
    onEvent(Btn_OK, &QPushButton::clicked, this, &Self::Btn_OKClick);
    onEvent(Btn_S00, &QPushButton::clicked, this, &Self::Btn_S00Click);
    onEvent(Btn_S01, &QPushButton::clicked, this, &Self::Btn_S01Click);
    onEvent(Btn_S02, &QPushButton::clicked, this, &Self::Btn_S02Click);
    onEvent(Btn_O_1, &QPushButton::clicked, this, &Self::Btn_O_1Click);
    onEvent(Btn_O_2, &QPushButton::clicked, this, &Self::Btn_O_2Click);
    onEvent(Btn_O_3, &QPushButton::clicked, this, &Self::Btn_O_3Click);
    for (int n = 1; n <= 6; ++n)
        onEvent(mark(n).select, &QPushButton::clicked, this, [this, n] { S_Btn_XX_Click(n); });
    for (Shape* band : {Shape_1, Shape_2, Shape_3}) {
        onEvent(band, &Shape::mouseDown, this, &Self::Shape_XX_MouseDown);
        onEvent(band, &Shape::mouseMove, this, &Self::Shape_XX_MouseMove);
        onEvent(band, &Shape::mouseUp, this, &Self::Shape_XX_MouseUp);
    }
    for (Shape* circle : {Shape_4, Shape_5, Shape_6}) {
        onEvent(circle, &Shape::mouseDown, this, &Self::Shape_YY_MouseDown);
        onEvent(circle, &Shape::mouseMove, this, &Self::Shape_YY_MouseMove);
        onEvent(circle, &Shape::mouseUp, this, &Self::Shape_YY_MouseUp);
    }
    // A stored chart that only fails when drawn is reported like any other bad picture.
    onEvent(Image_S, &ImageArea::decodeFailed, this,
        [](const QString& text) { kelpora::seams::messageBoxes().error(text); });
}

TNew_Shio_InF::Mark& TNew_Shio_InF::mark(int markNo)
{
    return m_marks.at(size_t(markNo - 1));
}

int TNew_Shio_InF::markNumberOf(const Shape* shape) const
{
    for (size_t i = 0; i < m_marks.size(); ++i)
        if (m_marks[i].shape == shape)
            return int(i) + 1;
    return 0;
}

void TNew_Shio_InF::resizeEvent(QResizeEvent* event)
{
    KelporaWindow::resizeEvent(event);
    // The column keeps its distance from the right edge as the window grows for a chart.
    const int shift = width() - kDesignedWidth;
    for (const auto& [control, designedX] : m_column)
        control->move(designedX + shift, control->y());
}

void TNew_Shio_InF::SetMarkControls(const QString& onOff)
{
    const bool on = onOff == QLatin1String("ON");
    for (QWidget* control : std::initializer_list<QWidget*>{S_Btn_1, S_Btn_2, S_Btn_3, S_Btn_1__, S_Btn_2__, S_Btn_3__,
             Btn_S00, Btn_S01, Btn_S02, Btn_O_1, Btn_O_2, Btn_O_3, Label_A, Label_AA, Label_AAA, Label_B, Label_BB})
        control->setEnabled(on);
}

// --- opening ---

void TNew_Shio_InF::FormShow()
{
    for (Mark& m : m_marks) {
        m.shape->hide();
        m.kept.reset();
    }
    SetMarkControls(QStringLiteral("OFF"));

    const QWidget* owner = parentWidget();
    if (!owner || owner->objectName() != QLatin1String("FishdataF")) {
        Label_XY->clear();
        Edit_CODE->setText(QStringLiteral("新規入力"));
        return;
    }

    Edit_CODE->setText(FishdataF ? FishdataF->Edit_No->text() : QString());
    Label_XY->clear();
    if (ShioZu_Flag == 1 && FishdataF) {
        const Picture shown = FishdataF->Image_Shio->picture();
        Image_S->setPicture(shown);
        if (!shown.isNull())
            Label_XY->setText(shown.kind() == Picture::Kind::Jpeg ? QStringLiteral("jpg") : sizeText(shown.size()));
    }
    if (!Image_S->picture().isNull())
        applySizing(true, true);

    if (Edit_CODE->text().isEmpty()) {
        kelpora::seams::messageBoxes().inform(QStringLiteral("コード番号取得失敗"));
        // Closing from inside the show would leave a modal loop waiting for nothing.
        QMetaObject::invokeMethod(
            this, [this] { closeWindow(); }, Qt::QueuedConnection);
        return;
    }
    if (openStoredRecord())
        showStoredMarks();
}

bool TNew_Shio_InF::openStoredRecord()
{
    kelpora::SqlQuery& q = *IBSQL;
    q.close();
    q.clearSql();
    q.addSql(readSql());
    q.bindInteger(QStringLiteral("parCODE"), kit::toInteger(Edit_CODE->text(), QStringLiteral("Ｎｏ")));
    q.open();
    if (q.isEmpty())
        return false;
    const Picture stored = PictureStore::readPicture(q, QStringLiteral("SHIO_ZU"), kelpora::ReadRule::BitmapFirst);
    if (!stored.isNull()) {
        Image_S->setPicture(stored);
        applySizing(false, true);
    }
    return true;
}

// A mark is there unless both of its values are 0; it is shown exactly where its values
// put it, even flush with the chart's edge or outside it, and remembered as read.
void TNew_Shio_InF::showStoredMarks()
{
    const QPoint origin = Image_S->pos();
    const int height = pictureHeight();
    for (int n = 1; n <= 6; ++n) {
        const int s = IBSQL->fieldInteger(QStringLiteral("NEW_%1_S").arg(n));
        const int e = IBSQL->fieldInteger(QStringLiteral("NEW_%1_E").arg(n));
        if (s == 0 && e == 0)
            continue;
        Mark& m = mark(n);
        const int x = origin.x() + shownOffset(s);
        if (n <= 3)
            m.shape->setGeometry(x, origin.y(), std::max(0, shownOffset(e)), height);
        else
            m.shape->setGeometry(x, origin.y() + shownOffset(e), kCircle, kCircle);
        m.shape->show();
        m.kept = Kept{m.shape->geometry(), s, e};
    }
}

void TNew_Shio_InF::applySizing(bool height, bool width)
{
    const QSize picture = Image_S->picture().size();
    if (height && picture.height() > kArea) {
        resize(this->width(), picture.height() + 60);
        Image_S->resize(Image_S->width(), picture.height());
    }
    if (width && picture.width() > kArea) {
        resize(picture.width() + 190, this->height());
        Image_S->resize(picture.width(), Image_S->height());
    }
}

int TNew_Shio_InF::pictureHeight() const
{
    return Image_S->picture().size().height();
}

// --- the buttons ---

void TNew_Shio_InF::Btn_ReturnClick()
{
    closeWindow(QDialog::Rejected);
}

void TNew_Shio_InF::Btn_InClick()
{
    const std::optional<Picture> pasted = PictureStore::pasteBitmap();
    if (!pasted) {
        kelpora::seams::messageBoxes().inform(QStringLiteral("クリップボードに画像がありません"));
        return;
    }
    Image_S->setPicture(*pasted);
    Label_XY->setText(sizeText(pasted->size()));
    applySizing(true, true);
}

void TNew_Shio_InF::Btn_ClearClick()
{
    Image_S->clear();
    Label_XY->clear();
}

void TNew_Shio_InF::Btn_TimeClick()
{
    if (Image_S->picture().isNull())
        return;
    SetMarkControls(QStringLiteral("ON"));
    Mark_No = 0;
    const QPoint origin = Image_S->pos();
    for (Shape* band : {Shape_1, Shape_2, Shape_3})
        if (band->isHidden())
            band->setGeometry(origin.x(), origin.y(), band == Shape_1 ? 100 : 80, pictureHeight());
    blackenFlatButtons();
}

void TNew_Shio_InF::S_Btn_XX_Click(int markNo)
{
    Mark& m = mark(markNo);
    Mark_No = markNo;
    blackenFlatButtons();
    kit::setFont(m.select, {0, true, Qt::red});
    m.shape->show();
    bringToFront(m.shape);
}

void TNew_Shio_InF::Btn_S00Click()
{
    toggleMark(1);
}

void TNew_Shio_InF::Btn_S01Click()
{
    toggleMark(2);
}

void TNew_Shio_InF::Btn_S02Click()
{
    toggleMark(3);
}

void TNew_Shio_InF::Btn_O_1Click()
{
    toggleMark(4);
}

void TNew_Shio_InF::Btn_O_2Click()
{
    toggleMark(5);
}

void TNew_Shio_InF::Btn_O_3Click()
{
    toggleMark(6);
}

// The button's caption is its only state: "-" hides, "+" shows.
void TNew_Shio_InF::toggleMark(int markNo)
{
    Mark& m = mark(markNo);
    if (m.hide->text() == QLatin1String("-")) {
        m.shape->hide();
        m.hide->setText(QStringLiteral("+"));
    } else {
        m.shape->show();
        m.hide->setText(QStringLiteral("-"));
    }
    Mark_No = 0;
    blackenFlatButtons();
}

void TNew_Shio_InF::blackenFlatButtons()
{
    for (Mark& m : m_marks)
        kit::setFont(m.select, {0, true, Qt::black});
}

// In front of the other marks, still under the buttons.
void TNew_Shio_InF::bringToFront(Shape* shape)
{
    shape->stackUnder(Btn_Return);
}

// --- dragging the marks ---
//
// Whichever button goes down on a mark, Qt keeps the pointer on that mark until the
// last button is up, so a drag that slips off its mark goes on, and its release is
// always that mark's own.

void TNew_Shio_InF::Shape_XX_MouseDown(Shape* sender, const Shape::Mouse& mouse)
{
    Down_X = mouse.pos.x();
    Down_Y = mouse.pos.y();
    Down_Width = sender->width();
    if (mouse.buttons == mouse.button) { // the first button of this drag
        m_dragButton = mouse.button;
        m_pressed = sender;
    }
    Drag_Flg = true;
}

void TNew_Shio_InF::Shape_XX_MouseMove(Shape* sender, const Shape::Mouse& mouse)
{
    if (!Drag_Flg || sender != m_pressed || Mark_No != markNumberOf(sender))
        return;
    if (mouse.modifiers != Qt::NoModifier)
        return;
    const QPoint p = sender->pos() + mouse.pos; // the pointer in the window
    if (mouse.buttons == Qt::LeftButton)
        sender->move(p.x() - Down_X, sender->y());
    else if (mouse.buttons == Qt::RightButton)
        sender->resize(std::max(0, Down_Width + (p.x() - Down_X - sender->x())), sender->height());
}

void TNew_Shio_InF::Shape_XX_MouseUp(Shape* sender, const Shape::Mouse& mouse)
{
    if (mouse.buttons == Qt::NoButton) {
        Drag_Flg = false;
        m_dragButton = Qt::NoButton;
        m_pressed = nullptr;
    }
    correctBand(*sender);
}

// A released band starts at the picture's left edge or right of it, is never thinner
// than a few pixels, and one that ends near or beyond the picture's right edge ends on it.
void TNew_Shio_InF::correctBand(Shape& band) const
{
    QRect g = band.geometry();
    const int areaLeft = Image_S->x();
    const int areaRight = areaLeft + Image_S->width();
    if (g.left() < areaLeft)
        g.moveLeft(areaLeft);
    if (g.width() < 3)
        g.setWidth(10);
    if (g.left() + g.width() > areaRight - kSnap)
        g.setWidth(std::max(0, areaRight - g.left()));
    band.setGeometry(g);
}

void TNew_Shio_InF::Shape_YY_MouseDown(Shape* sender, const Shape::Mouse& mouse)
{
    Down_X = mouse.pos.x();
    Down_Y = mouse.pos.y();
    if (mouse.buttons == mouse.button) {
        m_dragButton = mouse.button;
        m_pressed = sender;
    }
    Drag_Flg = true;
}

// A catch time follows the pointer only while the button that pressed it is held.
void TNew_Shio_InF::Shape_YY_MouseMove(Shape* sender, const Shape::Mouse& mouse)
{
    if (!Drag_Flg || sender != m_pressed || !(mouse.buttons & m_dragButton))
        return;
    const QPoint p = sender->pos() + mouse.pos;
    sender->move(p.x() - Down_X, p.y() - Down_Y);
}

void TNew_Shio_InF::Shape_YY_MouseUp(Shape*, const Shape::Mouse& mouse)
{
    if (mouse.buttons == Qt::NoButton) {
        Drag_Flg = false;
        m_dragButton = Qt::NoButton;
        m_pressed = nullptr;
    }
}

// --- confirming ---

void TNew_Shio_InF::Btn_OKClick()
{
    const Picture& picture = Image_S->picture();
    if (picture.isNull()) {
        closeWindow();
        return;
    }
    // Always a fresh JPEG, also for a chart that was read as one.
    const Picture chart = Picture::fromJpeg(PictureStore::reencode(picture));
    const std::array<int, 12> values = markValues();
    if (Mode_Flg == kOldFlg)
        writeRecord(chart, values);
    else
        handBack(chart, values);
    closeWindow();
}

// NEW_1_S, NEW_1_E, ... NEW_6_E. A hidden mark is 0 and 0; a mark still standing where
// it was opened gives back the values it was read with.
std::array<int, 12> TNew_Shio_InF::markValues() const
{
    std::array<int, 12> values{};
    const QPoint origin = Image_S->pos();
    for (size_t i = 0; i < m_marks.size(); ++i) {
        const Mark& m = m_marks[i];
        const QRect g = m.shape->geometry();
        int s = 0;
        int e = 0;
        if (m.shape->isHidden()) {
            // no mark
        } else if (m.kept && m.kept->shownAt == g) {
            s = m.kept->s;
            e = m.kept->e;
        } else {
            s = g.x() - origin.x();
            e = i < 3 ? g.width() : g.y() - origin.y();
        }
        values[2 * i] = s;
        values[2 * i + 1] = e;
    }
    return values;
}

void TNew_Shio_InF::writeRecord(const Picture& chart, const std::array<int, 12>& values)
{
    kelpora::SqlQuery& q = *IBSQL_UP;
    q.close();
    q.clearSql();
    q.addSql(updateSql());
    q.bindBlob(QStringLiteral("parSHIO_ZU"), chart.jpegBytes());
    for (int n = 1; n <= 6; ++n) {
        q.bindInteger(QStringLiteral("parNEW_%1_S").arg(n), values[size_t(2 * n - 2)]);
        q.bindInteger(QStringLiteral("parNEW_%1_E").arg(n), values[size_t(2 * n - 1)]);
    }
    // A number that is not one stops here, before anything runs; the window stays open.
    q.bindInteger(QStringLiteral("parCODE"), kit::toInteger(Edit_CODE->text(), QStringLiteral("Ｎｏ")));
    if (const auto reason = kelpora::guardedWrite(q, DM1->IBTr2)) {
        kelpora::seams::messageBoxes().inform(QStringLiteral("登録に失敗しました"));
        kelpora::seams::messageBoxes().inform(*reason);
    }
}

void TNew_Shio_InF::handBack(const Picture& chart, const std::array<int, 12>& values)
{
    if (FishDataIn)
        FishDataIn->Image_Shio->setPicture(chart);
    // TIME1_START .. TIME3_END are reserved and always 0.
    std::fill(Shio_Marks.begin(), Shio_Marks.begin() + 6, 0);
    std::copy(values.begin(), values.end(), Shio_Marks.begin() + 6);
}
