#pragma once

#include <QApplication>

// The application object. Its notify() is the last line of the default error
// handler: an error that reaches it is shown and the event loop carries on.
class KelporaApplication : public QApplication {
    Q_OBJECT
public:
    KelporaApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Text set in the Windows font must render Japanese here too.
    static void installJapaneseFont();
};
