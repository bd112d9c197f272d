#include "browser/Fishdata_F.h"

#include "app/Controls.h"
#include "app/ErrorHandler.h"
#include "analysis/Bunseki_F.h"
#include "app/ModalRunner.h"
#include "browser/WorkSheet_F2.h"
#include "core/Almanac.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/ResultSetModel.h"
#include "core/Seams.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "pictures/Fish_Chizu_In_F.h"
#include "pictures/ImageArea.h"
#include "pictures/Map_F.h"
#include "pictures/Photo_Big_F.h"
#include "pictures/PictureCache.h"
#include "pictures/PicturePrefetch.h"
#include "pictures/PictureStore.h"
#include "pictures/RecordPictures.h"
#include "tide/New_Shio_In_F.h"
#include "tide/Shio_New_F.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

#include <algorithm>
#include <array>

TFishdataF* FishdataF = nullptr;

using kelpora::ImageArea;
using kelpora::PictureStore;
using kelpora::ReadRule;
namespace kit = kelpora::kit;

namespace {

using Field = kit::Field<TFishdataF>;
using kit::Bound;
using kit::InputMethod;
using kit::Shown;
using E = QLineEdit* TFishdataF::*;

constexpr int X0 = 8;

constexpr Field text(
    E member, const char* name, const char* column, QRect rect, InputMethod input, Bound bound, const char* label)
{
    return Field{member, nullptr, nullptr, name, column, rect, input, Shown::Text, bound, label};
}

constexpr Field number(E member, const char* name, const char* column, QRect rect, const char* label)
{
    return Field{
        member, nullptr, nullptr, name, column, rect, InputMethod::Off, Shown::Integer, Bound::IntegerOrNull, label};
}

constexpr Field memo(
    QPlainTextEdit* TFishdataF::*member, const char* name, const char* column, QRect rect, const char* label)
{
    return Field{nullptr, member, nullptr, name, column, rect, InputMethod::On, Shown::Memo, Bound::MemoOrNull, label};
}

constexpr Bound T = Bound::Text;
constexpr Bound TN = Bound::TextOrNull;
constexpr InputMethod On = InputMethod::On;
constexpr InputMethod Off = InputMethod::Off;

// In the order of the correction's parameters; Edit_No is the record the statement names.
constexpr std::array kFields{
    Field{&TFishdataF::Edit_No, nullptr, nullptr, "Edit_No", "CODENO", {X0 + 26, 52, 50, 22}, Off, Shown::AlwaysInteger,
        Bound::Integer, "Ｎｏ"},
    text(&TFishdataF::Edit_Day, "Edit_Day", "DAY_DATA", {X0 + 106, 52, 78, 22}, Off, T, "日付"),
    text(&TFishdataF::Edit_Tenki, "Edit_Tenki", "TENNKI", {X0 + 214, 52, 68, 22}, On, T, "天候"),
    text(&TFishdataF::Edit_Fune, "Edit_Fune", "FUNE", {X0 + 194, 80, 88, 22}, On, T, "ポイント"),
    text(&TFishdataF::Edit_Place, "Edit_Place", "BASYO", {X0 + 30, 80, 110, 22}, On, T, "場所"),
    text(&TFishdataF::Edit_Shio, "Edit_Shio", "SHIO", {X0 + 30, 108, 70, 22}, On, T, "潮"),
    text(&TFishdataF::Edit_Shio_Kijyun, "Edit_Shio_Kijyun", "KIJYUNN", {X0 + 164, 108, 118, 22}, On, T, "基準場所"),
    text(&TFishdataF::Edit_Old_Day, "Edit_Old_Day", "KYUUREKI", {X0 + 30, 136, 90, 22}, On, T, "旧暦"),
    text(&TFishdataF::Edit_Old_Sho, "Edit_Old_Sho", "OLD_SHIO", {X0 + 130, 136, 60, 22}, Off, T, "OLD_SHIO"),
    text(&TFishdataF::Edit_Max_T1, "Edit_Max_T1", "MAX1", {X0 + 30, 200, 60, 22}, Off, TN, "満潮１の時刻"),
    text(&TFishdataF::Edit_Max_T2, "Edit_Max_T2", "MAX2", {X0 + 30, 226, 60, 22}, Off, TN, "満潮２の時刻"),
    number(&TFishdataF::Edit_Max_H1, "Edit_Max_H1", "MAX1_HIGHT", {X0 + 94, 200, 60, 22}, "満潮１の潮位"),
    number(&TFishdataF::Edit_Max_H2, "Edit_Max_H2", "MAX2_HIGHT", {X0 + 94, 226, 60, 22}, "満潮２の潮位"),
    text(&TFishdataF::Edit_Min_T1, "Edit_Min_T1", "MIN1", {X0 + 158, 200, 60, 22}, Off, TN, "干潮１の時刻"),
    text(&TFishdataF::Edit_Min_T2, "Edit_Min_T2", "MIN2", {X0 + 158, 226, 60, 22}, Off, TN, "干潮２の時刻"),
    number(&TFishdataF::Edit_Min_H1, "Edit_Min_H1", "MIN1_LOW", {X0 + 222, 200, 60, 22}, "干潮１の潮位"),
    number(&TFishdataF::Edit_Min_H2, "Edit_Min_H2", "MIN2_LOW", {X0 + 222, 226, 60, 22}, "干潮２の潮位"),
    text(&TFishdataF::Edit_F1, "Edit_F1", "FISH1", {X0 + 42, 274, 104, 22}, On, T, "魚種１"),
    number(&TFishdataF::Edit_F1_Max, "Edit_F1_Max", "FISH1_MAX", {X0 + 150, 274, 38, 22}, "魚種１の最大"),
    number(&TFishdataF::Edit_F1_Min, "Edit_F1_Min", "FISH1_MIN", {X0 + 196, 274, 38, 22}, "魚種１の最小"),
    number(&TFishdataF::Edit_F1_kazu, "Edit_F1_kazu", "FISH1_KAZU", {X0 + 238, 274, 44, 22}, "魚種１の数"),
    text(&TFishdataF::Edit_F2, "Edit_F2", "FISH2", {X0 + 42, 300, 104, 22}, On, TN, "魚種２"),
    number(&TFishdataF::Edit_F2_Max, "Edit_F2_Max", "FISH2_MAX", {X0 + 150, 300, 38, 22}, "魚種２の最大"),
    number(&TFishdataF::Edit_F2_Min, "Edit_F2_Min", "FISH2_MIN", {X0 + 196, 300, 38, 22}, "魚種２の最小"),
    number(&TFishdataF::Edit_F2_kazu, "Edit_F2_kazu", "FISH2_KAZU", {X0 + 238, 300, 44, 22}, "魚種２の数"),
    text(&TFishdataF::Edit_F3, "Edit_F3", "FISH3", {X0 + 42, 326, 104, 22}, On, TN, "魚種３"),
    number(&TFishdataF::Edit_F3_Max, "Edit_F3_Max", "FISH3_MAX", {X0 + 150, 326, 38, 22}, "魚種３の最大"),
    number(&TFishdataF::Edit_F3_Min, "Edit_F3_Min", "FISH3_MIN", {X0 + 196, 326, 38, 22}, "魚種３の最小"),
    number(&TFishdataF::Edit_F3_kazu, "Edit_F3_kazu", "FISH3_KAZU", {X0 + 238, 326, 44, 22}, "魚種３の数"),
    memo(&TFishdataF::Memo_Shikake, "Memo_Shikake", "SHIKAKE", {X0, 372, 282, 120}, "仕掛け"),
    memo(&TFishdataF::Memo_Cyouka, "Memo_Cyouka", "BIKOU", {X0, 516, 282, 146}, "釣果　釣行記録"),
};

// The picture areas and their columns, in the order the display routine reads them.
struct PictureSlot {
    ImageArea* TFishdataF::*area;
    const char* column;
    ReadRule rule;
    const char* label; // what a failure calls the picture (UTF-8)
};
constexpr std::array kPictureSlots{
    PictureSlot{&TFishdataF::Image_Shio, "SHIO_ZU", ReadRule::BitmapFirst, "潮汐図"},
    PictureSlot{&TFishdataF::Image_Map, "CHIZU", ReadRule::BitmapFirst, "地図"},
    PictureSlot{&TFishdataF::Image_A, "PHOTO1", ReadRule::JpegOnly, "写真1"},
    PictureSlot{&TFishdataF::Image_B, "PHOTO2", ReadRule::JpegOnly, "写真2"},
    PictureSlot{&TFishdataF::Image_C, "PHOTO3", ReadRule::JpegOnly, "写真3"},
    PictureSlot{&TFishdataF::Image_D, "PHOTO4", ReadRule::JpegOnly, "写真4"},
};

} // namespace

