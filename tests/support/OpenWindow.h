#pragma once

#include <QWidget>

#include <utility>

namespace kelpora::testing {

// A window made for one test and published in its global reference, as the opening
// convention does, so the windows it opens can read it; both are undone at the end.
template <class W> class OpenWindow {
public:
    template <class... Args> explicit OpenWindow(W*& reference, Args&&... args) : m_reference(reference)
    {
        m_reference = new W(std::forward<Args>(args)...);
    }
    ~OpenWindow()
    {
        delete m_reference;
        m_reference = nullptr;
    }
    OpenWindow(const OpenWindow&) = delete;
    OpenWindow& operator=(const OpenWindow&) = delete;

    W* get() const { return m_reference; }
    W* operator->() const { return m_reference; }
    W& operator*() const { return *m_reference; }

    // Shows it as a modal window would be, so its show steps run.
    W& shown()
    {
        m_reference->show();
        return *m_reference;
    }

private:
    W*& m_reference;
};

} // namespace kelpora::testing
