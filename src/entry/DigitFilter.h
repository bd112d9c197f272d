#pragma once

#include <QString>

class QKeyEvent;

namespace kelpora {

// What a digit field lets through as it is typed. Only typing is filtered: text pasted
// from the context menu goes in as it is, and the insert checks it.
class DigitFilter {
public:
    DigitFilter() = delete;

    static const QString& digits(); // hours, minutes, sizes and counts
    static const QString& digitsAndPoint(); // heights

    // Whether a key typed into a field that takes `allowed` must be dropped: every
    // character but those, full-width digits and Ctrl+V included. Backspace, Escape,
    // Enter, Tab and the keys that type nothing (arrows, Delete) pass.
    static bool drops(const QString& allowed, const QKeyEvent& key);
    // The same for a string an input method commits.
    static bool drops(const QString& allowed, const QString& committed);
};

} // namespace kelpora