kit::FieldTable<TFishdataF> TFishdataF::fields()
{
    return kFields;
}

QStringList TFishdataF::updateLines()
{
    return {
        QStringLiteral(" update FISH_DATA set                                     "),
        QStringLiteral(" DAY_DATA  = :parDAY_DATA  , TENNKI     = :parTENNKI     ,"),
        QStringLiteral(" FUNE      = :parFUNE      , BASYO      = :parBASYO      ,"),
        QStringLiteral(" SHIO      = :parSHIO      , KIJYUNN    = :parKIJYUNN    ,"),
        QStringLiteral(" KYUUREKI  = :parKYUUREKI  , OLD_SHIO   = :parOLD_SHIO   ,"),
        QStringLiteral(" MAX1      = :parMAX1      , MAX2       = :parMAX2       ,"),
        QStringLiteral(" MAX1_HIGHT= :parMAX1_HIGHT, MAX2_HIGHT = :parMAX2_HIGHT ,"),
        QStringLiteral(" MIN1      = :parMIN1      , MIN2       = :parMIN2       ,"),
        QStringLiteral(" MIN1_LOW  = :parMIN1_LOW  , MIN2_LOW   = :parMIN2_LOW   ,"),
        QStringLiteral(" FISH1     = :parFISH1     , FISH1_MAX  = :parFISH1_MAX  ,"),
        QStringLiteral(" FISH1_MIN = :parFISH1_MIN , FISH1_KAZU = :parFISH1_KAZU ,"),
        QStringLiteral(" FISH2     = :parFISH2     , FISH2_MAX  = :parFISH2_MAX  ,"),
        QStringLiteral(" FISH2_MIN = :parFISH2_MIN , FISH2_KAZU = :parFISH2_KAZU ,"),
        QStringLiteral(" FISH3     = :parFISH3     , FISH3_MAX  = :parFISH3_MAX  ,"),
        QStringLiteral(" FISH3_MIN = :parFISH3_MIN , FISH3_KAZU = :parFISH3_KAZU ,"),
        QStringLiteral(" SHIKAKE   = :parSHIKAKE   , BIKOU      = :parBIKOU       "),
        QStringLiteral(" where CODENO = :parCODENO                                "),
    };
}

