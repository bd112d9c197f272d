#include "core/DM_1.h"
#include "core/SqlQuery.h"
#include "maintenance/BackupList_F.h"
#include "maintenance/BookCareProgress.h"
#include "maintenance/Mente_F.h"
#include "support/OpenWindow.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace kelpora::testing;

namespace {

class BookCare : public ::testing::Test {
protected:
    void SetUp() override
    {
        BookCareProgress::setShowAfter(0); // the progress window is shown and painted too
        insertMinimal(db.dm(), 10, QStringLiteral("館山"), QStringLiteral("アジ"));
        insertRecord(db.dm(),
            {{QStringLiteral("CODENO"), 20}, {QStringLiteral("BASYO"), QStringLiteral("富津")},
                {QStringLiteral("PHOTO1"), QByteArray("\xFF\xD8 photo bytes")}});
        insertMinimal(db.dm(), 30, QStringLiteral("洲崎"), QStringLiteral("メバル"));
        window.emplace(MenteF, nullptr);
        window->shown();
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    int listed() const { return MenteF->DBGrid_Data->model()->rowCount(); }
    QStringList replacedBooks() const
    {
        return QDir(db.dir()).entryList({QStringLiteral("KELPORA-replaced-*.FDB")}, QDir::Files);
    }

    // The restore list is driven by the script: the row, then 復　元 (or 戻　る).
    void chooseBackup(int row, bool restore = true)
    {
        seams.modal.scripts.push_back([this, row, restore](QDialog& d) {
            auto& list = dynamic_cast<TBackupListF&>(d);
            const QTableView* grid = list.DBGrid_Backup;
            for (int r = 0; r < grid->model()->rowCount(); ++r)
                shownList << grid->model()->index(r, 1).data().toString() + u'|'
                        + grid->model()->index(r, 2).data().toString();
            const QRect cell = grid->visualRect(grid->model()->index(row, 0));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseClick(restore ? list.Btn_Fukugen : list.Btn_Return, Qt::LeftButton);
            return d.result();
        });
    }

    ScriptedSeams seams;
    TempDatabase db;
    std::optional<OpenWindow<TMenteF>> window;
    QStringList shownList; // records and check of each backup the list showed
};

// Every file under dir, by its path inside dir, with the hash of its bytes.
QStringList filesOf(const QString& dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        out << QDir(dir).relativeFilePath(f.fileName()) + u' '
                + QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
    }
    out.sort();
    return out;
}

} // namespace

TEST_F(BookCare, ABackupMadeFromTheWindowIsListedForARestoreWithItsRecords)
{
    click(MenteF->Btn_Restore);
    ASSERT_EQ(seams.messages.informed.size(), 1);
    EXPECT_TRUE(seams.messages.informed[0].startsWith(QStringLiteral("バックアップがありません")));

    click(MenteF->Btn_Backup);
    ASSERT_EQ(seams.messages.informed.size(), 2);
    const QStringList made = QDir(db.dir() + QStringLiteral("/backups")).entryList({QStringLiteral("*.fbk")});
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(seams.messages.informed[1].contains(QStringLiteral("記録 3 件")));
    EXPECT_TRUE(seams.messages.informed[1].contains(made[0])); // says where it lies
    EXPECT_EQ(listed(), 3); // the list is back

    chooseBackup(0, false);
    click(MenteF->Btn_Restore);
    EXPECT_EQ(shownList, QStringList{QStringLiteral("3 件|済")});
    EXPECT_TRUE(seams.messages.questions.isEmpty());
    EXPECT_TRUE(replacedBooks().isEmpty());
}

