#include "pictures/Photo_F.h"

#include "core/DM_1.h"
#include "core/Seams.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "core/TextNumber.h"
#include "imaging/PictureColumns.h"
#include "imaging/PictureStore.h"
#include "kit/Controls.h"
#include "kit/ErrorHandler.h"
#include "kit/ImageArea.h"
#include "pictures/Photo_Big_F.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <array>
#include <optional>

TPhotoF* PhotoF = nullptr;

using kelpora::ImageArea;
using kelpora::Picture;
using kelpora::PictureStore;
namespace kit = kelpora::kit;
namespace seams = kelpora::seams;

namespace {

// Slot 1 to 4 as an index into the statement pieces; anything else cannot be written.
size_t slotIndex(int slot)
{
    if (slot < 1 || slot > 4)
        throw kelpora::Error(QStringLiteral("写真の番号 %1 は 1 から 4 の間ではありません").arg(slot));
    return size_t(slot - 1);
}

QString columnOf(int slot)
{
    return QLatin1String(kelpora::photoColumns()[slotIndex(slot)].name);
}

const std::array<QString, 4> kReadPrefix{QStringLiteral("select  PHOTO1 "), QStringLiteral("select  PHOTO2 "),
    QStringLiteral("select  PHOTO3 "), QStringLiteral("select  PHOTO4 ")};
const std::array<QString, 4> kWritePrefix{QStringLiteral("update FISH_DATA set  PHOTO1 "),
    QStringLiteral("update FISH_DATA set  PHOTO2 "), QStringLiteral("update FISH_DATA set  PHOTO3 "),
    QStringLiteral("update FISH_DATA set  PHOTO4 ")};

// A photo whose header reads but whose data is damaged would otherwise only fail when it
// is drawn; decoding it now tells the user while it can still be dealt with.
Picture decoded(Picture picture)
{
    if (!picture.isNull())
        (void)picture.pixels();
    return picture;
}

} // namespace

QString TPhotoF::readStatement(int slot, const QString& code)
{
    // The number goes into the text itself; only a whole number may.
    (void)kelpora::toInteger(code, QStringLiteral("CODENo"));
    return kReadPrefix[slotIndex(slot)] + QStringLiteral(" from FISH_DATA where CODENO =  ") + code;
}

QString TPhotoF::writeStatement(int slot)
{
    return kWritePrefix[slotIndex(slot)] + QStringLiteral(" = :parPHOTO where CODENO = :parCODE");
}

TPhotoF::TPhotoF(QWidget* owner)
    : KelporaWindow(owner, {"PhotoF", QStringLiteral("写真"), {800, 561}, kelpora::WindowTraits::Placement::Owner})
{
    IBSQL_Data = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_Data->setObjectName(QStringLiteral("IBSQL_Data"));
    buildControls();

    using kelpora::onEvent;
    onEvent(Image1, &ImageArea::doubleClicked, this, &TPhotoF::Image1DblClick);
    onEvent(Btn_File, &QPushButton::clicked, this, &TPhotoF::Btn_FileClick);
    onEvent(Btn_C_BORD, &QPushButton::clicked, this, &TPhotoF::Btn_C_BORDClick);
    onEvent(Btn_Clear, &QPushButton::clicked, this, &TPhotoF::Btn_ClearClick);
    onEvent(Btn_Ok, &QPushButton::clicked, this, &TPhotoF::Btn_OkClick);
    onEvent(Btn_No, &QPushButton::clicked, this, &TPhotoF::Btn_NoClick);
}

TPhotoF::~TPhotoF() = default;

