#include "support/ScriptedSeams.h"

#include <QApplication>
#include <QPointer>

namespace kelpora::testing {

bool ScriptedMessages::confirm(const QString& text)
{
    questions << text;
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QString ScriptedFileDialog::openPicture(const QStringList& filters)
{
    lastFilters = filters;
    if (answers.empty())
        return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}

QString ScriptedFileDialog::savePicture(const QString&, const QStringList& filters)
{
    return openPicture(filters);
}

void ScriptedClipboard::clear()
{
    ++clears;
    bitmapImage.reset();
    pictureImage.reset();
}

QString ScriptedProgram::locate(const QString& program)
{
    located << program;
    return installed ? QStringLiteral("/scripted/bin/") + program : QString();
}

bool ScriptedProgram::runAndWait(const QString& path, const std::function<void()>& startedCallback)
{
    started << path;
    if (!canStart)
        return false;
    if (startedCallback)
        startedCallback();
    if (whileRunning)
        whileRunning();
    return true;
}

int ScriptedModal::exec(QDialog& dialog)
{
    const QPointer<QWidget> returnTo = QApplication::activeWindow();
    opened << dialog.objectName();
    dialog.show();
    QCoreApplication::processEvents();
    int result = QDialog::Rejected;
    if (!scripts.empty()) {
        auto script = std::move(scripts.front());
        scripts.pop_front();
        result = script(dialog);
    }
    dialog.hide();
    // As the desktop does: the window that was active before gets the focus back.
    if (returnTo) {
        returnTo->activateWindow();
        QCoreApplication::processEvents();
    }
    return result;
}

ScriptedSeams::ScriptedSeams()
{
    seams::setMessageBoxes(&messages);
    seams::setFileDialog(&fileDialog);
    seams::setClipboard(&clipboard);
    seams::setExternalProgram(&program);
    seams::setModalRunner(&modal);
}

ScriptedSeams::~ScriptedSeams()
{
    seams::setMessageBoxes(nullptr);
    seams::setFileDialog(nullptr);
    seams::setClipboard(nullptr);
    seams::setExternalProgram(nullptr);
    seams::setModalRunner(nullptr);
}

} // namespace kelpora::testing
