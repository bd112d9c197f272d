#pragma once

#include "core/SharedState.h"
#include "entry/Fish_Data_IN.h"
#include "support/OpenWindow.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace kelpora::testing {

// A picture with a line across, so encoders have something to keep.
inline QImage drawing(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    for (int x = 0; x < width; ++x)
        image.setPixelColor(x, x * height / width, Qt::black);
    return image;
}

// A file in the test's current (temporary) folder.
inline QString writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = QDir::current().absoluteFilePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

// Object names and kinds are plain ASCII.
inline QStringList names(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* name : list)
        out << QLatin1String(name);
    return out;
}

// An entry window on a fresh book, shown and active as the user sees it, with every
// modal child, message box and dialog answered by script.
class EntryFixture : public ::testing::Test {
protected:
    void SetUp() override { open(); }

    void open()
    {
        window.emplace(FishDataIn, nullptr);
        w = &window->shown();
        activate();
    }

    // Back to the entry window, as the desktop does once a child window has closed.
    void activate()
    {
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }

    QString focused() const
    {
        QWidget* f = w->focusWidget();
        return f ? f->objectName() : QString();
    }

    void enter() { QTest::keyClick(w->focusWidget(), Qt::Key_Return); }

    // The next value picker answers with `value`, typed as a new value; the kind it was
    // opened for is remembered in `pickedKinds`.
    void answerPicker(const QString& value)
    {
        seams.modal.scripts.push_back([this, value](QDialog& picker) {
            pickedKinds << Sel_Kind;
            auto* edit = picker.findChild<QLineEdit*>(QStringLiteral("Edit_NEW"));
            if (!value.isEmpty())
                typeText(edit, value);
            QTest::keyClick(edit, Qt::Key_Return);
            return 1;
        });
    }

    void retype(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        if (!text.isEmpty())
            typeText(edit, text);
    }

    ScriptedSeams seams;
    TempDatabase db;
    std::optional<OpenWindow<TFishDataIn>> window;
    TFishDataIn* w = nullptr;
    QStringList pickedKinds;
};

} // namespace kelpora::testing
