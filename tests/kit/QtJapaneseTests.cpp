#include "kit/QtSeams.h"
#include "core/Seams.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Text a Japanese user reads: something beyond ASCII, whatever shortcut marks it carries.
bool japanese(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0x7F; });
}

template <class W, class F> void whenShown(F check)
{
    QTimer::singleShot(0, [check] {
        auto* shown = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!shown) {
            ADD_FAILURE() << "nothing shown";
            return;
        }
        check(*shown);
        shown->reject();
    });
}

} // namespace

TEST(QtJapanese, TheEditMenuTheFileDialogAndTheMessageBoxesSpeakJapanese)
{
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            EXPECT_TRUE(japanese(action->text())) << qPrintable(action->text());
        }
    }

    QtSeams seams;
    whenShown<QFileDialog>([](QFileDialog& dialog) {
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->isVisible() && !button->text().isEmpty()) {
                EXPECT_TRUE(japanese(button->text())) << qPrintable(button->text());
            }
        }
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->isVisible() && !label->text().isEmpty()) {
                EXPECT_TRUE(japanese(label->text())) << qPrintable(label->text());
            }
        }
    });
    EXPECT_EQ(kelpora::seams::fileDialog().openPicture({QStringLiteral("JPEG イメージファイル (*.jpg)")}), QString());

    whenShown<QMessageBox>([](QMessageBox& box) { EXPECT_EQ(box.windowTitle(), QStringLiteral("釣果記録")); });
    kelpora::seams::messageBoxes().inform(QStringLiteral("入力完了"));
    whenShown<QMessageBox>([](QMessageBox& box) { EXPECT_EQ(box.windowTitle(), QStringLiteral("釣果記録")); });
    kelpora::seams::messageBoxes().error(QStringLiteral("失敗しました"));
}
