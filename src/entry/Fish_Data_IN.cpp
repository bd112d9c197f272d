#include "entry/Fish_Data_IN.h"

#include "app/Controls.h"
#include "app/ErrorHandler.h"
#include "app/ModalRunner.h"
#include "core/Almanac.h"
#include "core/DateText.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/Seams.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "core/TideValues.h"
#include "entry/Data_Sel_F.h"
#include "entry/DigitFilter.h"
#include "entry/EntryInsert.h"
#include "pictures/Fish_Chizu_In_F.h"
#include "pictures/ImageArea.h"
#include "pictures/PictureStore.h"
#include "tide/New_Shio_In_F.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <algorithm>
#include <array>

TFishDataIn* FishDataIn = nullptr;

using kelpora::DigitFilter;
using kelpora::ImageArea;
using kelpora::PictureStore;
namespace kit = kelpora::kit;

namespace {

using Field = kit::Field<TFishDataIn>;
using kit::Bound;
using kit::InputMethod;
using kit::Shown;
using E = QLineEdit* TFishDataIn::*;

constexpr InputMethod On = InputMethod::On;
constexpr InputMethod Off = InputMethod::Off;

constexpr Field text(E member, const char* name, const char* column, QRect rect, InputMethod input, const char* label)
{
    return Field{member, nullptr, nullptr, name, column, rect, input, Shown::None, Bound::Text, label};
}

// Size and count fields: digits only, NULL when empty.
constexpr Field number(E member, const char* name, const char* column, QRect rect, const char* label)
{
    return Field{member, nullptr, nullptr, name, column, rect, Off, Shown::None, Bound::IntegerOrNull, label};
}

// Tide times and heights: the window makes "hh:mm" and rounds the heights itself.
constexpr Field tide(E member, const char* name, QRect rect, const char* label, InputMethod input = InputMethod::Off)
{
    return Field{member, nullptr, nullptr, name, nullptr, rect, input, Shown::None, Bound::None, label};
}

constexpr Field memo(
    QPlainTextEdit* TFishDataIn::*member, const char* name, const char* column, QRect rect, const char* label)
{
    return Field{nullptr, member, nullptr, name, column, rect, On, Shown::None, Bound::MemoOrNull, label};
}

// Tide rows: high water at the left, low water at the right, first and second below each other.
constexpr QRect hourAt(int block, int row)
{
    return {24 + block * 236, 164 + row * 26, 34, 22};
}
constexpr QRect minuteAt(int block, int row)
{
    return {70 + block * 236, 164 + row * 26, 34, 22};
}
constexpr QRect heightAt(int block, int row)
{
    return {112 + block * 236, 164 + row * 26, 60, 22};
}

// Species rows: name, largest, smallest, count.
constexpr int speciesY(int row)
{
    return 240 + row * 26;
}

// In Tab order, which Enter follows too.
constexpr std::array kFields{
    Field{&TFishDataIn::Edit_No, nullptr, nullptr, "Edit_No", "CODENO", {36, 54, 56, 22}, Off, Shown::None,
        Bound::Integer, "Ｎｏ"},
    text(&TFishDataIn::Edit_Day, "Edit_Day", "DAY_DATA", {132, 54, 96, 22}, Off, "日付"),
    text(&TFishDataIn::Edit_Tenki, "Edit_Tenki", "TENNKI", {270, 54, 196, 22}, On, "天候"),
    text(&TFishDataIn::Edit_Basyo, "Edit_Basyo", "BASYO", {40, 82, 180, 22}, InputMethod::Keep, "場所"),
    text(&TFishDataIn::Edit_Fune, "Edit_Fune", "FUNE", {282, 82, 184, 22}, InputMethod::Keep, "ポイント"),
    Field{nullptr, nullptr, &TFishDataIn::CBox_Shio, "CBox_Shio", "SHIO", {40, 110, 100, 22}, On, Shown::None,
        Bound::Text, "潮"},
    text(&TFishDataIn::Edit_Shio_Kijyun, "Edit_Shio_Kijyun", "KIJYUNN", {206, 110, 120, 22}, On, "基準場所"),
    text(&TFishDataIn::Edit_Old_Day, "Edit_Old_Day", "KYUUREKI", {366, 110, 100, 22}, On, "旧暦"),
    text(&TFishDataIn::Edit_Old_Sho, "Edit_Old_Sho", "OLD_SHIO", {366, 136, 60, 22}, Off, "OLD_SHIO"),
    tide(&TFishDataIn::Edit_Max_T1, "Edit_Max_T1", hourAt(0, 0), "満潮１の時"),
    tide(&TFishDataIn::Edit_Max_T1_2, "Edit_Max_T1_2", minuteAt(0, 0), "満潮１の分", InputMethod::Keep),
    tide(&TFishDataIn::Edit_Max_H1, "Edit_Max_H1", heightAt(0, 0), "満潮１の潮位"),
    tide(&TFishDataIn::Edit_Max_T2, "Edit_Max_T2", hourAt(0, 1), "満潮２の時"),
    tide(&TFishDataIn::Edit_Max_T2_2, "Edit_Max_T2_2", minuteAt(0, 1), "満潮２の分", InputMethod::Keep),
    tide(&TFishDataIn::Edit_Max_H2, "Edit_Max_H2", heightAt(0, 1), "満潮２の潮位"),
    tide(&TFishDataIn::Edit_Min_T1, "Edit_Min_T1", hourAt(1, 0), "干潮１の時"),
    tide(&TFishDataIn::Edit_Min_T1_2, "Edit_Min_T1_2", minuteAt(1, 0), "干潮１の分", InputMethod::Keep),
    tide(&TFishDataIn::Edit_Min_H1, "Edit_Min_H1", heightAt(1, 0), "干潮１の潮位"),
    tide(&TFishDataIn::Edit_Min_T2, "Edit_Min_T2", hourAt(1, 1), "干潮２の時"),
    tide(&TFishDataIn::Edit_Min_T2_2, "Edit_Min_T2_2", minuteAt(1, 1), "干潮２の分", InputMethod::Keep),
    tide(&TFishDataIn::Edit_Min_H2, "Edit_Min_H2", heightAt(1, 1), "干潮２の潮位"),
    text(&TFishDataIn::Edit_F1, "Edit_F1", "FISH1", {56, speciesY(0), 196, 22}, On, "魚種１"),
    number(&TFishDataIn::Edit_F1_Max, "Edit_F1_Max", "FISH1_MAX", {262, speciesY(0), 52, 22}, "魚種１の最大"),
    number(&TFishDataIn::Edit_F1_Min, "Edit_F1_Min", "FISH1_MIN", {326, speciesY(0), 52, 22}, "魚種１の最小"),
    number(&TFishDataIn::Edit_F1_kazu, "Edit_F1_kazu", "FISH1_KAZU", {396, speciesY(0), 70, 22}, "魚種１の数"),
    text(&TFishDataIn::Edit_F2, "Edit_F2", "FISH2", {56, speciesY(1), 196, 22}, On, "魚種２"),
    number(&TFishDataIn::Edit_F2_Max, "Edit_F2_Max", "FISH2_MAX", {262, speciesY(1), 52, 22}, "魚種２の最大"),
    number(&TFishDataIn::Edit_F2_Min, "Edit_F2_Min", "FISH2_MIN", {326, speciesY(1), 52, 22}, "魚種２の最小"),
    number(&TFishDataIn::Edit_F2_kazu, "Edit_F2_kazu", "FISH2_KAZU", {396, speciesY(1), 70, 22}, "魚種２の数"),
    text(&TFishDataIn::Edit_F3, "Edit_F3", "FISH3", {56, speciesY(2), 196, 22}, On, "魚種３"),
    number(&TFishDataIn::Edit_F3_Max, "Edit_F3_Max", "FISH3_MAX", {262, speciesY(2), 52, 22}, "魚種３の最大"),
    number(&TFishDataIn::Edit_F3_Min, "Edit_F3_Min", "FISH3_MIN", {326, speciesY(2), 52, 22}, "魚種３の最小"),
    number(&TFishDataIn::Edit_F3_kazu, "Edit_F3_kazu", "FISH3_KAZU", {396, speciesY(2), 70, 22}, "魚種３の数"),
    memo(&TFishDataIn::Memo_Shikake, "Memo_Shikake", "SHIKAKE", {8, 342, 458, 134}, "仕掛け"),
    memo(&TFishDataIn::Memo_Cyouka, "Memo_Cyouka", "BIKOU", {8, 500, 458, 176}, "釣果　釣行記録"),
};

constexpr std::array kTideRows{
    TFishDataIn::TideRow{&TFishDataIn::Edit_Max_T1, &TFishDataIn::Edit_Max_T1_2, &TFishDataIn::Edit_Max_H1, "MAX1",
        "MAX1_HIGHT", "満潮１の潮位"},
    TFishDataIn::TideRow{&TFishDataIn::Edit_Max_T2, &TFishDataIn::Edit_Max_T2_2, &TFishDataIn::Edit_Max_H2, "MAX2",
        "MAX2_HIGHT", "満潮２の潮位"},
    TFishDataIn::TideRow{&TFishDataIn::Edit_Min_T1, &TFishDataIn::Edit_Min_T1_2, &TFishDataIn::Edit_Min_H1, "MIN1",
        "MIN1_LOW", "干潮１の潮位"},
    TFishDataIn::TideRow{&TFishDataIn::Edit_Min_T2, &TFishDataIn::Edit_Min_T2_2, &TFishDataIn::Edit_Min_H2, "MIN2",
        "MIN2_LOW", "干潮２の潮位"},
};

const QColor kRequiredLabel(255, 0, 0);
const QColor kRequiredField(0, 255, 255);

bool isBlank(const QLineEdit* edit)
{
    return edit->text().trimmed().isEmpty();
}

void inform(const QString& text)
{
    kelpora::seams::messageBoxes().inform(text);
}

} // namespace

