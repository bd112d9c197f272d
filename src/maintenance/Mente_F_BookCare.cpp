#include "maintenance/Mente_F.h"

#include "kit/Controls.h"
#include "kit/ErrorHandler.h"
#include "kit/ModalRunner.h"
#include "bookcare/BackupFolder.h"
#include "bookcare/BookBackup.h"
#include "bookcare/BookRestore.h"
#include "bookcare/ChangeStamp.h"
#include "bookcare/CsvExport.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/Seams.h"
#include "core/SqlQuery.h"
#include "maintenance/BackupList_F.h"
#include "maintenance/BookCareProgress.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStandardPaths>

namespace kit = kelpora::kit;
using kelpora::bookcare::BackupFolder;
using kelpora::bookcare::BookBackup;
using kelpora::bookcare::BookRestore;
using kelpora::bookcare::CsvExport;
using kelpora::bookcare::Progress;
using kelpora::seams::messageBoxes;

namespace {

QString count(qint64 records)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(records);
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Lets go of the book, so that the library has the file to itself: the embedded engine
// gives a file to one attachment at a time, and a restore puts another file in its
// place. Every window's rows are closed with it, so none goes on showing a book that may
// be gone; the next statement attaches again.
void releaseBook()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        for (kelpora::SqlQuery* query : window->findChildren<kelpora::SqlQuery*>())
            query->close();
    DM1->connection().close();
}

QString lastChange(const BackupFolder& folder, const QByteArray& stamp)
{
    if (const auto since = folder.unchangedSince(stamp))
        return QStringLiteral("%1 のバックアップから変わっていません").arg(TBackupListF::madeText(*since));
    if (const auto newest = folder.newestChecked())
        return QStringLiteral("%1 のバックアップより後に変わっています").arg(TBackupListF::madeText(*newest));
    return QStringLiteral("照合済みのバックアップがなく、いつ変わったかはわかりません");
}

} // namespace

void TMenteF::buildBookCare()
{
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(23, 553, 753, 2);
    Label_BookCare = kit::label(
        this, "Label_BookCare", QStringLiteral("釣果記録の保守（バックアップ・復元・書き出し）"), {23, 562, 400, 20});
    Btn_Backup = kit::button(this, "Btn_Backup", QStringLiteral("バックアップ"), {23, 586, 120, 31});
    Btn_Restore = kit::button(this, "Btn_Restore", QStringLiteral("復元"), {153, 586, 120, 31});
    Btn_Csv = kit::button(this, "Btn_Csv", QStringLiteral("ＣＳＶ出力"), {283, 586, 120, 31});

    using kelpora::onEvent;
    onEvent(Btn_Backup, &QPushButton::clicked, this, &TMenteF::Btn_BackupClick);
    onEvent(Btn_Restore, &QPushButton::clicked, this, &TMenteF::Btn_RestoreClick);
    onEvent(Btn_Csv, &QPushButton::clicked, this, &TMenteF::Btn_CsvClick);
}

// A book on a server is backed up and restored where it lies, by the server's keeper:
// its files are not this computer's to replace.
std::optional<QString> TMenteF::bookFolder()
{
    const QString book = TDM1::databasePath();
    if (!QDir::isAbsolutePath(book)) {
        messageBoxes().inform(QStringLiteral("この釣果記録はサーバー上にあるため、ここからはバックアップ・復元・"
                                             "ＣＳＶ出力ができません。サーバーの管理者にお願いしてください。"));
        return std::nullopt;
    }
    return QFileInfo(book).absolutePath();
}

// The list is shown again afterwards in any case: on the same row after a backup or an
// export, on the first row of what is now the book after a restore. A failure of the
// library is told in its own words, which say what was left as it was.
bool TMenteF::runReleased(
    const QString& title, qint64 total, const std::function<void(const Progress&)>& work, bool keepPosition)
{
    const QString position = IBSQL_Data->positionKey();
    std::optional<QString> failure;
    {
        BookCareProgress shown(this, title, total);
        releaseBook();
        try {
            work(shown.progress());
        } catch (const kelpora::Error& e) {
            failure = e.text();
        }
    }
    // Told once the progress window has gone, so the message is not half hidden by it.
    if (failure)
        messageBoxes().inform(*failure);
    const bool done = !failure;
    IBSQL_Data->close();
    if (!QFileInfo::exists(TDM1::databasePath()))
        return done; // said already, in the library's words
    IBSQL_Data->open();
    if (keepPosition)
        IBSQL_Data->gotoPositionKey(position);
    return done;
}