TFishdataF::TFishdataF(QWidget* owner) : KelporaWindow(owner, {"FishdataF", QStringLiteral("釣果記録"), {947, 670}})
{
    IBSQL_2 = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_2->setObjectName(QStringLiteral("IBSQL_2"));
    IBSQL_UP = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_UP->setObjectName(QStringLiteral("IBSQL_UP"));
    m_dataSource = std::make_unique<kelpora::DataSource>(*IBSQL_2);
    DS_OUT = m_dataSource.get();

    buildPictures();
    buildPictureShow();
    buildCaptions();
    // The fields are clicked into, never tabbed through.
    kit::build(*this, this, fields(), kit::Focus::Click);
    Edit_No->setReadOnly(true);
    Edit_Old_Sho->hide();
    buildButtons();
    connectHandlers();
}

TFishdataF::~TFishdataF() = default;

void TFishdataF::buildCaptions()
{
    using kit::caption;
    caption(this, QStringLiteral("Ｎｏ"), {X0, 52, 24, 22});
    caption(this, QStringLiteral("日付"), {X0 + 80, 52, 28, 22});
    caption(this, QStringLiteral("天候"), {X0 + 188, 52, 28, 22});
    caption(this, QStringLiteral("場所"), {X0, 80, 28, 22});
    caption(this, QStringLiteral("ポイント"), {X0 + 146, 80, 48, 22});
    caption(this, QStringLiteral("潮"), {X0, 108, 28, 22});
    caption(this, QStringLiteral("基準場所"), {X0 + 110, 108, 52, 22});
    caption(this, QStringLiteral("旧暦"), {X0, 136, 28, 22});

    // High and low water: time and height of the first and second of each.
    caption(this, QStringLiteral("満潮"), {X0 + 30, 164, 124, 18}, Qt::AlignCenter);
    caption(this, QStringLiteral("干潮"), {X0 + 158, 164, 124, 18}, Qt::AlignCenter);
    caption(this, QStringLiteral("潮位"), {X0 + 92, 182, 62, 16}, Qt::AlignCenter);
    caption(this, QStringLiteral("潮位"), {X0 + 220, 182, 62, 16}, Qt::AlignCenter);
    caption(this, QStringLiteral("１"), {X0, 200, 26, 22}, Qt::AlignCenter);
    caption(this, QStringLiteral("２"), {X0, 226, 26, 22}, Qt::AlignCenter);

    // Three species, each with its largest and smallest size and its count.
    caption(this, QStringLiteral("最大-最小"), {X0 + 150, 256, 84, 16}, Qt::AlignCenter);
    caption(this, QStringLiteral("数"), {X0 + 238, 256, 44, 16}, Qt::AlignCenter);
    const QString species[3] = {QStringLiteral("魚種１"), QStringLiteral("魚種２"), QStringLiteral("魚種３")};
    for (int i = 0; i < 3; ++i) {
        const int y = 274 + i * 26;
        caption(this, species[i], {X0, y, 40, 22});
        caption(this, QStringLiteral("-"), {X0 + 188, y, 8, 22}, Qt::AlignCenter);
    }

    caption(this, QStringLiteral("仕掛け"), {X0, 354, 120, 18});
    caption(this, QStringLiteral("釣果　釣行記録"), {X0, 498, 160, 18});
}

