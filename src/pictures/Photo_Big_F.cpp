#include "pictures/Photo_Big_F.h"

#include "core/DM_1.h"
#include "core/Seams.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "core/TextNumber.h"
#include "imaging/PictureCache.h"
#include "imaging/PictureColumns.h"
#include "imaging/PictureStore.h"
#include "kit/Controls.h"
#include "kit/ErrorHandler.h"
#include "kit/ImageArea.h"
#include "kit/ModalRunner.h"
#include "kit/Openers.h"
#include "kit/RecordPictures.h"
#include "pictures/Photo_F.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TPhoto_BigF* Photo_BigF = nullptr;

using kelpora::ImageArea;
namespace kit = kelpora::kit;

const std::array<QRect, 4> TPhoto_BigF::kHome{
    QRect(8, 16, 402, 302), QRect(416, 16, 402, 302), QRect(8, 328, 402, 302), QRect(416, 328, 402, 302)};
const QRect TPhoto_BigF::kEnlarged(8, 16, 802, 602);

namespace {

constexpr int kHomeWidth = 402;

// The image area fills the panel inside its one-pixel border.
void place(QFrame* panel, ImageArea* image, const QRect& bounds)
{
    panel->setGeometry(bounds);
    image->setGeometry(1, 1, bounds.width() - 2, bounds.height() - 2);
}

} // namespace

QStringList TPhoto_BigF::readLines()
{
    return {
        QStringLiteral(" select PHOTO1 , PHOTO2 , PHOTO3 , PHOTO4 "),
        QStringLiteral(" from FISH_DATA where CODENO = :parCODE   "),
    };
}

TPhoto_BigF::TPhoto_BigF(QWidget* owner)
    : KelporaWindow(owner,
        {"Photo_BigF", QStringLiteral("拡大写真　ダブルクリックすると拡大します"), {955, 683},
            kelpora::WindowTraits::Placement::Screen, kelpora::WindowTraits::Sizing::FixedHeight,
            kelpora::WindowTraits::TitleButtons::Close})
{
    IBSQL_Photo = new kelpora::SqlQuery(DM1->IBDB2, DM1->IBTr2, this);
    IBSQL_Photo->setObjectName(QStringLiteral("IBSQL_Photo"));
    m_photos = new kelpora::RecordPictures(this);
    buildPanels();
    buildSide();
}

TPhoto_BigF::~TPhoto_BigF() = default;

void TPhoto_BigF::buildPanels()
{
    QFrame** panels[4] = {&Panel_AA, &Panel_BB, &Panel_CC, &Panel_DD};
    ImageArea** images[4] = {&Image_AA, &Image_BB, &Image_CC, &Image_DD};
    const char* panelNames[4] = {"Panel_AA", "Panel_BB", "Panel_CC", "Panel_DD"};
    const char* imageNames[4] = {"Image_AA", "Image_BB", "Image_CC", "Image_DD"};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QFrame(this);
        panel->setObjectName(QLatin1String(panelNames[i]));
        panel->setFrameShape(QFrame::Box);
        panel->setLineWidth(1);
        panel->setAutoFillBackground(true);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, QColor(170, 211, 249));
        palette.setColor(QPalette::WindowText, Qt::black);
        panel->setPalette(palette);
        ImageArea* image = kit::imageArea(panel, imageNames[i], {}, ImageArea::DisplayMode::ProportionalCentred);
        place(panel, image, kHome[size_t(i)]);
        *panels[i] = panel;
        *images[i] = image;
        m_panels[size_t(i)] = panel;
        m_images[size_t(i)] = image;
        kelpora::onEvent(image, &ImageArea::doubleClicked, this, [this, i] { Image_DblClick(i); });
        m_photos->watch(image, QStringLiteral("写真%1").arg(i + 1));
    }
    kelpora::onEvent(m_photos, &kelpora::RecordPictures::failed, this, &TPhoto_BigF::photoFailed);
}

