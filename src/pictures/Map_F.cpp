#include "pictures/Map_F.h"

#include "core/Seams.h"
#include "kit/Controls.h"
#include "kit/ErrorHandler.h"
#include "kit/ImageArea.h"
#include "kit/Openers.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>

TMapF* MapF = nullptr;

using kelpora::ImageArea;
using kelpora::WindowTraits;
namespace kit = kelpora::kit;

namespace {

constexpr int kPanelHeight = 41;
constexpr int kMargin = 8; // around the scroll area, and around the map inside it
constexpr QSize kClient(672, 631);

} // namespace

// The smallest size is given for the whole window, frame included; on the desktop it was
// drawn for that is exactly the first client size, so the window never gets smaller
// than it opens.
TMapF::TMapF(QWidget* owner)
    : KelporaWindow(owner,
        {"MapF", QStringLiteral("地図"), kClient, WindowTraits::Placement::Owner, WindowTraits::Sizing::Resizable,
            WindowTraits::TitleButtons::None, kClient})
{
    Panel1 = kit::panel(this, "Panel1", {0, 0, kClient.width(), kPanelHeight});
    Label1 = kit::label(Panel1, "Label1", QStringLiteral("地図の詳細表示"), {12, 8, 240, 25}, {16, true, {}});
    Button1 = kit::button(Panel1, "Button1", QStringLiteral("戻　る"), {kClient.width() - 104, 5, 96, 31});

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("ScrollBox1_Content"));
    Image_MM = kit::imageArea(m_content, "Image_MM", {kMargin, kMargin, 0, 0}, ImageArea::DisplayMode::AutoSize);
    m_content->resize(2 * kMargin, 2 * kMargin);
    ScrollBox1->setWidget(m_content);
    layOut();

    // A click on the scroll area's background closes, as one on the map does.
    ScrollBox1->viewport()->installEventFilter(this);
    m_content->installEventFilter(this);

    using kelpora::onEvent;
    onEvent(Button1, &QPushButton::clicked, this, &TMapF::Button1Click);
    onEvent(Image_MM, &ImageArea::clicked, this, &TMapF::Image_MMClick);
    onEvent(Image_MM, &ImageArea::decodeFailed, this,
        [](const QString& text) { kelpora::seams::messageBoxes().error(text); });
}

TMapF::~TMapF() = default;

void TMapF::layOut()
{
    Panel1->setGeometry(0, 0, width(), kPanelHeight);
    Button1->move(Panel1->width() - Button1->width() - kMargin, Button1->y());
    ScrollBox1->setGeometry(kMargin, kPanelHeight + 7, width() - 2 * kMargin, height() - kPanelHeight - 7 - 5);
}

void TMapF::resizeEvent(QResizeEvent* event)
{
    KelporaWindow::resizeEvent(event);
    layOut();
}

bool TMapF::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == ScrollBox1->viewport() || watched == m_content) && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        kelpora::guarded([this] { ScrollBox1Click(); });
        return true;
    }
    return KelporaWindow::eventFilter(watched, event);
}

void TMapF::FormShow()
{
    if (const kelpora::RecordOpener* browser = kelpora::openers::browser())
        Image_MM->setPicture(browser->mapArea()->picture());
    m_content->resize(Image_MM->width() + 2 * kMargin, Image_MM->height() + 2 * kMargin);
    Button1->setFocus();
}

void TMapF::Button1Click()
{
    closeWindow();
}

void TMapF::Image_MMClick()
{
    closeWindow();
}

void TMapF::ScrollBox1Click()
{
    closeWindow();
}