void TPhotoF::buildControls()
{
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(6, 6, 581, 549);
    Image1 = kit::imageArea(this, "Image1", {8, 8, 577, 545}, ImageArea::DisplayMode::Proportional);

    constexpr int x = 600;
    using kit::button;
    using kit::label;
    Label_Photo = label(this, "Label_Photo", QString(), {x, 10, 190, 18});
    Label_CODE = label(this, "Label_CODE", QString(), {x, 30, 190, 30}, {22, true, {}});
    Label3 = label(this, "Label3", QStringLiteral("の処理"), {x, 62, 190, 20});

    Label1 = label(this, "Label1", QStringLiteral("ダブルクリックで"), {x, 110, 190, 18});
    Label2 = label(this, "Label2", QStringLiteral("写真が指定できます"), {x, 128, 190, 18});
    Btn_File = button(this, "Btn_File", QStringLiteral("ファイル指定"), {x, 150, 180, 34});

    Label4 = label(this, "Label4", QStringLiteral("クリップボードから"), {x, 210, 190, 18});
    Label5 = label(this, "Label5", QStringLiteral("入力します"), {x, 228, 190, 18});
    Btn_C_BORD = button(this, "Btn_C_BORD", QStringLiteral("クリップボード"), {x, 250, 180, 34});

    Btn_Clear = button(this, "Btn_Clear", QStringLiteral("消去します"), {x, 320, 180, 34});
    Btn_Ok = button(this, "Btn_Ok", QStringLiteral("変更確定"), {x, 450, 180, 40});
    Btn_No = button(this, "Btn_No", QStringLiteral("キャンセル"), {x, 505, 180, 40});
}

void TPhotoF::FormShow()
{
    auto* viewer = qobject_cast<TPhoto_BigF*>(parentWidget());
    if (!viewer || viewer->objectName() != QLatin1String("Photo_BigF")) {
        seams::messageBoxes().inform(QStringLiteral("*********"));
        closeWindow();
        return;
    }
    Label_Photo->clear();
    Label_CODE->setText(viewer->Label_Code->text());
    readStoredPhoto();
}

void TPhotoF::readStoredPhoto()
{
    kelpora::SqlQuery& q = *IBSQL_Data;
    q.close();
    q.clearSql();
    q.addSql(readStatement(Photo_No, Label_CODE->text()));
    q.open();
    const QString column = columnOf(Photo_No);
    if (q.isEmpty() || q.isNull(column))
        return;
    try {
        Image1->setPicture(decoded(PictureStore::readPicture(q, column, kelpora::ReadRule::BitmapFirst)));
    } catch (const kelpora::PictureError& e) {
        m_storedUnreadable = true;
        seams::messageBoxes().inform(QStringLiteral("保存されている写真%1を読み込めませんでした。\n%2\n"
                                                    "「消去します」を押してから「変更確定」しない限り、"
                                                    "保存されている写真はそのまま残ります。")
                                         .arg(Photo_No)
                                         .arg(e.text()));
    }
}

void TPhotoF::Image1DblClick()
{
    Btn_FileClick();
}

void TPhotoF::Btn_FileClick()
{
    const QString path = seams::fileDialog().openPicture(PictureStore::photoFileFilters());
    if (path.isEmpty())
        return;
    try {
        Image1->setPicture(decoded(PictureStore::loadFromFile(path)));
    } catch (const kelpora::PictureError&) {
        seams::messageBoxes().inform(QStringLiteral("JPEGフォーマットの写真を指定してくださいを"));
    }
}

void TPhotoF::Btn_C_BORDClick()
{
    try {
        if (std::optional<Picture> pasted = PictureStore::pastePicture())
            Image1->setPicture(*pasted);
    } catch (const kelpora::PictureError&) {
        seams::messageBoxes().inform(QStringLiteral("失敗しました"));
    }
}

void TPhotoF::Btn_ClearClick()
{
    Image1->clear();
    m_erased = true;
}

void TPhotoF::Btn_OkClick()
{
    kelpora::SqlQuery& q = *IBSQL_Data;
    q.close();
    q.clearSql();
    q.addSql(writeStatement(Photo_No));

    const Picture& picture = Image1->picture();
    if (picture.isNull() && m_storedUnreadable && !m_erased) {
        closeWindow(); // nothing was shown, so nothing was changed
        return;
    }
    // No picture binds NULL, which empties the slot.
    PictureStore::bindPicture(q, QStringLiteral("parPHOTO"), picture, kelpora::WriteRule::KeepOrEncode);
    q.bindInteger(QStringLiteral("parCODE"), kelpora::toInteger(Label_CODE->text(), QStringLiteral("CODENo")));
    DM1->guardedWrite(q, QStringLiteral("失敗しました FISH_DATA"));
    closeWindow();
}

void TPhotoF::Btn_NoClick()
{
    closeWindow();
}