kit::FieldTable<TFishDataIn> TFishDataIn::fields()
{
    return kFields;
}

std::span<const TFishDataIn::TideRow> TFishDataIn::tideRows()
{
    return kTideRows;
}

TFishDataIn::TFishDataIn(QWidget* owner) : KelporaWindow(owner, {"FishDataIn", QStringLiteral("釣果記録"), {956, 683}})
{
    IBSQL_S = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_S->setObjectName(QStringLiteral("IBSQL_S"));
    IBSQL_UP = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_UP->setObjectName(QStringLiteral("IBSQL_UP"));

    buildCaptions();
    kit::build(*this, this, fields(), kit::Focus::Tab);
    Edit_No->setReadOnly(true);
    Edit_No->setFocusPolicy(Qt::ClickFocus);
    Edit_Old_Sho->setFocusPolicy(Qt::NoFocus);
    Edit_Old_Sho->hide();
    CBox_Shio->setEditable(true);
    CBox_Shio->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is stored as typed: "若" must not become "若潮".
    CBox_Shio->setCompleter(nullptr);
    CBox_Shio->setMaxVisibleItems(20);
    CBox_Shio->addItems({QString(), QStringLiteral("大潮"), QStringLiteral("中潮"), QStringLiteral("小潮"),
        QStringLiteral("長潮"), QStringLiteral("若潮")});
    kit::setInputMethod(CBox_Shio, On);

    buildPictures();
    buildButtons();
    buildTabOrder();
    connectHandlers();
}