void TFishdataF::buildPictures()
{
    using Mode = ImageArea::DisplayMode;
    kit::picturePanel(
        this, QStringLiteral("潮位"), QStringLiteral("潮位は Click して拡大表示が可能"), {298, 48, 341, 256});
    Image_Shio = kit::imageArea(this, "Image_Shio", {302, 52, 333, 248}, Mode::ProportionalCentred);
    kit::picturePanel(this, QStringLiteral("地図・仕掛図など"), QStringLiteral("地図は Click して拡大表示が可能"),
        {298, 310, 341, 258});
    Image_Map = kit::imageArea(this, "Image_Map", {302, 314, 334, 250}, Mode::ProportionalCentred);

    kit::caption(this, QStringLiteral("写真をダブルクリックして拡大表示"), {298, 572, 400, 16});
    ImageArea** photos[4] = {&Image_A, &Image_B, &Image_C, &Image_D};
    const char* names[4] = {"Image_A", "Image_B", "Image_C", "Image_D"};
    for (int i = 0; i < 4; ++i) {
        auto* frame = new QFrame(this);
        frame->setFrameShape(QFrame::Box);
        frame->setGeometry(298 + i * 103, 585, 101, 85);
        *photos[i] = kit::imageArea(this, names[i], {300 + i * 103, 587, 97, 81}, Mode::Proportional);
    }
}

// Pictures reach the screen without holding up the fields: each area gets its picture at
// once and its pixels from the cache or the thread pool; meanwhile the neighbours are read
// ahead, so a step onto one of them shows its pictures with no decode at all.
void TFishdataF::buildPictureShow()
{
    m_pictureCache = std::make_shared<kelpora::PictureCache>();
    m_pictures = new kelpora::RecordPictures(this);
    m_ahead = new kelpora::PicturePrefetch(*IBSQL_2, m_pictureCache, this);
    for (const PictureSlot& slot : kPictureSlots) {
        m_pictures->watch(this->*slot.area, QString::fromUtf8(slot.label));
        m_ahead->addSlot(this->*slot.area, QLatin1String(slot.column), slot.rule);
    }
    kelpora::onEvent(m_pictures, &kelpora::RecordPictures::allShown, this, &TFishdataF::readAhead);
}

