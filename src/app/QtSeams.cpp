#include "app/QtSeams.h"

#include "app/SignalShutdown.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

namespace {

using namespace kelpora::seams;

QWidget* activeWindow()
{
    return QApplication::activeWindow();
}

// Every box carries the application's name as the user knows it.
const QString kBoxTitle = QStringLiteral("釣果記録");

class QtMessageBoxes final : public MessageBoxes {
public:
    void inform(const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, kBoxTitle, text, QMessageBox::Ok, activeWindow());
        box.exec();
    }
    void error(const QString& text) override
    {
        QMessageBox box(QMessageBox::Critical, kBoxTitle, text, QMessageBox::Ok, activeWindow());
        box.exec();
    }
    // Every question guards something that cannot be undone, so Enter or Escape
    // pressed without reading answers "いいえ".
    bool confirm(const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, kBoxTitle, text, QMessageBox::Yes | QMessageBox::No, activeWindow());
        box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
        box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }
};

class QtFileDialog final : public FileDialog {
public:
    QString openPicture(const QStringList& filters) override
    {
        // Qt's own dialog, which speaks the application's Japanese whatever the desktop's
        // language; a desktop's native one would follow the desktop.
        return QFileDialog::getOpenFileName(activeWindow(), QString(), QString(), filters.join(QStringLiteral(";;")),
            nullptr, QFileDialog::DontUseNativeDialog);
    }
    QString savePicture(const QString& suggested, const QStringList& filters) override
    {
        return QFileDialog::getSaveFileName(activeWindow(), QString(), suggested, filters.join(QStringLiteral(";;")));
    }
};

class QtClipboard final : public Clipboard {
public:
    void clear() override { QApplication::clipboard()->clear(); }
    std::optional<QImage> bitmap() override
    {
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        if (!mime || !mime->hasImage())
            return std::nullopt;
        QImage image = qvariant_cast<QImage>(mime->imageData());
        if (image.isNull())
            return std::nullopt;
        return image;
    }
    std::optional<QImage> picture() override
    {
        QImage image = QApplication::clipboard()->image();
        if (image.isNull())
            return std::nullopt;
        return image;
    }
};

class QtExternalProgram final : public ExternalProgram {
public:
    QString locate(const QString& program) override
    {
        const QString onPath = QStandardPaths::findExecutable(program);
        if (!onPath.isEmpty())
            return onPath;
        const QFileInfo here(QDir::current(), program);
        if (here.isFile() && here.isExecutable())
            return here.absoluteFilePath();
        return {};
    }
    bool runAndWait(const QString& path, const std::function<void()>& started) override
    {
        QProcess process;
        process.setChildProcessModifier([] { kelpora::SignalShutdown::unblockSignals(); });
        process.start(path, {});
        if (!process.waitForStarted())
            return false;
        if (started)
            started();
        // Keep the windows painted while the user works in the other program.
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        return true;
    }
};

} // namespace

struct QtSeams::Impl {
    QtMessageBoxes messages;
    QtFileDialog fileDialog;
    QtClipboard clipboard;
    QtExternalProgram program;
};

QtSeams::QtSeams() : d(std::make_unique<Impl>())
{
    setMessageBoxes(&d->messages);
    setFileDialog(&d->fileDialog);
    setClipboard(&d->clipboard);
    setExternalProgram(&d->program);
}

QtSeams::~QtSeams()
{
    setMessageBoxes(nullptr);
    setFileDialog(nullptr);
    setClipboard(nullptr);
    setExternalProgram(nullptr);
}