TFishDataIn::~TFishDataIn() = default;

void TFishDataIn::buildCaptions()
{
    using kit::caption;
    const kit::Font required{0, true, kRequiredLabel};
    caption(this, QStringLiteral("Ｎｏ"), {8, 54, 26, 22});
    kit::label(this, "Label_Day", QStringLiteral("日付"), {100, 54, 30, 22}, required);
    caption(this, QStringLiteral("天候"), {238, 54, 30, 22});
    kit::label(this, "Label_Basyo", QStringLiteral("場所"), {8, 82, 30, 22}, required);
    caption(this, QStringLiteral("ポイント"), {228, 82, 52, 22});
    caption(this, QStringLiteral("潮"), {8, 110, 30, 22});
    caption(this, QStringLiteral("基準場所"), {150, 110, 54, 22});
    caption(this, QStringLiteral("旧暦"), {334, 110, 30, 22});

    const QString water[2] = {QStringLiteral("満潮"), QStringLiteral("干潮")};
    for (int block = 0; block < 2; ++block) {
        const int x = block * 236;
        caption(this, water[block], {24 + x, 144, 80, 18}, Qt::AlignCenter);
        caption(this, QStringLiteral("潮位"), {112 + x, 144, 60, 18}, Qt::AlignCenter);
        for (int row = 0; row < 2; ++row) {
            const int y = 164 + row * 26;
            caption(this, row == 0 ? QStringLiteral("１") : QStringLiteral("２"), {6 + x, y, 16, 22}, Qt::AlignCenter);
            caption(this, QStringLiteral("："), {58 + x, y, 12, 22}, Qt::AlignCenter);
        }
    }

    caption(this, QStringLiteral("最大-最小"), {262, 222, 116, 16}, Qt::AlignCenter);
    caption(this, QStringLiteral("数"), {396, 222, 70, 16}, Qt::AlignCenter);
    kit::label(this, "Label_F1", QStringLiteral("魚種１"), {8, speciesY(0), 46, 22}, required);
    caption(this, QStringLiteral("魚種２"), {8, speciesY(1), 46, 22});
    caption(this, QStringLiteral("魚種３"), {8, speciesY(2), 46, 22});
    for (int row = 0; row < 3; ++row)
        caption(this, QStringLiteral("-"), {314, speciesY(row), 12, 22}, Qt::AlignCenter);

    caption(this, QStringLiteral("仕掛け"), {8, 324, 120, 18});
    caption(this, QStringLiteral("釣果　釣行記録"), {8, 482, 200, 18});
}