bool TFishdataF::picturesPending() const
{
    return !m_pictures->isSettled();
}

bool TFishdataF::readingAhead() const
{
    return m_ahead->busy();
}

std::shared_ptr<kelpora::PictureCache> TFishdataF::pictureCache() const
{
    return m_pictureCache;
}

void TFishdataF::buildButtons()
{
    using kit::button;
    constexpr kit::Focus NoFocus = kit::Focus::None;
    QFrame* bar = kit::panel(this, nullptr, {0, 0, 947, 44});
    kit::label(bar, nullptr, QStringLiteral("釣果記録表示"), {12, 6, 200, 32}, {19, true, {}});

    Btn_First = button(this, "Btn_First", QStringLiteral("First"), {300, 8, 80, 28}, NoFocus);
    Btn_D_10 = button(this, "Btn_D_10", QStringLiteral("－　１０"), {384, 8, 80, 28}, NoFocus);
    Btn_Prior = button(this, "Btn_Prior", QStringLiteral("－　１"), {468, 8, 80, 28}, NoFocus);
    Btn_Next = button(this, "Btn_Next", QStringLiteral("＋　１"), {552, 8, 80, 28}, NoFocus);
    Btn_U_10 = button(this, "Btn_U_10", QStringLiteral("＋　１０"), {636, 8, 80, 28}, NoFocus);
    Btn_Last = button(this, "Btn_Last", QStringLiteral("Last"), {720, 8, 80, 28}, NoFocus);
    Btn_Return = button(this, "Btn_Return", QStringLiteral("戻　る"), {850, 8, 86, 28});
    m_navigation = {Btn_First, Btn_Prior, Btn_Next, Btn_Last, Btn_D_10, Btn_U_10};

    QGroupBox* show = kit::group(this, nullptr, QStringLiteral("表示"), {652, 52, 286, 70});
    Btn_All_Show = button(show, "Btn_All_Show", QStringLiteral("全件表示"), {12, 26, 124, 32}, NoFocus);
    Btn_worksheet = button(show, "Btn_worksheet", QStringLiteral("ワークシート"), {148, 26, 124, 32}, NoFocus);

    QGroupBox* search = kit::group(this, nullptr, QStringLiteral("検索"), {652, 132, 286, 104});
    Label_kensaku = kit::label(search, "Label_kensaku", QStringLiteral("検索"), {12, 20, 260, 18});
    Btn_All_2 = button(search, "Btn_All_2", QStringLiteral("全件表示"), {12, 40, 124, 28}, NoFocus);
    CBox_Kensaku = kit::comboBox(search, "CBox_Kensaku", {12, 72, 124, 26}, NoFocus);
    CBox_Kensaku->addItems({QStringLiteral("全体"), QStringLiteral("魚種"), QStringLiteral("場所"),
        QStringLiteral("ﾎﾟｲﾝﾄ"), QStringLiteral("月")});

    QGroupBox* edit = kit::group(this, nullptr, QStringLiteral("編集・入力"), {652, 246, 286, 112});
    But_Cyoui = button(edit, "But_Cyoui", QStringLiteral("潮位"), {12, 26, 124, 32}, NoFocus);
    Btn_Chizu = button(edit, "Btn_Chizu", QStringLiteral("地図"), {148, 26, 124, 32}, NoFocus);
    Btn_Photo = button(edit, "Btn_Photo", QStringLiteral("写真入力"), {12, 68, 124, 32}, NoFocus);

    QGroupBox* correct = kit::group(this, nullptr, QStringLiteral("内容訂正"), {652, 368, 286, 70});
    Btn_Teisei = button(correct, "Btn_Teisei", QStringLiteral("訂　正"), {12, 26, 124, 32}, NoFocus);
    Btn_No = button(correct, "Btn_No", QStringLiteral("キャンセル"), {148, 26, 124, 32}, NoFocus);

    Btn_Bunseki = button(this, "Btn_Bunseki", QStringLiteral("分析"), {664, 450, 124, 32}, NoFocus);
    // An analysis opened while correcting could move away from the typing.
    m_navigation.push_back(Btn_Bunseki);
}

