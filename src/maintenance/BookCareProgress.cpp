#include "maintenance/BookCareProgress.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProgressDialog>

#include <algorithm>
#include <limits>

using kelpora::bookcare::Progress;

namespace {

int g_showAfter = 400;

} // namespace

BookCareProgress::BookCareProgress(QWidget* owner, const QString& title, qint64 total)
    : m_dialog(std::make_unique<QProgressDialog>(owner)), m_total(total)
{
    m_dialog->setObjectName(QStringLiteral("BookCareProgress"));
    m_dialog->setWindowTitle(title);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    // Stopping half-way would leave nothing worth having: no cancel button.
    m_dialog->setCancelButton(nullptr);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    // Shown here, not by the dialog's own timing, which would also let clicks through
    // while the work runs.
    m_dialog->setMinimumDuration(std::numeric_limits<int>::max());
    m_dialog->setMinimumWidth(360);
    m_dialog->setWindowFlags(m_dialog->windowFlags() & ~Qt::WindowCloseButtonHint);
    m_dialog->hide();
    m_started.start();
    m_painted.start();
}

BookCareProgress::~BookCareProgress() = default;

void BookCareProgress::setShowAfter(int milliseconds)
{
    g_showAfter = milliseconds;
}

Progress BookCareProgress::progress()
{
    return {[this](Progress::Step step, qint64 records) { report(step, records); }};
}

QString BookCareProgress::stepText(Progress::Step step)
{
    switch (step) {
    case Progress::Step::Writing:
        return QStringLiteral("バックアップを書いています");
    case Progress::Step::Restoring:
        return QStringLiteral("バックアップから復元しています");
    case Progress::Step::Comparing:
        return QStringLiteral("バックアップを釣果記録と照合しています");
    case Progress::Step::Reading:
        return QStringLiteral("復元した記録を確かめています");
    case Progress::Step::Exporting:
        return QStringLiteral("ＣＳＶに書き出しています");
    }
    return {};
}

// Called for every record: the window is repainted a few times a second, not each time.
void BookCareProgress::report(Progress::Step step, qint64 records)
{
    if (m_painted.elapsed() < 50 && m_dialog->isVisible())
        return;
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    const QString done = m_total > 0
        ? QStringLiteral("%1 / %2 件").arg(japanese.toString(records), japanese.toString(m_total))
        : QStringLiteral("%1 件").arg(japanese.toString(records));
    m_dialog->setLabelText(stepText(step) + QStringLiteral("…\n") + done);
    m_dialog->setMaximum(int(std::min<qint64>(m_total, std::numeric_limits<int>::max())));
    m_dialog->setValue(int(std::min<qint64>(records, m_total > 0 ? m_total : 0)));
    if (!m_dialog->isVisible() && m_started.elapsed() >= g_showAfter)
        m_dialog->show();
    if (m_dialog->isVisible())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_painted.restart();
}