void TFishDataIn::buildPictures()
{
    using Mode = ImageArea::DisplayMode;
    Panel_Shio = kit::picturePanel(
        this, QStringLiteral("潮位"), QStringLiteral("潮位は Click して入力画面を表示"), {476, 52, 341, 256});
    Panel_Shio->setObjectName(QStringLiteral("Panel_Shio"));
    Image_Shio = kit::imageArea(this, "Image_Shio", {480, 56, 333, 248}, Mode::ProportionalCentred);
    Panel_Chizu = kit::picturePanel(this, QStringLiteral("地図・仕掛図など"),
        QStringLiteral("地図は Click して入力画面を表示"), {476, 314, 341, 258});
    Panel_Chizu->setObjectName(QStringLiteral("Panel_Chizu"));
    Image_Map = kit::imageArea(this, "Image_Map", {480, 318, 334, 250}, Mode::ProportionalCentred);

    Panel_Photo = kit::panel(this, "Panel_Photo", {476, 578, 472, 102});
    kit::label(Panel_Photo, nullptr, QStringLiteral("写真などの入力"), {6, 2, 120, 16}, {0, true, {}});
    kit::caption(Panel_Photo, QStringLiteral("ダブルクリックしてJpegファイルを選択"), {130, 2, 330, 16});
    ImageArea** photos[4] = {&Image_A, &Image_B, &Image_C, &Image_D};
    const char* names[4] = {"Image_A", "Image_B", "Image_C", "Image_D"};
    const QString captions[4] = {
        QStringLiteral("写真　１"), QStringLiteral("写真　２"), QStringLiteral("写真　３"), QStringLiteral("写真　４")};
    for (int i = 0; i < 4; ++i) {
        const int x = 6 + i * 116;
        auto* frame = new QFrame(Panel_Photo);
        frame->setFrameShape(QFrame::Box);
        frame->setGeometry(x, 20, 108, 62);
        *photos[i] = kit::imageArea(Panel_Photo, names[i], {x + 2, 22, 104, 58}, Mode::Proportional);
        kit::caption(Panel_Photo, captions[i], {x, 83, 108, 16}, Qt::AlignCenter);
    }
}

