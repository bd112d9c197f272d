#include "Fishdata_F.h"

#include "WorkSheet_F2.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "app/ErrorHandler.h"
#include "app/ModalRunner.h"
#include "core/ResultSetModel.h"
#include "core/Seams.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "pictures/ImageArea.h"
#include "pictures/PictureStore.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

TFishdataF* FishdataF = nullptr;

using kelpora::ImageArea;
using kelpora::PictureStore;
using kelpora::ReadRule;

namespace {

enum class Input { Text, Number };

QLabel* caption(
    QWidget* parent, const QString& text, QRect geometry, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(align);
    return label;
}

QLineEdit* field(QWidget* parent, const char* name, QRect geometry, Input input)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    // Fields are clicked into, never tabbed through.
    edit->setFocusPolicy(Qt::ClickFocus);
    // Names and places want the Japanese input method; dates, times and numbers do not.
    edit->setAttribute(Qt::WA_InputMethodEnabled, input == Input::Text);
    if (input == Input::Number)
        edit->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhLatinOnly);
    return edit;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, QRect geometry, bool takesFocus = false)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    if (!takesFocus)
        b->setFocusPolicy(Qt::NoFocus);
    return b;
}

ImageArea* imageArea(QWidget* parent, const char* name, QRect geometry, ImageArea::DisplayMode mode)
{
    auto* area = new ImageArea(parent);
    area->setObjectName(QLatin1String(name));
    area->setGeometry(geometry);
    area->setDisplayMode(mode);
    return area;
}

// A framed panel whose caption and hint stay visible while its picture area is empty.
QFrame* picturePanel(QWidget* parent, const QString& title, const QString& hint, QRect geometry)
{
    auto* panel = new QFrame(parent);
    panel->setGeometry(geometry);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    caption(panel, title, {0, geometry.height() / 2 - 20, geometry.width(), 20}, Qt::AlignCenter);
    auto* h = caption(panel, hint, {0, geometry.height() / 2 + 4, geometry.width(), 18}, Qt::AlignCenter);
    h->setStyleSheet(QStringLiteral("color: #606060;"));
    return panel;
}

