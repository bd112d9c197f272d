#include "pictures/Fish_Chizu_In_F.h"

#include "core/DM_1.h"
#include "core/Seams.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "core/TextNumber.h"
#include "imaging/PictureStore.h"
#include "kit/Controls.h"
#include "kit/ErrorHandler.h"
#include "kit/ImageArea.h"
#include "kit/Openers.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>

#include <optional>

TFish_Chizu_InF* Fish_Chizu_InF = nullptr;

using kelpora::ImageArea;
using kelpora::Picture;
using kelpora::PictureStore;
using kelpora::RecordOpener;
namespace openers = kelpora::openers;
namespace kit = kelpora::kit;
namespace seams = kelpora::seams;

namespace {

constexpr int kSideWidth = 150;
constexpr int kSideMargin = 16; // from the window's right edge, whatever its width

QString sizeText(const Picture& picture)
{
    return QStringLiteral("%1 * %2").arg(picture.size().width()).arg(picture.size().height());
}

} // namespace

QStringList TFish_Chizu_InF::updateLines()
{
    return {
        QStringLiteral(" update FISH_DATA set    "),
        QStringLiteral(" CHIZU = :parCHIZU       "),
        QStringLiteral(" where CODENO = :parCODE "),
    };
}

TFish_Chizu_InF::TFish_Chizu_InF(QWidget* owner)
    : KelporaWindow(owner,
        {"Fish_Chizu_InF", QStringLiteral("地図・仕掛け"), {kWidth, kHeight}, kelpora::WindowTraits::Placement::Owner,
            kelpora::WindowTraits::Sizing::Resizable, kelpora::WindowTraits::TitleButtons::None, {kWidth, kHeight}})
{
    IBSQL_UP = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_UP->setObjectName(QStringLiteral("IBSQL_UP"));
    buildControls();

    using kelpora::onEvent;
    onEvent(Btn_In, &QPushButton::clicked, this, &TFish_Chizu_InF::Btn_InClick);
    onEvent(Btn_Clear, &QPushButton::clicked, this, &TFish_Chizu_InF::Btn_ClearClick);
    onEvent(Btn_OK, &QPushButton::clicked, this, &TFish_Chizu_InF::Btn_OKClick);
    onEvent(Btn_Return, &QPushButton::clicked, this, &TFish_Chizu_InF::Btn_ReturnClick);
}

TFish_Chizu_InF::~TFish_Chizu_InF() = default;

void TFish_Chizu_InF::buildControls()
{
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(14, 14, 504, 504);
    Image_M = kit::imageArea(this, "Image_M", {16, 16, 500, 500}, ImageArea::DisplayMode::Natural);

    m_side = new QWidget(this);
    m_side->setGeometry(kWidth - kSideMargin - kSideWidth, 0, kSideWidth, kHeight);
    using kit::button;
    using kit::caption;
    Btn_Return = button(m_side, "Btn_Return", QStringLiteral("戻　る"), {0, 16, kSideWidth, 34});
    caption(m_side, QStringLiteral("記録番号"), {0, 70, kSideWidth, 18});
    Edit_CODE = kit::editField(m_side, "Edit_CODE", {0, 90, kSideWidth, 26}, kit::InputMethod::Off);
    caption(m_side, QStringLiteral("クリップボードの画像を"), {0, 140, kSideWidth, 18});
    Btn_In = button(m_side, "Btn_In", QStringLiteral("読み込み"), {0, 160, kSideWidth, 34});
    caption(m_side, QStringLiteral("画像の大きさ"), {0, 206, kSideWidth, 18});
    Label_XY = kit::label(m_side, "Label_XY", QString(), {0, 226, kSideWidth, 22});
    Btn_Clear = button(m_side, "Btn_Clear", QStringLiteral("消　去"), {0, 270, kSideWidth, 34});
    Btn_OK = button(m_side, "Btn_OK", QStringLiteral("登　録"), {0, 470, kSideWidth, 40});
}

