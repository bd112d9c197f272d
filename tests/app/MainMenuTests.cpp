#include "app/Main_F.h"
#include "core/Error.h"
#include "core/SharedState.h"
#include "kit/ErrorHandler.h"
#include "kit/ModalRunner.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using kelpora::testing::ScriptedSeams;

namespace {

class TProbeF : public QDialog {
public:
    explicit TProbeF(QWidget* owner) : QDialog(owner) { ++alive; }
    ~TProbeF() override { --alive; }
    static inline int alive = 0;
};

TProbeF* ProbeF = nullptr;

} // namespace

TEST(MainMenu, ShowsTitleVersionAndSetsOldMode)
{
    ScriptedSeams seams;
    kelpora::testing::TempDatabase db;
    resetSharedState();
    TMainF menu;
    EXPECT_EQ(menu.windowTitle(), QStringLiteral("釣果記録"));
    EXPECT_EQ(menu.size(), QSize(395, 270));
    EXPECT_EQ(menu.minimumSize(), menu.maximumSize());
    EXPECT_EQ(Mode_Flg, QString());
    menu.show();
    EXPECT_EQ(Mode_Flg, QStringLiteral("OLD_Flg"));
    EXPECT_EQ(menu.findChild<QLabel*>(QStringLiteral("Label6"))->text(),
        QStringLiteral("Ver %1").arg(QStringLiteral(KELPORA_VERSION)));
    EXPECT_EQ(QString::fromLatin1(KELPORA_VERSION).count(u'.'), 3);
    EXPECT_EQ(menu.findChild<QPushButton*>(QStringLiteral("Btn_Data_Out"))->text(), QStringLiteral("ＤＡＴＡ　表示"));

    menu.findChild<QPushButton*>(QStringLiteral("Btn_Data_In"))->click();
    EXPECT_EQ(Mode_Flg, QStringLiteral("NEW_Flg"));
    EXPECT_EQ(seams.modal.opened, QStringList{QStringLiteral("FishDataIn")});
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST(ModalConvention, AChildThatThrowsIsDestroyedAndTheNextOpenIsFresh)
{
    ScriptedSeams seams;
    QWidget owner;
    TProbeF* seenFirst = nullptr;
    seams.modal.scripts.push_back([&](QDialog& d) -> int {
        seenFirst = ProbeF;
        EXPECT_EQ(&d, ProbeF);
        EXPECT_EQ(d.parent(), &owner);
        throw std::runtime_error("child failed");
    });
    kelpora::guarded([&] { kelpora::openModal(&owner, ProbeF); });
    EXPECT_NE(seenFirst, nullptr);
    EXPECT_EQ(ProbeF, nullptr);
    EXPECT_EQ(TProbeF::alive, 0);
    EXPECT_EQ(seams.messages.errors, QStringList{QStringLiteral("child failed")});

    bool sawFresh = false;
    seams.modal.scripts.push_back([&](QDialog&) {
        sawFresh = ProbeF != nullptr && TProbeF::alive == 1;
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(kelpora::openModal(&owner, ProbeF), int(QDialog::Accepted));
    EXPECT_TRUE(sawFresh);
    EXPECT_EQ(ProbeF, nullptr);
}

TEST(DefaultErrorHandler, ReportsAndTheSignalHandlerEndsQuietly)
{
    ScriptedSeams seams;
    QPushButton button;
    struct Receiver : QObject {
        int steps = 0;
        void handler()
        {
            ++steps;
            throw kelpora::DbError(QStringLiteral("接続できません"));
        }
    } receiver;
    kelpora::onEvent(&button, &QPushButton::clicked, &receiver, &Receiver::handler);
    button.click();
    button.click();
    EXPECT_EQ(receiver.steps, 2);
    EXPECT_EQ(seams.messages.errors.size(), 2);
    EXPECT_EQ(seams.messages.errors.value(0), QStringLiteral("接続できません"));
}