void TFishDataIn::buildButtons()
{
    using kit::button;
    using kit::caption;
    constexpr kit::Focus ClickOnly = kit::Focus::Click;
    QFrame* bar = kit::panel(this, nullptr, {0, 0, 956, 44});
    kit::label(bar, nullptr, QStringLiteral("釣果記録入力"), {12, 6, 300, 32}, {19, true, {}});
    Btn_Close = button(bar, "Btn_Close", QStringLiteral("戻　る"), {850, 8, 96, 28});

    Btn_New_Yes = button(this, "Btn_New_Yes", QStringLiteral("入　力"), {828, 56, 118, 44});
    Btn_New_No = button(this, "Btn_New_No", QStringLiteral("消 去"), {828, 106, 118, 32});

    const int x = 828;
    caption(this, QStringLiteral("潮位・地図"), {x, 152, 118, 16});
    caption(this, QStringLiteral("の入力"), {x, 168, 118, 16});
    caption(this, QStringLiteral("クリップボード"), {x, 188, 118, 16});
    caption(this, QStringLiteral("から直接入力"), {x, 204, 118, 16});
    But_Cyoui = button(this, "But_Cyoui", QStringLiteral("潮位"), {x, 224, 118, 30}, ClickOnly);
    Btn_Chizu = button(this, "Btn_Chizu", QStringLiteral("地図"), {x, 260, 118, 30}, ClickOnly);

    caption(this, QStringLiteral("地図ポイント"), {x, 312, 118, 16});
    caption(this, QStringLiteral("作成・編集ソフト"), {x, 328, 118, 16});
    caption(this, QStringLiteral("の起動"), {x, 344, 118, 16});
    Btn_Apri_Chizu = button(this, "Btn_Apri_Chizu", QStringLiteral("地図ソフト"), {x, 364, 118, 30}, ClickOnly);
}

void TFishDataIn::buildTabOrder()
{
    for (const Field& f : fields())
        m_tabOrder.push_back(f.widget(*this));
    m_tabOrder.insert(m_tabOrder.end(), {Btn_New_Yes, Btn_New_No, Btn_Close});
}

void TFishDataIn::connectHandlers()
{
    using kelpora::onEvent;
    onEvent(Btn_New_Yes, &QPushButton::clicked, this, &TFishDataIn::Btn_New_YesClick);
    onEvent(Btn_New_No, &QPushButton::clicked, this, &TFishDataIn::Btn_New_NoClick);
    onEvent(Btn_Close, &QPushButton::clicked, this, &TFishDataIn::Btn_CloseClick);
    onEvent(Image_Shio, &ImageArea::doubleClicked, this, &TFishDataIn::Image_ShioDblClick);
    onEvent(But_Cyoui, &QPushButton::clicked, this, &TFishDataIn::Image_ShioDblClick);
    onEvent(Image_Map, &ImageArea::doubleClicked, this, &TFishDataIn::Image_MapDblClick);
    onEvent(Btn_Chizu, &QPushButton::clicked, this, &TFishDataIn::Image_MapDblClick);
    onEvent(Btn_Apri_Chizu, &QPushButton::clicked, this, &TFishDataIn::Btn_Apri_ChizuClick);
    for (ImageArea* photo : {Image_A, Image_B, Image_C, Image_D})
        onEvent(photo, &ImageArea::doubleClicked, this, [this, photo] { Image_Photo_DblClick(photo); });

    // Keys, focus and clicks of the fields: the filters, the Enter hops and the pickers.
    for (const Field& f : fields())
        f.widget(*this)->installEventFilter(this);
}

// --- keyboard and pickers ---

bool TFishDataIn::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = qobject_cast<QWidget*>(watched);
    if (!field || field->window() != this)
        return KelporaWindow::eventFilter(watched, event);
    bool consumed = false;
    kelpora::guarded([&] { consumed = filterFieldEvent(field, event); });
    return consumed;
}

