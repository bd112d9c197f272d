#include "browser/Kensaku_F.h"

#include "browser/SearchKinds.h"
#include "core/SharedState.h"
#include "kit/Controls.h"
#include "kit/ErrorHandler.h"

#include <QLabel>
#include <QPushButton>

TKensakuF* KensakuF = nullptr;

namespace kit = kelpora::kit;

namespace {

constexpr const char* kNames[12] = {"Btn_M01", "Btn_M02", "Btn_M03", "Btn_M04", "Btn_M05", "Btn_M06", "Btn_M07",
    "Btn_M08", "Btn_M09", "Btn_M10", "Btn_M11", "Btn_M12"};

} // namespace

TKensakuF::TKensakuF(QWidget* owner) : KelporaWindow(owner, {"KensakuF", QStringLiteral("検索"), {396, 178}})
{
    Label_x26 = kit::label(this, "Label_x26", QStringLiteral("釣行月で検索します"), {18, 12, 300, 22});
    const QString captions[12] = {QStringLiteral("１"), QStringLiteral("２"), QStringLiteral("３"),
        QStringLiteral("４"), QStringLiteral("５"), QStringLiteral("６"), QStringLiteral("７"), QStringLiteral("８"),
        QStringLiteral("９"), QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12")};
    for (int i = 0; i < 12; ++i) {
        const QRect rect{18 + (i % 6) * 60, 42 + (i / 6) * 46, 54, 40};
        QPushButton* b = kit::button(this, kNames[i], captions[i], rect);
        monthButtons[size_t(i)] = b;
        kelpora::onEvent(b, &QPushButton::clicked, this, [this, b] { Btn_MonthClick(b); });
    }
    Btn_Close = kit::button(this, "Btn_Close", QStringLiteral("閉じる"), {282, 140, 96, 30});
    kelpora::onEvent(Btn_Close, &QPushButton::clicked, this, &TKensakuF::Btn_CloseClick);
}

// The month comes from the button's name, so "10" to "12" and the full-width "１" to
// "９" of the captions all give the same two-digit form.
void TKensakuF::Btn_MonthClick(QPushButton* button)
{
    Serch_Kind = kelpora::search::kMonth;
    Serch_Tuki = button->objectName().right(2);
    closeWindow();
}

void TKensakuF::Btn_CloseClick()
{
    Serch_Kind = kelpora::search::kNone;
    closeWindow(QDialog::Rejected);
}
