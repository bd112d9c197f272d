#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <utility>

namespace kelpora::seams {

// How a child window is shown modally. Production runs the dialog's own loop;
// tests drive the dialog and return without one.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual int exec(QDialog& dialog) = 0;
};

ModalRunner& modalRunner();
void setModalRunner(ModalRunner* impl); // nullptr: back to QDialog::exec()

} // namespace kelpora::seams

namespace kelpora {

// The opening convention: create with the opener as owner, publish the window
// reference, show modally, then destroy the child and clear the reference, also
// when an error escapes the child.
template <class Window, class... Args> int openModal(QWidget* owner, Window*& reference, Args&&... args)
{
    struct Cleanup {
        Window*& ref;
        ~Cleanup()
        {
            delete ref;
            ref = nullptr;
        }
    } cleanup{reference};
    reference = new Window(owner, std::forward<Args>(args)...);
    return seams::modalRunner().exec(*reference);
}

} // namespace kelpora
