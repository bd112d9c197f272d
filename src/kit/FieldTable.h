#pragma once

#include "kit/Controls.h"

#include <QByteArray>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRect>
#include <QString>
#include <QStringList>

#include <map>
#include <span>

namespace kelpora {
class SqlQuery;
}

// A window's record fields as data: one table of (member, object name, column,
// rectangle, input method, how shown, how bound, caption) drives building the controls
// and their captions, the clear routine, the display routine and the binding of a
// statement, so that the column list is written once per window. What a field is called
// in messages, and how many bytes it takes, the catalogue of columns says.
namespace kelpora::kit {

// How the display routine fills a field from the current row.
enum class Shown {
    None, // not filled from the row
    Text, // text; NULL shows empty
    Integer, // decimal; NULL leaves the field empty
    AlwaysInteger, // decimal, NULL read as 0 (the record number)
    Memo, // lines split at CR LF
};

// How a statement's parameter par<COLUMN> is bound from the field.
enum class Bound {
    None, // not bound by the table (the window binds it itself)
    Text, // always, also when empty
    TextOrNull, // NULL when empty
    IntegerOrNull, // a decimal integer with an optional sign; NULL when empty
    Integer, // a decimal integer, always
    MemoOrNull, // lines joined by CR LF; NULL when empty
};

// The label beside a field. A named one is one the window or its tests find again; a
// marked one is shown in the font the window gives build() for marked captions.
struct Caption {
    const char* text = nullptr; // UTF-8; nullptr: the field has no caption of its own
    QRect rect;
    const char* name = nullptr;
    bool marked = false;
};

template <class W> struct Field {
    QLineEdit* W::*edit = nullptr;
    QPlainTextEdit* W::*memo = nullptr;
    QComboBox* W::*combo = nullptr;
    const char* name = nullptr;
    const char* column = nullptr; // FISH_DATA column, or nullptr
    QRect rect;
    InputMethod input = InputMethod::Off;
    Shown shown = Shown::None;
    Bound bound = Bound::None;
    Caption caption;
    // For a field without a column only: what messages call it (UTF-8).
    const char* label = nullptr;

    QWidget* widget(const W& w) const
    {
        if (edit)
            return w.*edit;
        if (memo)
            return w.*memo;
        return w.*combo;
    }
};

template <class W> using FieldTable = std::span<const Field<W>>;

// The text a control holds, memos with CR LF between their lines as stored.
QString storedText(const QLineEdit* edit);
QString storedText(const QPlainTextEdit* memo);
QString storedText(const QComboBox* combo);
void showStored(QLineEdit* edit, const QString& text);
void showStored(QPlainTextEdit* memo, const QString& text);
void showStored(QComboBox* combo, const QString& text);

// The bytes each text field was filled with, so that a field the user did not touch is
// written back exactly as it was read: bytes that are not valid Shift-JIS, and the NEC
// and IBM duplicate codes, survive a correction of another field.
class ReadBack {
public:
    void clear() { m_fields.clear(); }
    void remember(const QWidget* field, const QByteArray& bytes, const QString& shown);
    // The stored bytes when `current` is still what was shown; otherwise null.
    QByteArray unchanged(const QWidget* field, const QString& current) const;

private:
    struct Read {
        QByteArray bytes;
        QString shown;
    };
    std::map<const QWidget*, Read> m_fields;
};

// The untyped core of the table operations; the templates below only look up members.
struct FieldRef {
    QWidget* widget;
    QLineEdit* edit;
    QPlainTextEdit* memo;
    QComboBox* combo;
    const char* column;
    Shown shown;
    Bound bound;
    QString label;
};

void clearField(const FieldRef& f);
void displayField(const FieldRef& f, const SqlQuery& row, ReadBack& readBack);
void bindField(const FieldRef& f, SqlQuery& statement, const ReadBack& readBack);
QString overflowOf(const FieldRef& f, const ReadBack& readBack);
QString parameterOf(const char* column);

// What messages call a field: the catalogue's label of its column, else its own.
QString labelOf(const char* column, const char* ownLabel);
void buildCaption(QWidget* parent, const Caption& caption, const Font& markedFont);

template <class W> FieldRef refOf(W& w, const Field<W>& f)
{
    return {f.widget(w), f.edit ? w.*f.edit : nullptr, f.memo ? w.*f.memo : nullptr, f.combo ? w.*f.combo : nullptr,
        f.column, f.shown, f.bound, labelOf(f.column, f.label)};
}

// Creates each field's caption, then each control with the factories and stores it in
// its member.
template <class W> void build(W& w, QWidget* parent, FieldTable<W> table, Focus focus, const Font& markedFont = {})
{
    for (const Field<W>& f : table)
        buildCaption(parent, f.caption, markedFont);
    for (const Field<W>& f : table) {
        if (f.edit)
            w.*f.edit = editField(parent, f.name, f.rect, f.input, focus);
        else if (f.memo)
            w.*f.memo = memo(parent, f.name, f.rect, f.input, focus);
        else if (f.combo) {
            w.*f.combo = comboBox(parent, f.name, f.rect, focus);
            setInputMethod(w.*f.combo, f.input);
        }
    }
}

template <class W> void clear(W& w, FieldTable<W> table)
{
    for (const Field<W>& f : table)
        clearField(refOf(w, f));
}

template <class W> void display(W& w, FieldTable<W> table, const SqlQuery& row, ReadBack& readBack)
{
    readBack.clear();
    for (const Field<W>& f : table)
        displayField(refOf(w, f), row, readBack);
}

template <class W> void bind(W& w, FieldTable<W> table, SqlQuery& statement, const ReadBack& readBack)
{
    for (const Field<W>& f : table)
        bindField(refOf(w, f), statement, readBack);
}

template <class W> QStringList overflows(W& w, FieldTable<W> table, const ReadBack& readBack)
{
    QStringList out;
    for (const Field<W>& f : table) {
        const QString text = overflowOf(refOf(w, f), readBack);
        if (!text.isEmpty())
            out << text;
    }
    return out;
}

// The parameter names the table binds, "parDAY_DATA" and so on, in table order.
template <class W> QStringList boundParameters(FieldTable<W> table)
{
    QStringList out;
    for (const Field<W>& f : table)
        if (f.bound != Bound::None && f.column)
            out << parameterOf(f.column);
    return out;
}

} // namespace kelpora::kit
