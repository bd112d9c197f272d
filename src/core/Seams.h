#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The few places where the application meets the person or the desktop. Production
// installs the Qt implementations at start-up; tests install scripted ones, so no
// test ever waits on a modal loop.
namespace kelpora::seams {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A plain box with an OK button.
    virtual void inform(const QString& text) = 0;
    // What the default error handler shows.
    virtual void error(const QString& text) = 0;
    // A yes/no question; true for yes.
    virtual bool confirm(const QString& text) = 0;
};

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // filters are "Description (*.ext)" entries in order; empty result: cancelled.
    virtual QString openPicture(const QStringList& filters) = 0;
    // Where to write a picture, `suggested` offered as the name; empty: cancelled.
    virtual QString savePicture(const QString& suggested, const QStringList& filters) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    // The clipboard's bitmap format only.
    virtual std::optional<QImage> bitmap() = 0;
    // The first format the toolkit can take as a picture.
    virtual std::optional<QImage> picture() = 0;
};

class ExternalProgram {
public:
    virtual ~ExternalProgram() = default;
    // The program's full path, looked up first on PATH, then in the current directory;
    // empty when it is in neither.
    virtual QString locate(const QString& program) = 0;
    // Starts the program at `path`, calls `started` once it runs, and returns once it
    // has ended, keeping windows painted. False when it could not be started; `started`
    // is then never called, so whatever it would undo stays as it was.
    virtual bool runAndWait(const QString& path, const std::function<void()>& started) = 0;
};

MessageBoxes& messageBoxes();
FileDialog& fileDialog();
Clipboard& clipboard();
ExternalProgram& externalProgram();

// The seam objects are not owned; passing nullptr restores the fallback, which
// writes messages to stderr and answers every question with "no"/"nothing".
void setMessageBoxes(MessageBoxes* impl);
void setFileDialog(FileDialog* impl);
void setClipboard(Clipboard* impl);
void setExternalProgram(ExternalProgram* impl);

} // namespace kelpora::seams