void TPhoto_BigF::buildSide()
{
    constexpr int x = 834;
    Button1 = kit::button(this, "Button1", QStringLiteral("戻　る"), {x, 16, 112, 34});
    Label3 = kit::label(this, "Label3", QStringLiteral("CODENo"), {x, 70, 112, 18});
    Label_Code = kit::label(this, "Label_Code", QString(), {x, 90, 112, 26}, {18, true, {}});

    QFrame* frame = kit::panel(this, nullptr, {x, 140, 112, 196});
    Label1 = kit::label(frame, "Label1", QStringLiteral("写真の編集"), {0, 6, 112, 20}, {}, Qt::AlignCenter);
    QPushButton** buttons[4] = {&Btn_No1, &Btn_No2, &Btn_No3, &Btn_No4};
    const char* names[4] = {"Btn_No1", "Btn_No2", "Btn_No3", "Btn_No4"};
    for (int i = 0; i < 4; ++i) {
        QPushButton* b = kit::button(frame, names[i], QString::number(i + 1), {16, 34 + i * 40, 80, 32});
        *buttons[i] = b;
        kelpora::onEvent(b, &QPushButton::clicked, this, [this, b] { Btn_NoClick(b); });
    }
    kelpora::onEvent(Button1, &QPushButton::clicked, this, &TPhoto_BigF::Button1Click);
}

void TPhoto_BigF::FormShow()
{
    const kelpora::RecordOpener* browser = kelpora::openers::browser();
    Label_Code->setText(browser ? browser->recordNumberText() : QString());
    LoadPhotos();
}

// One photo that cannot be read is reported and left empty; the others still show. The
// photos decode on the thread pool, each panel showing its own as it arrives; the ones the
// browser has already read come from its cache.
void TPhoto_BigF::LoadPhotos()
{
    for (ImageArea* image : m_images)
        image->clear();
    const kelpora::RecordOpener* browser = kelpora::openers::browser();
    const kelpora::RecordPictures::Handout handout(*m_photos, browser ? browser->pictureCache() : nullptr);
    readPhotos();
}

bool TPhoto_BigF::picturesPending() const
{
    return !m_photos->isSettled();
}

void TPhoto_BigF::readPhotos()
{
    kelpora::SqlQuery& q = *IBSQL_Photo;
    q.close();
    q.clearSql();
    for (const QString& line : readLines())
        q.addSql(line);
    q.bindInteger(QStringLiteral("parCODE"), kelpora::toInteger(Label_Code->text(), QStringLiteral("CODENo")));
    q.open();
    if (q.isEmpty())
        return;
    const auto photos = kelpora::photoColumns();
    for (size_t i = 0; i < photos.size(); ++i)
        m_photos->show(m_images[i], q, QLatin1String(photos[i].name), photos[i].rule);
}

// An emptied photo behaves as one that is not there, and an enlarged panel returns home,
// since an empty one could not be made small.
void TPhoto_BigF::photoFailed(ImageArea* image)
{
    for (size_t i = 0; i < 4; ++i)
        if (m_images[i] == image && m_panels[i]->width() != kHomeWidth)
            placeHome();
}

void TPhoto_BigF::placeHome()
{
    for (size_t i = 0; i < 4; ++i) {
        place(m_panels[i], m_images[i], kHome[i]);
        m_panels[i]->show();
    }
}

void TPhoto_BigF::Image_DblClick(int slot)
{
    QFrame* panel = m_panels[size_t(slot)];
    const bool enlarged = panel->width() != kHomeWidth;
    // An empty area does nothing, except that an enlarged one (its photo cleared in the
    // editor) still goes back, or the other three could never be seen again.
    if (m_images[size_t(slot)]->picture().isNull() && !enlarged)
        return;
    if (enlarged) {
        placeHome();
        return;
    }
    place(panel, m_images[size_t(slot)], kEnlarged);
    for (QFrame* other : m_panels)
        if (other != panel)
            other->hide();
    panel->raise();
}

void TPhoto_BigF::Btn_NoClick(QPushButton* pressed)
{
    Photo_No = kelpora::toInteger(pressed->text(), QStringLiteral("写真の編集"));
    kelpora::openModal(this, PhotoF);
    LoadPhotos();
}

void TPhoto_BigF::Button1Click()
{
    closeWindow();
}
