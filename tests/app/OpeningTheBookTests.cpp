#include "browser/Fishdata_F.h"
#include "support/OpenWindow.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace kelpora::testing;

namespace {

// What the user sees when the browser is opened on a book that cannot be read: one
// message that starts with a Japanese sentence, then an empty browser that stays quiet.
QString openBrowserAndStep(ScriptedSeams& seams)
{
    OpenWindow browser(FishdataF, nullptr);
    TFishdataF& w = browser.shown();
    EXPECT_EQ(w.Edit_No->text(), QStringLiteral("0"));
    EXPECT_EQ(seams.messages.errors.size(), 1);
    w.Btn_Next->click();
    w.Btn_Last->click();
    EXPECT_EQ(seams.messages.errors.size(), 1) << qPrintable(seams.messages.errors.join(u'|'));
    EXPECT_EQ(w.Edit_No->text(), QStringLiteral("0"));
    return seams.messages.errors.value(0);
}

} // namespace

TEST(OpeningTheBook, NoBookInTheFolderIsSaidInJapaneseAndTheBrowserIsEmpty)
{
    ScriptedSeams seams;
    TempDatabase db(false);
    const QString message = openBrowserAndStep(seams);
    EXPECT_TRUE(
        message.startsWith(QStringLiteral("このフォルダーに釣果記録のデータベース (KELPORA.FDB) がありません。\n")))
        << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("KELPORA.FDB"))); // the client's own text follows
}

TEST(OpeningTheBook, AFileThatIsNotABookIsSaidInJapanese)
{
    ScriptedSeams seams;
    TempDatabase db(false);
    for (const QByteArray& content : {QByteArray(8192, 'x'), QByteArray("short")}) {
        seams.messages.errors.clear();
        QFile file(db.path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        const QString message = openBrowserAndStep(seams);
        EXPECT_TRUE(
            message.startsWith(QStringLiteral("KELPORA.FDB は釣果記録のデータベースではないか、壊れています。\n")))
            << qPrintable(message);
    }
}

TEST(OpeningTheBook, ABookThatCannotBeWrittenIsSaidInJapanese)
{
    ScriptedSeams seams;
    TempDatabase db;
    // Plain permissions do not stop the super-user; an immutable file stops everyone.
    if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), db.path()}) != 0)
        GTEST_SKIP() << "cannot make the book read-only here";
    const QString message = openBrowserAndStep(seams);
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), db.path()});
    EXPECT_TRUE(message.startsWith(QStringLiteral("KELPORA.FDB に書き込む権限がありません。\n")))
        << qPrintable(message);
}