void TMenteF::Btn_BackupClick()
{
    const std::optional<QString> dir = bookFolder();
    if (!dir)
        return;
    BookBackup::Result result;
    const bool made = runReleased(
        QStringLiteral("バックアップ"), IBSQL_Data->rowCount(),
        [&](const Progress& progress) {
            BookBackup::Options options;
            options.progress = progress;
            result = BookBackup::run(*dir, options);
        },
        true);
    if (!made)
        return;
    QString text = QStringLiteral("バックアップを作りました（記録 %1 件、復元して照合済み）。\n\n%2")
                       .arg(count(result.records), native(result.file));
    if (!result.removed.isEmpty())
        text += QStringLiteral("\n\n古いバックアップ %1 件を削除しました。").arg(result.removed.size());
    messageBoxes().inform(text);
}

void TMenteF::Btn_RestoreClick()
{
    const std::optional<QString> dir = bookFolder();
    if (!dir)
        return;
    const BackupFolder folder(*dir);
    std::vector<BackupFolder::Entry> backups = folder.entries();
    if (backups.empty()) {
        messageBoxes().inform(QStringLiteral("バックアップがありません（%1）。").arg(native(folder.path())));
        return;
    }
    TBackupListF::Choice chosen;
    kelpora::openModal(this, BackupListF, std::move(backups), chosen);
    if (!chosen)
        return;
    if (!messageBoxes().confirm(restoreQuestion(*dir, TBackupListF::madeText(*chosen), chosen->records)))
        return;

    BookRestore::Result result;
    const bool restored = runReleased(
        QStringLiteral("復元"), std::max<qint64>(chosen->records, 0),
        [&](const Progress& progress) { result = BookRestore::run(chosen->path, *dir, progress); }, false);
    if (!restored)
        return;
    QString text = QStringLiteral("%1 のバックアップから復元しました（記録 %2 件）。")
                       .arg(TBackupListF::madeText(*chosen), count(result.records));
    if (!result.replaced.isEmpty())
        text += QStringLiteral("\n\nそれまでの釣果記録は %1 に残してあります。").arg(native(result.replaced));
    if (!result.checked)
        text += QStringLiteral("\n\nこのバックアップには照合の記録がないため、中身の照合はしていません。");
    messageBoxes().inform(text);
}

// Says what the user is about to lose and to get, read through the application's own
// connection while it still has the book.
QString TMenteF::restoreQuestion(const QString& dir, const QString& backupMade, qint64 backupRecords)
{
    const QString backup
        = QStringLiteral("バックアップ　　記録 %1（%2 に作成）")
              .arg(backupRecords < 0 ? QStringLiteral("の数は不明") : count(backupRecords) + QStringLiteral(" 件"),
                  backupMade);
    QString now = QStringLiteral("今の釣果記録　　ありません");
    if (QFileInfo::exists(TDM1::databasePath())) {
        QString changed;
        try {
            changed = lastChange(BackupFolder(dir), kelpora::bookcare::changeStamp(DM1->connection()));
        } catch (const kelpora::Error&) {
            changed = QStringLiteral("読めないため、いつ変わったかはわかりません");
        }
        now = QStringLiteral("今の釣果記録　　記録 %1 件（%2）").arg(count(IBSQL_Data->rowCount()), changed);
    }
    return QStringLiteral("今の釣果記録を、選んだバックアップの内容に置き換えます。\n\n%1\n%2\n\n"
                          "今の釣果記録は消さずに KELPORA-replaced-（日時）.FDB という名前で同じフォルダに"
                          "残します。復元してよろしいですか？")
        .arg(now, backup);
}

void TMenteF::Btn_CsvClick()
{
    const std::optional<QString> dir = bookFolder();
    if (!dir)
        return;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString suggested = QDir(folder).filePath(
        QStringLiteral("釣果記録-%1.csv").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
    const QString csv = kelpora::seams::fileDialog().saveFile(suggested, {QStringLiteral("CSV ファイル (*.csv)")});
    if (csv.isEmpty())
        return;

    CsvExport::Result result;
    const bool written = runReleased(
        QStringLiteral("ＣＳＶ出力"), IBSQL_Data->rowCount(),
        [&](const Progress& progress) { result = CsvExport::run(*dir, csv, progress); }, true);
    if (!written)
        return;
    QString text = QStringLiteral("記録 %1 件を %2 に、写真など %3 枚を %4 に書き出しました。")
                       .arg(count(result.records), native(QFileInfo(csv).absoluteFilePath()))
                       .arg(result.pictures)
                       .arg(native(result.picturesDir));
    if (!result.warnings.isEmpty())
        text += QStringLiteral("\n\n") + result.warnings.join(u'\n');
    messageBoxes().inform(text);
}