void TFishdataF::connectHandlers()
{
    using kelpora::onEvent;
    onEvent(Btn_First, &QPushButton::clicked, this, &TFishdataF::Btn_FirstClick);
    onEvent(Btn_Prior, &QPushButton::clicked, this, &TFishdataF::Btn_PriorClick);
    onEvent(Btn_Next, &QPushButton::clicked, this, &TFishdataF::Btn_NextClick);
    onEvent(Btn_Last, &QPushButton::clicked, this, &TFishdataF::Btn_LastClick);
    onEvent(Btn_D_10, &QPushButton::clicked, this, &TFishdataF::Btn_D_10Click);
    onEvent(Btn_U_10, &QPushButton::clicked, this, &TFishdataF::Btn_U_10Click);
    onEvent(Btn_All_Show, &QPushButton::clicked, this, &TFishdataF::Btn_All_ShowClick);
    onEvent(Btn_worksheet, &QPushButton::clicked, this, &TFishdataF::Btn_worksheetClick);
    onEvent(But_Cyoui, &QPushButton::clicked, this, &TFishdataF::But_CyouiClick);
    onEvent(Btn_Chizu, &QPushButton::clicked, this, &TFishdataF::Btn_ChizuClick);
    onEvent(Btn_Photo, &QPushButton::clicked, this, &TFishdataF::Btn_PhotoClick);
    onEvent(Btn_Return, &QPushButton::clicked, this, &TFishdataF::Btn_ReturnClick);
    onEvent(Btn_Teisei, &QPushButton::clicked, this, &TFishdataF::Btn_TeiseiClick);
    onEvent(Btn_No, &QPushButton::clicked, this, &TFishdataF::Btn_NoClick);
    // Only the user's choice starts a search: activated never fires for setCurrentIndex().
    onEvent(CBox_Kensaku, &QComboBox::activated, this, &TFishdataF::CBox_KensakuChange);
    onEvent(Btn_All_2, &QPushButton::clicked, this, &TFishdataF::Btn_All_2Click);
    onEvent(Btn_Bunseki, &QPushButton::clicked, this, &TFishdataF::Btn_BunsekiClick);
    for (ImageArea* photo : {Image_A, Image_B, Image_C, Image_D})
        onEvent(photo, &ImageArea::doubleClicked, this, &TFishdataF::Image_PhotoDblClick);
    onEvent(Image_Shio, &ImageArea::doubleClicked, this, &TFishdataF::Image_ShioDblClick);
    onEvent(Image_Map, &ImageArea::doubleClicked, this, &TFishdataF::Image_MapDblClick);

    // Only the user's typing starts a correction: textEdited never fires for setText(),
    // and the program fills the memos with their signals blocked.
    for (const Field& f : fields()) {
        if (f.edit && f.edit != &TFishdataF::Edit_No)
            onEvent(this->*f.edit, &QLineEdit::textEdited, this, &TFishdataF::fieldEdited);
        else if (f.memo)
            onEvent(this->*f.memo, &QPlainTextEdit::textChanged, this, &TFishdataF::fieldEdited);
    }
}

bool TFishdataF::correcting() const
{
    return m_correcting;
}

void TFishdataF::setCorrecting(bool on)
{
    m_correcting = on;
    Btn_Teisei->setEnabled(on);
    Btn_No->setEnabled(on);
    for (QPushButton* b : m_navigation)
        b->setEnabled(!on);
}

void TFishdataF::fieldEdited()
{
    setCorrecting(true);
}

bool TFishdataF::hasRecord() const
{
    return IBSQL_2->isOpen() && !IBSQL_2->isEmpty();
}

// --- routines ---

void TFishdataF::ClearRoutine()
{
    kit::clear(*this, fields());
    m_readBack.clear();
    Image_Shio->setVisible(true);
    Image_Map->setVisible(true);
    Image_Shio->clear();
    Image_Map->clear();
    setCorrecting(false);
    Btn_All_Show->setEnabled(true);
}