QString memoFromStored(const QString& stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString memoToStored(const QString& shown)
{
    QString text = shown;
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

// A decimal integer with an optional sign, as the correction accepts it.
qint32 toInteger(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    bool ok = false;
    const qint32 value = pattern.match(text).hasMatch() ? text.trimmed().toInt(&ok) : 0;
    if (!ok)
        throw kelpora::ConversionError(QStringLiteral("'%1' は正しい整数値ではありません").arg(text));
    return value;
}

} // namespace

TFishdataF::TFishdataF(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("FishdataF"));
    setWindowTitle(QStringLiteral("釣果記録"));
    // Closed with its return button only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(947, 670);

    IBSQL_2 = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_2->setObjectName(QStringLiteral("IBSQL_2"));
    IBSQL_UP = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_UP->setObjectName(QStringLiteral("IBSQL_UP"));
    m_dataSource = std::make_unique<kelpora::DataSource>(*IBSQL_2);
    DS_OUT = m_dataSource.get();

    buildPictures();
    buildFields();
    buildButtons();
    connectHandlers();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFishdataF::~TFishdataF() = default;

void TFishdataF::buildFields()
{
    const int x0 = 8;
    caption(this, QStringLiteral("Ｎｏ"), {x0, 52, 24, 22});
    Edit_No = field(this, "Edit_No", {x0 + 26, 52, 50, 22}, Input::Number);
    Edit_No->setReadOnly(true);
    caption(this, QStringLiteral("日付"), {x0 + 80, 52, 28, 22});
    Edit_Day = field(this, "Edit_Day", {x0 + 106, 52, 78, 22}, Input::Number);
    caption(this, QStringLiteral("天候"), {x0 + 188, 52, 28, 22});
    Edit_Tenki = field(this, "Edit_Tenki", {x0 + 214, 52, 68, 22}, Input::Text);

    caption(this, QStringLiteral("場所"), {x0, 80, 28, 22});
    Edit_Place = field(this, "Edit_Place", {x0 + 30, 80, 110, 22}, Input::Text);
    caption(this, QStringLiteral("ポイント"), {x0 + 146, 80, 48, 22});
    Edit_Fune = field(this, "Edit_Fune", {x0 + 194, 80, 88, 22}, Input::Text);

    caption(this, QStringLiteral("潮"), {x0, 108, 28, 22});
    Edit_Shio = field(this, "Edit_Shio", {x0 + 30, 108, 70, 22}, Input::Text);
    caption(this, QStringLiteral("基準場所"), {x0 + 110, 108, 52, 22});
    Edit_Shio_Kijyun = field(this, "Edit_Shio_Kijyun", {x0 + 164, 108, 118, 22}, Input::Text);

    caption(this, QStringLiteral("旧暦"), {x0, 136, 28, 22});
    Edit_Old_Day = field(this, "Edit_Old_Day", {x0 + 30, 136, 90, 22}, Input::Text);
    Edit_Old_Sho = field(this, "Edit_Old_Sho", {x0 + 130, 136, 60, 22}, Input::Text);
    Edit_Old_Sho->hide();

    // High and low water: time and height of the first and second of each.
    caption(this, QStringLiteral("満潮"), {x0 + 30, 164, 124, 18}, Qt::AlignCenter);
    caption(this, QStringLiteral("干潮"), {x0 + 158, 164, 124, 18}, Qt::AlignCenter);
    caption(this, QStringLiteral("潮位"), {x0 + 92, 182, 62, 16}, Qt::AlignCenter);
    caption(this, QStringLiteral("潮位"), {x0 + 220, 182, 62, 16}, Qt::AlignCenter);
    caption(this, QStringLiteral("１"), {x0, 200, 26, 22}, Qt::AlignCenter);
    caption(this, QStringLiteral("２"), {x0, 226, 26, 22}, Qt::AlignCenter);
    Edit_Max_T1 = field(this, "Edit_Max_T1", {x0 + 30, 200, 60, 22}, Input::Number);
    Edit_Max_H1 = field(this, "Edit_Max_H1", {x0 + 94, 200, 60, 22}, Input::Number);
    Edit_Min_T1 = field(this, "Edit_Min_T1", {x0 + 158, 200, 60, 22}, Input::Number);
    Edit_Min_H1 = field(this, "Edit_Min_H1", {x0 + 222, 200, 60, 22}, Input::Number);
    Edit_Max_T2 = field(this, "Edit_Max_T2", {x0 + 30, 226, 60, 22}, Input::Number);
    Edit_Max_H2 = field(this, "Edit_Max_H2", {x0 + 94, 226, 60, 22}, Input::Number);
    Edit_Min_T2 = field(this, "Edit_Min_T2", {x0 + 158, 226, 60, 22}, Input::Number);
    Edit_Min_H2 = field(this, "Edit_Min_H2", {x0 + 222, 226, 60, 22}, Input::Number);

    // Three species, each with its largest and smallest size and its count.
    caption(this, QStringLiteral("最大-最小"), {x0 + 150, 256, 84, 16}, Qt::AlignCenter);
    caption(this, QStringLiteral("数"), {x0 + 238, 256, 44, 16}, Qt::AlignCenter);
    QLineEdit** species[3] = {&Edit_F1, &Edit_F2, &Edit_F3};
    QLineEdit** maxes[3] = {&Edit_F1_Max, &Edit_F2_Max, &Edit_F3_Max};
    QLineEdit** mins[3] = {&Edit_F1_Min, &Edit_F2_Min, &Edit_F3_Min};
    QLineEdit** counts[3] = {&Edit_F1_kazu, &Edit_F2_kazu, &Edit_F3_kazu};
    const char* speciesNames[3] = {"Edit_F1", "Edit_F2", "Edit_F3"};
    const char* maxNames[3] = {"Edit_F1_Max", "Edit_F2_Max", "Edit_F3_Max"};
    const char* minNames[3] = {"Edit_F1_Min", "Edit_F2_Min", "Edit_F3_Min"};
    const char* countNames[3] = {"Edit_F1_kazu", "Edit_F2_kazu", "Edit_F3_kazu"};
    const QString speciesLabels[3] = {QStringLiteral("魚種１"), QStringLiteral("魚種２"), QStringLiteral("魚種３")};
    for (int i = 0; i < 3; ++i) {
        const int y = 274 + i * 26;
        caption(this, speciesLabels[i], {x0, y, 40, 22});
        *species[i] = field(this, speciesNames[i], {x0 + 42, y, 104, 22}, Input::Text);
        *maxes[i] = field(this, maxNames[i], {x0 + 150, y, 38, 22}, Input::Number);
        caption(this, QStringLiteral("-"), {x0 + 188, y, 8, 22}, Qt::AlignCenter);
        *mins[i] = field(this, minNames[i], {x0 + 196, y, 38, 22}, Input::Number);
        *counts[i] = field(this, countNames[i], {x0 + 238, y, 44, 22}, Input::Number);
    }

    caption(this, QStringLiteral("仕掛け"), {x0, 354, 120, 18});
    Memo_Shikake = new QPlainTextEdit(this);
    Memo_Shikake->setObjectName(QStringLiteral("Memo_Shikake"));
    Memo_Shikake->setGeometry(x0, 372, 282, 120);
    caption(this, QStringLiteral("釣果　釣行記録"), {x0, 498, 160, 18});
    Memo_Cyouka = new QPlainTextEdit(this);
    Memo_Cyouka->setObjectName(QStringLiteral("Memo_Cyouka"));
    Memo_Cyouka->setGeometry(x0, 516, 282, 146);
    for (QPlainTextEdit* memo : {Memo_Shikake, Memo_Cyouka}) {
        memo->setFocusPolicy(Qt::ClickFocus);
        memo->setTabChangesFocus(false);
        memo->setAttribute(Qt::WA_InputMethodEnabled, true);
    }

    m_correctable = {Edit_Day, Edit_Tenki, Edit_Place, Edit_Fune, Edit_Shio, Edit_Shio_Kijyun, Edit_Old_Day,
        Edit_Old_Sho, Edit_Max_T1, Edit_Max_T2, Edit_Max_H1, Edit_Max_H2, Edit_Min_T1, Edit_Min_T2, Edit_Min_H1,
        Edit_Min_H2, Edit_F1, Edit_F2, Edit_F3, Edit_F1_Max, Edit_F2_Max, Edit_F3_Max, Edit_F1_Min, Edit_F2_Min,
        Edit_F3_Min, Edit_F1_kazu, Edit_F2_kazu, Edit_F3_kazu};
}

void TFishdataF::buildPictures()
{
    using Mode = ImageArea::DisplayMode;
    picturePanel(this, QStringLiteral("潮位"), QStringLiteral("潮位は Click して拡大表示が可能"), {298, 48, 341, 256});
    Image_Shio = imageArea(this, "Image_Shio", {302, 52, 333, 248}, Mode::ProportionalCentred);
    picturePanel(this, QStringLiteral("地図・仕掛図など"), QStringLiteral("地図は Click して拡大表示が可能"),
        {298, 310, 341, 258});
    Image_Map = imageArea(this, "Image_Map", {302, 314, 334, 250}, Mode::ProportionalCentred);

    caption(this, QStringLiteral("写真をダブルクリックして拡大表示"), {298, 572, 400, 16});
    ImageArea** photos[4] = {&Image_A, &Image_B, &Image_C, &Image_D};
    const char* names[4] = {"Image_A", "Image_B", "Image_C", "Image_D"};
    for (int i = 0; i < 4; ++i) {
        auto* frame = new QFrame(this);
        frame->setFrameShape(QFrame::Box);
        frame->setGeometry(298 + i * 103, 585, 101, 85);
        *photos[i] = imageArea(this, names[i], {300 + i * 103, 587, 97, 81}, Mode::Proportional);
    }
}

void TFishdataF::buildButtons()
{
    auto* bar = new QFrame(this);
    bar->setGeometry(0, 0, 947, 44);
    bar->setFrameShape(QFrame::StyledPanel);
    auto* title = caption(bar, QStringLiteral("釣果記録表示"), {12, 6, 200, 32});
    QFont font = title->font();
    font.setPointSize(14);
    font.setBold(true);
    title->setFont(font);

    Btn_First = button(this, "Btn_First", QStringLiteral("First"), {300, 8, 80, 28});
    Btn_D_10 = button(this, "Btn_D_10", QStringLiteral("－　１０"), {384, 8, 80, 28});
    Btn_Prior = button(this, "Btn_Prior", QStringLiteral("－　１"), {468, 8, 80, 28});
    Btn_Next = button(this, "Btn_Next", QStringLiteral("＋　１"), {552, 8, 80, 28});
    Btn_U_10 = button(this, "Btn_U_10", QStringLiteral("＋　１０"), {636, 8, 80, 28});
    Btn_Last = button(this, "Btn_Last", QStringLiteral("Last"), {720, 8, 80, 28});
    Btn_Return = button(this, "Btn_Return", QStringLiteral("戻　る"), {850, 8, 86, 28}, true);
    m_navigation = {Btn_First, Btn_Prior, Btn_Next, Btn_Last, Btn_D_10, Btn_U_10};

    auto group = [this](const QString& heading, QRect geometry) {
        auto* g = new QGroupBox(heading, this);
        g->setGeometry(geometry);
        return g;
    };
    QGroupBox* show = group(QStringLiteral("表示"), {652, 52, 286, 70});
    Btn_All_Show = button(show, "Btn_All_Show", QStringLiteral("全件表示"), {12, 26, 124, 32});
    Btn_worksheet = button(show, "Btn_worksheet", QStringLiteral("ワークシート"), {148, 26, 124, 32});

    QGroupBox* search = group(QStringLiteral("検索"), {652, 132, 286, 104});
    Label_kensaku = caption(search, QStringLiteral("検索"), {12, 22, 260, 18});
    Label_kensaku->setObjectName(QStringLiteral("Label_kensaku"));
    Btn_All_2 = button(search, "Btn_All_2", QStringLiteral("全件表示"), {12, 62, 124, 32});
    CBox_Kensaku = new QComboBox(search);
    CBox_Kensaku->setObjectName(QStringLiteral("CBox_Kensaku"));
    CBox_Kensaku->setGeometry(148, 64, 124, 28);
    CBox_Kensaku->addItems({QStringLiteral("全体"), QStringLiteral("魚種"), QStringLiteral("場所"),
        QStringLiteral("ﾎﾟｲﾝﾄ"), QStringLiteral("月")});
    CBox_Kensaku->setFocusPolicy(Qt::NoFocus);

    QGroupBox* edit = group(QStringLiteral("編集・入力"), {652, 246, 286, 112});
    But_Cyoui = button(edit, "But_Cyoui", QStringLiteral("潮位"), {12, 26, 124, 32});
    Btn_Chizu = button(edit, "Btn_Chizu", QStringLiteral("地図"), {148, 26, 124, 32});
    Btn_Photo = button(edit, "Btn_Photo", QStringLiteral("写真入力"), {12, 68, 124, 32});

    QGroupBox* correct = group(QStringLiteral("内容訂正"), {652, 368, 286, 70});
    Btn_Teisei = button(correct, "Btn_Teisei", QStringLiteral("訂　正"), {12, 26, 124, 32});
    Btn_No = button(correct, "Btn_No", QStringLiteral("キャンセル"), {148, 26, 124, 32});
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
    for (ImageArea* photo : {Image_A, Image_B, Image_C, Image_D})
        onEvent(photo, &ImageArea::doubleClicked, this, &TFishdataF::Image_PhotoDblClick);
    onEvent(Image_Shio, &ImageArea::doubleClicked, this, &TFishdataF::Image_ShioDblClick);
    onEvent(Image_Map, &ImageArea::doubleClicked, this, &TFishdataF::Image_MapDblClick);

    // Only the user's typing starts a correction; textEdited never fires for setText().
    for (QLineEdit* edit : m_correctable)
        connect(edit, &QLineEdit::textEdited, this, [this] { fieldEdited(); });
    for (QPlainTextEdit* memo : {Memo_Shikake, Memo_Cyouka})
        connect(memo, &QPlainTextEdit::textChanged, this, [this] {
            if (!m_filling)
                fieldEdited();
        });
}

void TFishdataF::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    kelpora::guarded([this] { FormShow(); });
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

// --- routines ---

void TFishdataF::ClearRoutine()
{
    m_filling = true;
    const auto edits = findChildren<QLineEdit*>();
    for (QLineEdit* edit : edits)
        if (edit->parent() == this)
            edit->setText(QString());
    Memo_Shikake->clear();
    Memo_Cyouka->clear();
    m_filling = false;
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
}

void TFishdataF::DisplayRoutine()
{
    ClearRoutine();
    const kelpora::SqlQuery& q = *IBSQL_2;
    struct TextField {
        QLineEdit* edit;
        const char* column;
    };
    const TextField texts[] = {{Edit_Day, "DAY_DATA"}, {Edit_Tenki, "TENNKI"}, {Edit_Place, "BASYO"},
        {Edit_Fune, "FUNE"}, {Edit_Shio, "SHIO"}, {Edit_Shio_Kijyun, "KIJYUNN"}, {Edit_Old_Day, "KYUUREKI"},
        {Edit_Old_Sho, "OLD_SHIO"}, {Edit_Max_T1, "MAX1"}, {Edit_Max_T2, "MAX2"}, {Edit_Min_T1, "MIN1"},
        {Edit_Min_T2, "MIN2"}, {Edit_F1, "FISH1"}, {Edit_F2, "FISH2"}, {Edit_F3, "FISH3"}};
    const TextField integers[] = {{Edit_Max_H1, "MAX1_HIGHT"}, {Edit_Max_H2, "MAX2_HIGHT"}, {Edit_Min_H1, "MIN1_LOW"},
        {Edit_Min_H2, "MIN2_LOW"}, {Edit_F1_Max, "FISH1_MAX"}, {Edit_F1_Min, "FISH1_MIN"}, {Edit_F1_kazu, "FISH1_KAZU"},
        {Edit_F2_Max, "FISH2_MAX"}, {Edit_F2_Min, "FISH2_MIN"}, {Edit_F2_kazu, "FISH2_KAZU"},
        {Edit_F3_Max, "FISH3_MAX"}, {Edit_F3_Min, "FISH3_MIN"}, {Edit_F3_kazu, "FISH3_KAZU"}};

    m_filling = true;
    struct FillingDone {
        bool& flag;
        ~FillingDone() { flag = false; }
    } done{m_filling};
    Edit_No->setText(QString::number(q.fieldInteger(QStringLiteral("CODENO"))));
    for (const TextField& f : texts)
        f.edit->setText(q.fieldText(QLatin1String(f.column)));
    for (const TextField& f : integers) {
        const QString column = QLatin1String(f.column);
        if (!q.isNull(column))
            f.edit->setText(QString::number(q.fieldInteger(column)));
    }
    Memo_Shikake->setPlainText(memoFromStored(q.fieldText(QStringLiteral("SHIKAKE"))));
    Memo_Cyouka->setPlainText(memoFromStored(q.fieldText(QStringLiteral("BIKOU"))));
    m_filling = false;

    showPictures();
}

// Each picture is read and decoded on its own: one damaged picture is reported and
// left empty, and the record's other pictures are still shown. Decoding starts as soon
// as a picture's bytes are in, on other cores, while the next one is read.
void TFishdataF::showPictures()
{
    const kelpora::SqlQuery& q = *IBSQL_2;
    QStringList errors;
    ImageArea::Batch batch;
    QList<ImageArea*> decoding;
    auto read = [&](ImageArea* area, const QString& column, ReadRule rule) {
        try {
            area->setPicture(PictureStore::readPicture(q, column, rule));
            batch.add(area);
            decoding << area;
        } catch (const kelpora::DbError&) {
            throw; // the database itself failed: not a picture problem
        } catch (const kelpora::Error& e) {
            area->clear();
            errors << e.text();
        }
    };
    ImageArea* photos[4] = {Image_A, Image_B, Image_C, Image_D};
    for (ImageArea* photo : photos)
        photo->clear();
    ShioZu_Flag = q.isEmpty() || q.isNull(QStringLiteral("SHIO_ZU")) ? 0 : 1;
    Chizu_Flag = q.isEmpty() || q.isNull(QStringLiteral("CHIZU")) ? 0 : 1;
    // The photos take longest to decode, so they are read first.
    for (int i = 0; i < 4; ++i) {
        const QString column = QStringLiteral("PHOTO%1").arg(i + 1);
        if (!q.isEmpty() && !q.isNull(column))
            read(photos[i], column, ReadRule::JpegOnly);
    }
    if (Chizu_Flag)
        read(Image_Map, QStringLiteral("CHIZU"), ReadRule::BitmapFirst);
    if (ShioZu_Flag)
        read(Image_Shio, QStringLiteral("SHIO_ZU"), ReadRule::BitmapFirst);

    const QStringList decodeErrors = batch.finish();
    for (qsizetype i = 0; i < decodeErrors.size(); ++i)
        if (!decodeErrors[i].isEmpty()) {
            decoding[i]->clear();
            errors << decodeErrors[i];
        }
    if (!errors.isEmpty())
        kelpora::seams::messageBoxes().error(errors.join(u'\n'));
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
    LoadAllRecords();
    DisplayRoutine();
}

void TFishdataF::Btn_FirstClick()
{
    IBSQL_2->first();
    DisplayRoutine();
}

void TFishdataF::Btn_PriorClick()
{
    IBSQL_2->prior();
    DisplayRoutine();
}

void TFishdataF::Btn_NextClick()
{
    IBSQL_2->next();
    DisplayRoutine();
}

void TFishdataF::Btn_LastClick()
{
    IBSQL_2->last();
    DisplayRoutine();
}

void TFishdataF::Btn_D_10Click()
{
    IBSQL_2->moveBy(-10);
    DisplayRoutine();
}

void TFishdataF::Btn_U_10Click()
{
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

// The tide chart editor, the map input and the photo viewer are opened from here
// once they exist; until then their buttons do nothing.
void TFishdataF::But_CyouiClick()
{ }

void TFishdataF::Btn_ChizuClick()
{ }

void TFishdataF::Btn_PhotoClick()
{ }

void TFishdataF::Image_PhotoDblClick()
{
    Photo_Mark = IBSQL_2->positionKey();
}

void TFishdataF::Image_ShioDblClick()
{ }

void TFishdataF::Image_MapDblClick()
{ }

void TFishdataF::Btn_ReturnClick()
{
    accept();
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
    kelpora::SqlQuery& q = *IBSQL_UP;
    q.close();
    q.clearSql();
    for (const char* line : {" update FISH_DATA set                                     ",
             " DAY_DATA  = :parDAY_DATA  , TENNKI     = :parTENNKI     ,",
             " FUNE      = :parFUNE      , BASYO      = :parBASYO      ,",
             " SHIO      = :parSHIO      , KIJYUNN    = :parKIJYUNN    ,",
             " KYUUREKI  = :parKYUUREKI  , OLD_SHIO   = :parOLD_SHIO   ,",
             " MAX1      = :parMAX1      , MAX2       = :parMAX2       ,",
             " MAX1_HIGHT= :parMAX1_HIGHT, MAX2_HIGHT = :parMAX2_HIGHT ,",
             " MIN1      = :parMIN1      , MIN2       = :parMIN2       ,",
             " MIN1_LOW  = :parMIN1_LOW  , MIN2_LOW   = :parMIN2_LOW   ,",
             " FISH1     = :parFISH1     , FISH1_MAX  = :parFISH1_MAX  ,",
             " FISH1_MIN = :parFISH1_MIN , FISH1_KAZU = :parFISH1_KAZU ,",
             " FISH2     = :parFISH2     , FISH2_MAX  = :parFISH2_MAX  ,",
             " FISH2_MIN = :parFISH2_MIN , FISH2_KAZU = :parFISH2_KAZU ,",
             " FISH3     = :parFISH3     , FISH3_MAX  = :parFISH3_MAX  ,",
             " FISH3_MIN = :parFISH3_MIN , FISH3_KAZU = :parFISH3_KAZU ,",
             " SHIKAKE   = :parSHIKAKE   , BIKOU      = :parBIKOU       ",
             " where CODENO = :parCODENO                                "})
        q.addSql(QLatin1String(line));

    auto always = [&](const char* name, const QLineEdit* edit) { q.bindText(QLatin1String(name), edit->text()); };
    auto textOrNull = [&](const char* name, const QLineEdit* edit) {
        if (!edit->text().isEmpty())
            q.bindText(QLatin1String(name), edit->text());
    };
    auto integerOrNull = [&](const char* name, const QLineEdit* edit) {
        if (!edit->text().isEmpty())
            q.bindInteger(QLatin1String(name), toInteger(edit->text()));
    };
    auto memoOrNull = [&](const char* name, const QPlainTextEdit* memo) {
        const QString text = memo->toPlainText();
        if (!text.isEmpty())
            q.bindMemo(QLatin1String(name), memoToStored(text));
    };

    always("parDAY_DATA", Edit_Day);
    always("parTENNKI", Edit_Tenki);
    always("parFUNE", Edit_Fune);
    always("parBASYO", Edit_Place);
    always("parSHIO", Edit_Shio);
    always("parKIJYUNN", Edit_Shio_Kijyun);
    always("parKYUUREKI", Edit_Old_Day);
    always("parOLD_SHIO", Edit_Old_Sho);
    textOrNull("parMAX1", Edit_Max_T1);
    textOrNull("parMAX2", Edit_Max_T2);
    integerOrNull("parMAX1_HIGHT", Edit_Max_H1);
    integerOrNull("parMAX2_HIGHT", Edit_Max_H2);
    textOrNull("parMIN1", Edit_Min_T1);
    textOrNull("parMIN2", Edit_Min_T2);
    integerOrNull("parMIN1_LOW", Edit_Min_H1);
    integerOrNull("parMIN2_LOW", Edit_Min_H2);
    always("parFISH1", Edit_F1);
    integerOrNull("parFISH1_MAX", Edit_F1_Max);
    integerOrNull("parFISH1_MIN", Edit_F1_Min);
    integerOrNull("parFISH1_KAZU", Edit_F1_kazu);
    textOrNull("parFISH2", Edit_F2);
    integerOrNull("parFISH2_MAX", Edit_F2_Max);
    integerOrNull("parFISH2_MIN", Edit_F2_Min);
    integerOrNull("parFISH2_KAZU", Edit_F2_kazu);
    textOrNull("parFISH3", Edit_F3);
    integerOrNull("parFISH3_MAX", Edit_F3_Max);
    integerOrNull("parFISH3_MIN", Edit_F3_Min);
    integerOrNull("parFISH3_KAZU", Edit_F3_kazu);
    memoOrNull("parSHIKAKE", Memo_Shikake);
    memoOrNull("parBIKOU", Memo_Cyouka);
    q.bindInteger(QStringLiteral("parCODENO"), toInteger(Edit_No->text()));

    return DM1->guardedWrite(q, QStringLiteral("更新に失敗しました"));
}