bool TFishDataIn::filterFieldEvent(QWidget* field, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (const QString allowed = allowedCharacters(field); !allowed.isEmpty() && DigitFilter::drops(allowed, *key))
            return true;
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        // In a memo Enter is a line break; the record number is no stop on the way.
        if (!enter || qobject_cast<QPlainTextEdit*>(field) || !takesTab(field))
            return false;
        enterPressed(field);
        return true;
    }
    case QEvent::InputMethod: {
        // A committed input-method string is typing too; digits typed in Japanese mode
        // still count as digits.
        const QString allowed = field == Edit_Day ? DigitFilter::dateCharacters() : allowedCharacters(field);
        return !allowed.isEmpty() && DigitFilter::retypeCommit(field, *static_cast<QInputMethodEvent*>(event), allowed);
    }
    case QEvent::FocusIn:
        // A click opens the picker once the button is let go, so the click itself ends
        // in the field before the picker takes the mouse.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason && !pickerKindOnFocus(field).isEmpty())
            m_clickedInto = field;
        return false;
    case QEvent::MouseButtonRelease:
        if (m_clickedInto == field) {
            m_clickedInto = nullptr; // a right click into the field opens its menu, not the picker
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                OpenValuePicker(static_cast<QLineEdit*>(field), pickerKindOnFocus(field));
        }
        return false;
    case QEvent::MouseButtonDblClick: {
        const QString kind = pickerKindOnDoubleClick(field);
        if (kind.isEmpty())
            return false;
        m_clickedInto = nullptr;
        OpenValuePicker(static_cast<QLineEdit*>(field), kind);
        return true;
    }
    default:
        return false;
    }
}

QString TFishDataIn::allowedCharacters(QWidget* field) const
{
    for (const TideRow& row : tideRows()) {
        if (field == this->*row.hour || field == this->*row.minute)
            return DigitFilter::digits();
        if (field == this->*row.height)
            return DigitFilter::digitsAndPoint();
    }
    for (const Field& f : fields())
        if (f.bound == Bound::IntegerOrNull && f.widget(*this) == field)
            return DigitFilter::digits();
    return {};
}

void TFishDataIn::enterPressed(QWidget* field)
{
    if (field == Edit_Day) {
        normaliseDate();
        return;
    }
    // An empty hour needs no minute or height; an empty second or third species has no
    // sizes or count.
    int skip = 0;
    if (const auto* edit = qobject_cast<QLineEdit*>(field); edit && edit->text().isEmpty()) {
        for (const TideRow& row : tideRows())
            if (edit == this->*row.hour)
                skip = 2;
        if (edit == Edit_F2 || edit == Edit_F3)
            skip = 3;
    }
    const auto table = fields();
    size_t i = 0;
    while (i < table.size() && table[i].widget(*this) != field)
        ++i;
    for (i += 1 + size_t(skip); i < table.size(); ++i) {
        QWidget* next = table[i].widget(*this);
        if (takesTab(next)) {
            moveFocusTo(next);
            return;
        }
    }
}

void TFishDataIn::moveFocusTo(QWidget* field)
{
    field->setFocus(Qt::OtherFocusReason);
    // A tide name filled in from the date is replaced by typing, not added to.
    if (auto* list = qobject_cast<QComboBox*>(field); list && list->lineEdit())
        list->lineEdit()->selectAll();
    auto* edit = qobject_cast<QLineEdit*>(field);
    if (!edit)
        return;
    edit->selectAll();
    const QString kind = pickerKindOnFocus(field);
    if (!kind.isEmpty())
        OpenValuePicker(edit, kind);
}

// Tab and Shift+Tab follow the field table themselves: Qt's own focus chain puts the
// tide combo box's inner edit where it was created, so Shift+Tab from the date would
// land in the tide field.
bool TFishDataIn::focusNextPrevChild(bool next)
{
    const auto at = std::find(m_tabOrder.begin(), m_tabOrder.end(), focusWidget());
    if (at == m_tabOrder.end())
        return KelporaWindow::focusNextPrevChild(next);
    const size_t count = m_tabOrder.size();
    const size_t from = size_t(at - m_tabOrder.begin());
    for (size_t step = 1; step < count; ++step) {
        QWidget* to = m_tabOrder[(from + (next ? step : count - step)) % count];
        if (!takesTab(to))
            continue;
        to->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        const QString kind = pickerKindOnFocus(to);
        if (!kind.isEmpty())
            kelpora::guarded([&] { OpenValuePicker(static_cast<QLineEdit*>(to), kind); });
        return true;
    }
    return false;
}

bool TFishDataIn::takesTab(const QWidget* widget) const
{
    return widget->isVisibleTo(this) && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus);
}

QString TFishDataIn::pickerKindOnFocus(QWidget* field) const
{
    if (field == Edit_Basyo)
        return QStringLiteral("BASYO");
    if (field == Edit_Fune)
        return QStringLiteral("FUNE");
    if (field == Edit_F1)
        return QStringLiteral("SAKANA");
    return {};
}