void TFishdataF::LoadAllRecords()
{
    IBSQL_2->close();
    IBSQL_2->clearSql();
    IBSQL_2->addSql(QStringLiteral("select *  from FISH_DATA  order by CODENO  "));
    IBSQL_2->open();
    IBSQL_2->last();
    m_searchedSpecies.clear();
}

void TFishdataF::DisplayRoutine()
{
    ClearRoutine();
    m_ahead->stop();
    const kelpora::RecordPictures::Handout handout(*m_pictures, m_pictureCache);
    m_shownRow = -1;
    // The photos go with the last record's fields, before anything is painted, so the
    // screen never shows this record's text beside the last one's pictures.
    for (ImageArea* photo : {Image_A, Image_B, Image_C, Image_D})
        photo->clear();
    // A book that could not be read shows as an empty one: record number 0, no fields.
    if (!hasRecord()) {
        Edit_No->setText(QStringLiteral("0"));
        ShioZu_Flag = 0;
        Chizu_Flag = 0;
        return;
    }
    kit::display(*this, fields(), *IBSQL_2, m_readBack);
    m_shownRow = IBSQL_2->currentRow();
    showFieldsNow();
    showPictures();
}

// Every area holds its picture, the stored bytes, when this returns, so the editors that
// copy the tide chart and the map have them at once; the pixels follow from the thread
// pool. One damaged picture is left empty and told, once all are drawn, in one message
// for the record; the others still show.
void TFishdataF::showPictures()
{
    const kelpora::SqlQuery& q = *IBSQL_2;
    // Both flags describe the record before any of its pictures is read, let alone decoded.
    ShioZu_Flag = q.isNull(QStringLiteral("SHIO_ZU")) ? 0 : 1;
    Chizu_Flag = q.isNull(QStringLiteral("CHIZU")) ? 0 : 1;
    for (const PictureSlot& slot : kPictureSlots)
        m_pictures->show(this->*slot.area, q, QLatin1String(slot.column), slot.rule);
}

// A camera's photos take a few milliseconds to read from the database, even when they
// were drawn ahead; the user reads the record's text meanwhile. The picture areas, empty
// by now, are painted with the fields.
void TFishdataF::showFieldsNow()
{
    const QWindow* window = windowHandle();
    if (!window || !window->isExposed())
        return;
    const auto stored = [this](const PictureSlot& slot) { return !IBSQL_2->isNull(QLatin1String(slot.column)); };
    if (std::none_of(kPictureSlots.begin(), kPictureSlots.end(), stored))
        return;
    QRegion area;
    for (const Field& f : fields())
        area += f.widget(*this)->geometry();
    for (const PictureSlot& slot : kPictureSlots)
        area += (this->*slot.area)->geometry();
    repaint(area);
}

// The user is looking at the record; the neighbours are read while they do.
void TFishdataF::readAhead()
{
    if (m_shownRow >= 0 && hasRecord())
        m_ahead->start(m_shownRow, m_direction);
}

void TFishdataF::reopenAt(const QString& key)
{
    IBSQL_2->close();
    IBSQL_2->open();
    IBSQL_2->gotoPositionKey(key);
}

// --- events ---

void TFishdataF::FormShow()
{
    ClearRoutine();
    try {
        LoadAllRecords();
    } catch (...) {
        DisplayRoutine(); // an unreadable book looks like an empty one
        throw;
    }
    DisplayRoutine();
}

void TFishdataF::Btn_FirstClick()
{
    m_direction = 1;
    IBSQL_2->first();
    DisplayRoutine();
}

void TFishdataF::Btn_PriorClick()
{
    m_direction = -1;
    IBSQL_2->prior();
    DisplayRoutine();
}

void TFishdataF::Btn_NextClick()
{
    m_direction = 1;
    IBSQL_2->next();
    DisplayRoutine();
}

void TFishdataF::Btn_LastClick()
{
    m_direction = -1;
    IBSQL_2->last();
    DisplayRoutine();
}

void TFishdataF::Btn_D_10Click()
{
    m_direction = -1;
    IBSQL_2->moveBy(-10);
    DisplayRoutine();
}

