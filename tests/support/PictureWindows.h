#pragma once

#include "browser/Fishdata_F.h"
#include "support/OpenWindow.h"

#include <QByteArray>
#include <QPushButton>
#include <QString>
#include <QTest>

#include <optional>
#include <stdexcept>
#include <string>

class TDM1;

// What the tests of the photo and map windows share: the browser they are opened from,
// and a look at the stored columns from outside the application's own connection.
namespace kelpora::testing {

// A control of a window, found as the user sees it: by its name.
template <class T = QWidget> T* named(const QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("no control named ") + name);
    return found;
}

inline void click(const QObject* window, const char* button)
{
    QTest::mouseClick(named<QPushButton>(window, button), Qt::LeftButton);
}

inline void doubleClick(const QObject* window, const char* control)
{
    QWidget* w = named(window, control);
    QTest::mouseDClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
}

// The browser as the user has it open, on its last record.
class ShownBrowser {
public:
    ShownBrowser() : m_window(FishdataF, nullptr) { m_window.shown(); }
    TFishdataF& operator*() const { return *m_window; }
    TFishdataF* operator->() const { return m_window.get(); }
    TFishdataF* get() const { return m_window.get(); }

private:
    OpenWindow<TFishdataF> m_window;
};

// The bytes of one picture column as they are in the file, read over a connection of
// its own, so only committed data counts; nullopt for NULL.
std::optional<QByteArray> storedBlob(const QString& dbPath, int code, const QString& column);
QString storedText(const QString& dbPath, int code, const QString& column);

// From now on every update of FISH_DATA is refused by the server.
void refuseUpdates(TDM1& dm);

} // namespace kelpora::testing
