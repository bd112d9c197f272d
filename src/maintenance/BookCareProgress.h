#pragma once

#include "bookcare/Progress.h"

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// What the user sees while a backup, a restore or an export runs on the window's own
// thread: after a moment, a progress window with the step and the records done, kept
// painted between records. Nothing can be clicked meanwhile, so nothing runs in between.
class BookCareProgress {
public:
    // total: the records the work goes through, 0 when not known beforehand.
    BookCareProgress(QWidget* owner, const QString& title, qint64 total);
    ~BookCareProgress();
    BookCareProgress(const BookCareProgress&) = delete;
    BookCareProgress& operator=(const BookCareProgress&) = delete;

    kelpora::bookcare::Progress progress();
    // How long work may run before the window appears; the tests make it 0.
    static void setShowAfter(int milliseconds);

    // The texts of the steps, for the window and the tests that look at it.
    static QString stepText(kelpora::bookcare::Progress::Step step);

private:
    void report(kelpora::bookcare::Progress::Step step, qint64 records);

    std::unique_ptr<QProgressDialog> m_dialog;
    qint64 m_total;
    QElapsedTimer m_started;
    QElapsedTimer m_painted;
};