void TFishdataF::Btn_U_10Click()
{
    m_direction = 1;
    IBSQL_2->moveBy(10);
    DisplayRoutine();
}

void TFishdataF::Btn_All_ShowClick()
{
    ClearRoutine();
    LoadAllRecords();
    DisplayRoutine();
}

void TFishdataF::Btn_worksheetClick()
{
    kelpora::openModal(this, WorkSheetF2);
    IBSQL_2->gotoPositionKey(WorkSheet_Mark);
    DisplayRoutine();
}

void TFishdataF::But_CyouiClick()
{
    Mode_Flg = kOldFlg;
    const QString key = IBSQL_2->positionKey();
    kelpora::openModal(this, New_Shio_InF);
    // The same statement again, so a search result stays what is shown.
    reopenAt(key);
    DisplayRoutine();
}

void TFishdataF::Btn_ChizuClick()
{
    Mode_Flg = kOldFlg;
    const QString key = IBSQL_2->positionKey();
    kelpora::openModal(this, Fish_Chizu_InF);
    reopenAt(key);
    DisplayRoutine();
}

// Back from the viewer the same statement runs again, so a search stays in force and
// the saved key is the same record; reloading every record would put the key on
// whatever record has that ordinal in the full list.
void TFishdataF::Btn_PhotoClick()
{
    Photo_Mark = IBSQL_2->positionKey();
    kelpora::openModal(this, Photo_BigF);
    reopenAt(Photo_Mark);
    DisplayRoutine();
}

void TFishdataF::Image_PhotoDblClick()
{
    Photo_Mark = IBSQL_2->positionKey();
    if (!hasRecord())
        return;
    for (int slot = 1; slot <= 4; ++slot) {
        if (!IBSQL_2->isNull(QStringLiteral("PHOTO%1").arg(slot))) {
            Btn_PhotoClick();
            return;
        }
    }
}

void TFishdataF::Image_ShioDblClick()
{
    if (!hasRecord() || IBSQL_2->isNull(QStringLiteral("SHIO_ZU")))
        return;
    kelpora::openModal(this, Shio_NewF);
}

void TFishdataF::Image_MapDblClick()
{
    if (!hasRecord() || IBSQL_2->isNull(QStringLiteral("CHIZU")))
        return;
    kelpora::openModal(this, MapF);
}

// The analysis counts the rows already held; the browser shows another record only
// when one was chosen there.
void TFishdataF::Btn_BunsekiClick()
{
    const int shown = IBSQL_2->currentRow();
    kelpora::openModal(this, BunsekiF, *IBSQL_2, kelpora::TallyOptions{kelpora::almanacTideName, m_searchedSpecies});
    if (IBSQL_2->currentRow() != shown)
        DisplayRoutine();
}

void TFishdataF::Btn_ReturnClick()
{
    closeWindow();
}

void TFishdataF::Btn_TeiseiClick()
{
    const QString key = IBSQL_2->positionKey();
    // A failed update keeps the correcting state and the typing, so nothing is lost
    // and the user can shorten the field and try again.
    if (!runUpdate())
        return;
    reopenAt(key);
    DisplayRoutine();
    setCorrecting(false);
}

void TFishdataF::Btn_NoClick()
{
    const QString key = IBSQL_2->positionKey();
    reopenAt(key);
    DisplayRoutine();
    setCorrecting(false);
}

bool TFishdataF::runUpdate()
{
    const QString failed = QStringLiteral("更新に失敗しました");
    kelpora::SqlQuery& q = *IBSQL_UP;
    q.close();
    q.clearSql();
    for (const QString& line : updateLines())
        q.addSql(line);

    // A text too long for its column would only make the server refuse the whole
    // update; say which field and by how much, and leave the typing as it is.
    const QStringList tooLong = kit::overflows(*this, fields(), m_readBack);
    if (!tooLong.isEmpty()) {
        kelpora::seams::messageBoxes().inform(failed + u'\n' + tooLong.join(u'\n'));
        return false;
    }
    kit::bind(*this, fields(), q, m_readBack);
    return DM1->guardedWrite(q, failed);
}