TEST_F(BookCare, ARestoreWhileTheWindowHoldsTheBookBringsBackTheBackupsRecords)
{
    click(MenteF->Btn_Backup);
    insertMinimal(db.dm(), 40, QStringLiteral("布良"));
    insertMinimal(db.dm(), 50, QStringLiteral("白浜"));
    MenteF->IBSQL_Data->close();
    MenteF->IBSQL_Data->open();
    ASSERT_EQ(listed(), 5);

    chooseBackup(0);
    click(MenteF->Btn_Restore); // answered "no": nothing happens
    ASSERT_EQ(seams.messages.questions.size(), 1);
    const QString question = seams.messages.questions[0];
    EXPECT_TRUE(question.contains(QStringLiteral("記録 5 件"))) << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("記録 3 件")));
    EXPECT_TRUE(question.contains(QStringLiteral("より後に変わっています")));
    EXPECT_EQ(TempDatabase::countRows(db.path()), 5);

    chooseBackup(0);
    seams.messages.answers.push_back(true);
    click(MenteF->Btn_Restore);
    EXPECT_EQ(listed(), 3); // a fresh list of the book as it now is
    EXPECT_EQ(MenteF->DBGrid_Data->currentIndex().row(), 0);
    ASSERT_EQ(replacedBooks().size(), 1);
    EXPECT_TRUE(seams.messages.informed.last().contains(replacedBooks()[0]));
    EXPECT_EQ(TempDatabase::countRows(db.path()), 3);
    EXPECT_EQ(TempDatabase::countRows(db.dir() + u'/' + replacedBooks()[0]), 5); // kept aside whole

    // The application's next statement attaches to the restored book and writes there.
    insertMinimal(db.dm(), 60);
    EXPECT_EQ(TempDatabase::countRows(db.path()), 4);

    // A book unchanged since its newest backup is told so.
    db.dm().connection().close();
    click(MenteF->Btn_Backup);
    seams.messages.questions.clear();
    chooseBackup(0);
    click(MenteF->Btn_Restore);
    ASSERT_EQ(seams.messages.questions.size(), 1);
    EXPECT_TRUE(seams.messages.questions[0].contains(QStringLiteral("のバックアップから変わっていません")));
}

TEST_F(BookCare, ADamagedBackupIsRefusedAndTheBookStaysAsItWas)
{
    click(MenteF->Btn_Backup);
    const QString backup = seams.messages.informed.last().section(u'\n', -1);
    QFile file(backup);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)) << backup.toStdString();
    file.resize(file.size() / 2);
    file.close();

    chooseBackup(0);
    seams.messages.answers.push_back(true);
    click(MenteF->Btn_Restore);
    EXPECT_TRUE(seams.messages.informed.last().contains(QStringLiteral("釣果記録は元のままです")))
        << seams.messages.informed.last().toStdString();
    EXPECT_TRUE(replacedBooks().isEmpty());
    EXPECT_EQ(listed(), 3);
    EXPECT_EQ(TempDatabase::countRows(db.path()), 3);
}

TEST_F(BookCare, TheExportWritesTheSameFilesAsTheTool)
{
    QTemporaryDir fromWindow, fromTool;
    const QString csv = fromWindow.filePath(QStringLiteral("fish.csv"));
    click(MenteF->Btn_Csv); // cancelled: nothing written, nothing said
    EXPECT_TRUE(seams.messages.informed.isEmpty());

    // While the work runs the window is kept painted under a progress window with the count.
    QString shownWhileWorking;
    QTimer::singleShot(0, [&shownWhileWorking] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible())
                shownWhileWorking = p->windowTitle() + u'|' + p->labelText();
    });
    seams.fileDialog.answers.push_back(csv);
    click(MenteF->Btn_Csv);
    EXPECT_TRUE(shownWhileWorking.startsWith(QStringLiteral("ＣＳＶ出力|ＣＳＶに書き出しています…\n")));
    EXPECT_TRUE(shownWhileWorking.endsWith(QStringLiteral(" / 3 件"))) << shownWhileWorking.toStdString();
    ASSERT_EQ(seams.messages.informed.size(), 1);
    EXPECT_TRUE(seams.messages.informed[0].contains(QStringLiteral("記録 3 件")))
        << seams.messages.informed[0].toStdString();
    EXPECT_EQ(listed(), 3);

    // The tool finds the book let go of only once the application has closed it.
    db.dm().connection().close();
    MenteF->IBSQL_Data->close();
    QProcess tool;
    tool.start(QStringLiteral(KELPORA_EXPORT_PATH), {db.dir(), fromTool.filePath(QStringLiteral("fish.csv"))});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_EQ(filesOf(fromWindow.path()).size(), 2); // the CSV and the one photo
    EXPECT_EQ(filesOf(fromWindow.path()), filesOf(fromTool.path()));

    // An existing file is refused in the library's words, and the list comes back.
    seams.fileDialog.answers.push_back(csv);
    click(MenteF->Btn_Csv);
    EXPECT_TRUE(seams.messages.informed.last().contains(QStringLiteral("上書きはしません")));
    EXPECT_EQ(listed(), 3);
}