QString TFishDataIn::pickerKindOnDoubleClick(QWidget* field) const
{
    if (field == Edit_F2 || field == Edit_F3)
        return QStringLiteral("SAKANA");
    return pickerKindOnFocus(field);
}

void TFishDataIn::OpenValuePicker(QLineEdit* edit, const QString& kind)
{
    // One picker at a time, whatever the focus does while it is open.
    if (m_picking)
        return;
    const QScopedValueRollback picking(m_picking, true);

    edit->clear();
    Sel_Kind = kind;
    kelpora::openModal(this, Data_Sel);
    edit->setText(Sel_Value);
    edit->setFocus(Qt::OtherFocusReason);
}

namespace {

// The text the almanac last put into a field; empty once the user has typed or picked.
constexpr char kComputedText[] = "kelporaComputedText";

void offerComputed(QLineEdit* edit, const QString& text, QComboBox* list)
{
    const QVariant computed = edit->property(kComputedText);
    if (!computed.isValid()) {
        const auto madeOwn = [edit] { edit->setProperty(kComputedText, QString()); };
        QObject::connect(edit, &QLineEdit::textEdited, edit, madeOwn);
        if (list)
            QObject::connect(list, &QComboBox::activated, edit, madeOwn);
    }
    const bool ours = !computed.toString().isEmpty() && edit->text() == computed.toString();
    if (!edit->text().isEmpty() && !ours)
        return;
    edit->setText(text);
    edit->setProperty(kComputedText, text);
}

// The day's tide name and lunar date go where the user has written nothing. What the
// almanac wrote itself gives way to a corrected date's; what the user typed stays.
void offerAlmanac(const QDate& date, QComboBox* tide, QLineEdit* lunarDate)
{
    if (!kelpora::almanacCovers(date))
        return;
    const kelpora::AlmanacDay day = kelpora::almanacFor(date);
    offerComputed(tide->lineEdit(), day.tideName, tide);
    offerComputed(lunarDate, kelpora::lunarDateText(day.lunar), nullptr);
}

} // namespace

void TFishDataIn::normaliseDate()
{
    const std::optional<QDate> date = kelpora::DateText::parseLenient(Edit_Day->text(), QDate::currentDate());
    if (!date) {
        inform(QStringLiteral("日付の指定が間違っています"));
        Edit_Day->setFocus(Qt::OtherFocusReason);
        return;
    }
    Edit_Day->setText(kelpora::DateText::format(*date));
    offerAlmanac(*date, CBox_Shio, Edit_Old_Day);
    moveFocusTo(Edit_Tenki);
}

// --- routines ---

void TFishDataIn::ResetForm()
{
    kit::clear(*this, fields());
    Image_Shio->clear();
    Image_Map->clear();
    // The marks point into this record's own tide chart; a record begun without one
    // must not inherit the last record's marks.
    Shio_Marks.fill(0);
    for (QLineEdit* required : {Edit_Day, Edit_Basyo, Edit_F1}) {
        QPalette palette = required->palette();
        palette.setColor(QPalette::Base, kRequiredField);
        required->setPalette(palette);
    }
    for (ImageArea* photo : {Image_A, Image_B, Image_C, Image_D})
        photo->clear();

    IBSQL_S->close();
    IBSQL_S->clearSql();
    IBSQL_S->addSql(QStringLiteral(" select max(CODENO) from FISH_DATA"));
    IBSQL_S->open();
    Edit_No->setText(QString::number(qint64(IBSQL_S->aggregateInteger()) + 1));
    Edit_Day->setText(kelpora::DateText::format(QDate::currentDate()));
    Edit_Day->setFocus(Qt::OtherFocusReason);
    // The next date typed replaces today's instead of being added to it.
    Edit_Day->selectAll();
}

// --- events ---

void TFishDataIn::FormShow()
{
    ResetForm();
}

void TFishDataIn::Btn_New_YesClick()
{
    std::array<QString, 4> times;
    if (!checkDateAndTimes(times)) {
        inform(QStringLiteral("日付・時間の入力が不正です"));
        return;
    }
    if (!checkRequiredFields())
        return;
    if (!prepareInsert(times))
        return;
    // A failed write keeps every field, picture and the number, so the entry can be
    // mended and stored again.
    if (!DM1->guardedWrite(*IBSQL_UP, QStringLiteral("入力に失敗しました")))
        return;
    inform(QStringLiteral("入力完了"));
    ResetForm();
}

