#pragma once

#include <QString>

class QInputMethodEvent;
class QKeyEvent;
class QWidget;

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

    // What the date field takes from an input method: digits, the separators and the
    // year, month and day signs that Enter understands.
    static const QString& dateCharacters();
    // What an input method's commit leaves in a field that takes `allowed`: full-width
    // digits and signs, as Japanese input types them, become their ASCII forms where the
    // field takes those; every other character is dropped, as typed keys are.
    static QString narrowed(const QString& allowed, const QString& committed);
    // A commit that narrowed() changes is sent to `field` again with what is left, and
    // true says the original must be dropped; other commits pass as they are.
    static bool retypeCommit(QWidget* field, const QInputMethodEvent& event, const QString& allowed);
};

} // namespace kelpora
