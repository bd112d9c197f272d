#include "support/ScriptedSeams.h"

#include <QCoreApplication>

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

void ScriptedClipboard::clear()
{
    ++clears;
    bitmapImage.reset();
    pictureImage.reset();
}

bool ScriptedProgram::runAndWait(const QString& program)
{
    started << program;
    if (!canStart)
        return false;
    if (whileRunning)
        whileRunning();
    return true;
}

int ScriptedModal::exec(QDialog& dialog)
{
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