bool TFishDataIn::checkDateAndTimes(std::array<QString, 4>& times)
{
    const std::optional<QDate> date = kelpora::DateText::parseStrict(Edit_Day->text());
    if (!date)
        return false;
    Edit_Day->setText(kelpora::DateText::format(*date));
    const auto rows = tideRows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString hour = (this->*rows[i].hour)->text();
        const QString minute = (this->*rows[i].minute)->text();
        if (hour.isEmpty() || minute.isEmpty())
            continue; // no time given: nothing to check
        const std::optional<QString> time = kelpora::TideValues::time(hour, minute);
        if (!time)
            return false;
        times[i] = *time;
    }
    return true;
}

bool TFishDataIn::checkRequiredFields()
{
    if (!isBlank(Edit_Day) && !isBlank(Edit_Basyo) && !isBlank(Edit_F1))
        return true;
    inform(QStringLiteral("必須事項：日付、場所、魚種１が未入力です"));
    // Each field opens its picker as it gets the focus: species first, then place.
    if (isBlank(Edit_F1))
        moveFocusTo(Edit_F1);
    if (isBlank(Edit_Basyo))
        moveFocusTo(Edit_Basyo);
    return false;
}

bool TFishDataIn::prepareInsert(const std::array<QString, 4>& times)
{
    try {
        kelpora::EntryInsert::prepare(*this, *IBSQL_UP, times);
    } catch (const kelpora::ConversionError& e) {
        inform(QStringLiteral("SQL不正\n") + e.text());
        return false;
    }
    // A text too long for its column would only make the server refuse the record;
    // say which field and by how much, and keep the entry as it is.
    const QStringList tooLong = kit::overflows(*this, fields(), kit::ReadBack());
    if (!tooLong.isEmpty()) {
        inform(QStringLiteral("入力に失敗しました\n") + tooLong.join(u'\n'));
        return false;
    }
    return true;
}

void TFishDataIn::Btn_New_NoClick()
{
    ResetForm();
}

void TFishDataIn::Btn_CloseClick()
{
    closeWindow();
}

void TFishDataIn::Image_ShioDblClick()
{
    Mode_Flg = kNewFlg;
    ShioZu_Flag = 1;
    kelpora::openModal(this, New_Shio_InF);
}

void TFishDataIn::Image_MapDblClick()
{
    Mode_Flg = kNewFlg;
    kelpora::openModal(this, Fish_Chizu_InF);
}

void TFishDataIn::Image_Photo_DblClick(ImageArea* photo)
{
    const QString path = kelpora::seams::fileDialog().openPicture(PictureStore::photoFileFilters());
    if (path.isEmpty())
        return;
    try {
        photo->setPicture(PictureStore::loadFromFile(path));
    } catch (const kelpora::PictureError&) {
        inform(QStringLiteral("JPEGフォーマットの写真を指定してくださいを"));
    }
}

void TFishDataIn::Btn_Apri_ChizuClick()
{
    const QString failed = QStringLiteral("地図ソフト（Chizu.exe）を起動できませんでした");
    kelpora::seams::ExternalProgram& program = kelpora::seams::externalProgram();
    const QString path = program.locate(QStringLiteral("Chizu.exe"));
    if (path.isEmpty()) {
        inform(failed);
        return;
    }
    bool ran = false;
    {
        // Disabled while the program runs, so nothing is typed into a half-finished
        // entry meanwhile; enabled again on every path.
        const auto enable = qScopeGuard([this] { setEnabled(true); });
        setEnabled(false);
        // The clipboard is emptied only once the program really runs: a program that
        // cannot start must not cost the user what they had copied.
        ran = program.runAndWait(path, [] { kelpora::seams::clipboard().clear(); });
    }
    if (!ran) {
        inform(failed);
        return;
    }
    if (std::optional<kelpora::Picture> map = PictureStore::pasteBitmap())
        Image_Map->setPicture(*map);
}
