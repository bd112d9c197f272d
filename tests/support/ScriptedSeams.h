#pragma once

#include "app/ModalRunner.h"
#include "core/Seams.h"

#include <QStringList>

#include <deque>
#include <functional>

namespace kelpora::testing {

// Seams that answer from a script and remember what they were asked.
class ScriptedMessages final : public seams::MessageBoxes {
public:
    void inform(const QString& text) override { informed << text; }
    void error(const QString& text) override { errors << text; }
    bool confirm(const QString& text) override;

    QStringList informed;
    QStringList errors;
    QStringList questions;
    std::deque<bool> answers; // empty: "no"
};

class ScriptedFileDialog final : public seams::FileDialog {
public:
    QString openPicture(const QStringList& filters) override;
    QString savePicture(const QString& suggested, const QStringList& filters) override;

    std::deque<QString> answers; // empty: cancelled
    QStringList lastFilters;
};

class ScriptedClipboard final : public seams::Clipboard {
public:
    void clear() override;
    std::optional<QImage> bitmap() override { return bitmapImage; }
    std::optional<QImage> picture() override { return pictureImage; }

    std::optional<QImage> bitmapImage;
    std::optional<QImage> pictureImage;
    int clears = 0;
};

class ScriptedProgram final : public seams::ExternalProgram {
public:
    QString locate(const QString& program) override;
    bool runAndWait(const QString& path, const std::function<void()>& startedCallback) override;

    QStringList located; // every name looked up
    QStringList started; // every path run, also when it failed to start
    std::function<void()> whileRunning;
    bool installed = true; // false: locate finds nothing
    bool canStart = true;
};

// Shows the dialog (so its show handler runs), lets the next script drive it, and
// returns what the script returns; with no script the dialog is simply closed. The
// window that was active before is activated again afterwards, as the desktop does.
class ScriptedModal final : public seams::ModalRunner {
public:
    int exec(QDialog& dialog) override;

    std::deque<std::function<int(QDialog&)>> scripts;
    QStringList opened; // objectName of each dialog run
};

class ScriptedSeams {
public:
    ScriptedSeams();
    ~ScriptedSeams();
    ScriptedSeams(const ScriptedSeams&) = delete;
    ScriptedSeams& operator=(const ScriptedSeams&) = delete;

    ScriptedMessages messages;
    ScriptedFileDialog fileDialog;
    ScriptedClipboard clipboard;
    ScriptedProgram program;
    ScriptedModal modal;
};

} // namespace kelpora::testing