void TFish_Chizu_InF::resizeEvent(QResizeEvent* event)
{
    KelporaWindow::resizeEvent(event);
    m_side->move(width() - kSideMargin - kSideWidth, 0);
}

void TFish_Chizu_InF::FormShow()
{
    resize(kWidth, kHeight);
    m_storedUnreadable = false;
    m_erased = false;
    if (!parentWidget() || parentWidget()->objectName() != QLatin1String("FishdataF")) {
        // A map for the record being typed in starts empty, whatever the entry window holds.
        Label_XY->clear();
        Edit_CODE->setText(QStringLiteral("新規入力"));
        return;
    }
    const RecordOpener* browser = openers::browser();
    Edit_CODE->setText(browser ? browser->recordNumberText() : QString());
    Label_XY->clear();
    if (Chizu_Flag == 1)
        showBrowserMap();
    if (Edit_CODE->text().isEmpty()) {
        seams::messageBoxes().inform(QStringLiteral("コード番号取得失敗"));
        closeWindow();
        return;
    }
    if (m_storedUnreadable)
        seams::messageBoxes().inform(QStringLiteral("保存されている地図を読み込めませんでした。\n"
                                                    "「消　去」を押してから「登　録」しない限り、"
                                                    "保存されている地図はそのまま残ります。"));
}

// The browser shows an empty map area for a stored map it could not read; such a map is
// noted, not taken for "no map".
void TFish_Chizu_InF::showBrowserMap()
{
    const RecordOpener* browser = openers::browser();
    const Picture picture = browser ? browser->mapArea()->picture() : Picture();
    bool readable = !picture.isNull();
    if (readable) {
        try {
            (void)picture.pixels(); // the area shows it at full size, and confirming re-encodes it
        } catch (const kelpora::PictureError&) {
            readable = false;
        }
    }
    if (!readable) {
        m_storedUnreadable = true;
        return;
    }
    Image_M->setPicture(picture);
    Label_XY->setText(picture.kind() == Picture::Kind::Jpeg ? QStringLiteral("jpeg") : sizeText(picture));
}

void TFish_Chizu_InF::Btn_InClick()
{
    const std::optional<Picture> pasted = PictureStore::pasteBitmap();
    if (!pasted) {
        seams::messageBoxes().inform(QStringLiteral("クリップボードに画像がありません"));
        return;
    }
    Image_M->setPicture(*pasted);
    Label_XY->setText(sizeText(*pasted));
}

void TFish_Chizu_InF::Btn_ClearClick()
{
    Image_M->clear();
    Label_XY->clear();
    m_erased = true;
}

void TFish_Chizu_InF::Btn_OKClick()
{
    const Picture& picture = Image_M->picture();
    const bool stored = Mode_Flg == kOldFlg;
    if (!picture.isNull()) {
        // Always encoded anew, also a map that already was a JPEG.
        const Picture jpeg = Picture::fromJpeg(PictureStore::reencode(picture));
        if (stored) {
            writeMapBytes(jpeg.jpegBytes());
        } else if (const RecordOpener* entry = openers::entry()) {
            entry->mapArea()->setPicture(jpeg);
        }
    } else if (stored && !(m_storedUnreadable && !m_erased)) {
        writeMapBytes(QByteArray()); // no map: the column becomes NULL
    }
    closeWindow();
}

void TFish_Chizu_InF::writeMapBytes(const QByteArray& jpeg)
{
    kelpora::SqlQuery& q = *IBSQL_UP;
    q.close();
    q.clearSql();
    for (const QString& line : updateLines())
        q.addSql(line);
    if (!jpeg.isEmpty())
        q.bindBlob(QStringLiteral("parCHIZU"), jpeg);
    q.bindInteger(QStringLiteral("parCODE"), kelpora::toInteger(Edit_CODE->text(), QStringLiteral("記録番号")));
    DM1->guardedWrite(q, QStringLiteral("登録に失敗しました"));
}

void TFish_Chizu_InF::Btn_ReturnClick()
{
    closeWindow();
}
