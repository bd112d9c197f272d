#include "bookcare/BookBackup.h"
#include "bookcare/BookRestore.h"
#include "bookcare/CsvExport.h"
#include "bookcare/DemoData.h"
#include "core/DM_1.h"
#include "support/TempDatabase.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using kelpora::bookcare::Progress;

// A window follows long book care by these reports; each step must reach the last record.
TEST(BookCareProgress, BackupRestoreAndExportTellEachStepUpToTheLastRecord)
{
    kelpora::testing::TempDatabase db;
    kelpora::bookcare::DemoOptions demo;
    demo.records = 450;
    demo.pictures = [](int) { return kelpora::bookcare::DemoPictures{}; };
    kelpora::bookcare::writeDemoRecords(db.dm().connection(), demo);
    db.dm().connection().close();

    std::map<Progress::Step, qint64> reached;
    const Progress progress{[&reached](Progress::Step step, qint64 records) {
        EXPECT_GE(records, reached[step]); // never backwards
        reached[step] = records;
    }};
    using Step = Progress::Step;
    kelpora::bookcare::BookBackup::Options options;
    options.progress = progress;
    const auto backup = kelpora::bookcare::BookBackup::run(db.dir(), options);
    EXPECT_EQ(reached, (std::map<Step, qint64>{{Step::Writing, 450}, {Step::Restoring, 450}, {Step::Comparing, 450}}));

    reached.clear();
    kelpora::bookcare::BookRestore::run(backup.file, db.dir(), progress);
    EXPECT_EQ(reached, (std::map<Step, qint64>{{Step::Restoring, 450}, {Step::Reading, 450}}));

    reached.clear();
    QTemporaryDir out;
    kelpora::bookcare::CsvExport::run(db.dir(), out.filePath(QStringLiteral("all.csv")), progress);
    EXPECT_EQ(reached, (std::map<Step, qint64>{{Step::Exporting, 450}}));
}
