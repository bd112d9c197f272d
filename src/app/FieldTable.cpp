#include "app/FieldTable.h"

#include "core/CatchRecord.h"
#include "core/Error.h"
#include "core/SjisCodec.h"
#include "core/SqlQuery.h"

#include <QRegularExpression>
#include <QSignalBlocker>

namespace kelpora::kit {

namespace {

QString column(const FieldRef& f)
{
    return QLatin1String(f.column);
}

// The text as it goes to the database: memos keep CR LF between their lines.
QString currentText(const FieldRef& f)
{
    if (f.edit)
        return storedText(f.edit);
    if (f.memo)
        return storedText(f.memo);
    return storedText(f.combo);
}

void show(const FieldRef& f, const QString& text)
{
    if (f.edit)
        showStored(f.edit, text);
    else if (f.memo)
        showStored(f.memo, text);
    else if (f.combo)
        showStored(f.combo, text);
}

// The bytes a text field is written with: as read when untouched, else encoded anew,
// with a refusal that says which field holds the character.
QByteArray bytesOf(const FieldRef& f, const QString& text, const ReadBack& readBack)
{
    const QByteArray kept = readBack.unchanged(f.widget, text);
    if (!kept.isNull())
        return kept;
    try {
        return sjis::encode(text);
    } catch (const EncodingError& e) {
        throw EncodingError(QStringLiteral("「%1」: %2").arg(f.label, e.text()));
    }
}

} // namespace

QString storedText(const QLineEdit* edit)
{
    return edit->text();
}

QString storedText(const QPlainTextEdit* memo)
{
    QString text = memo->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

QString storedText(const QComboBox* combo)
{
    return combo->currentText();
}

void showStored(QLineEdit* edit, const QString& text)
{
    edit->setText(text);
    // A value longer than its field shows its beginning, as a value just opened does.
    edit->setCursorPosition(0);
}

void showStored(QPlainTextEdit* memo, const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    // The program's own filling is not the user's typing: no change signal for it.
    const QSignalBlocker quiet(memo);
    memo->setPlainText(shown);
    memo->document()->setModified(false);
}

void showStored(QComboBox* combo, const QString& text)
{
    if (combo->isEditable()) {
        combo->setEditText(text);
        combo->lineEdit()->setCursorPosition(0);
    } else
        combo->setCurrentIndex(combo->findText(text));
}

qint32 toInteger(const QString& text, const QString& fieldLabel)
{
    // ASCII digits only: the database takes nothing else, and " 12 " or "１２" typed
    // into a number field is a mistake to point out, not a number.
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = false;
    const qint32 value = pattern.match(text).hasMatch() ? text.toInt(&ok) : 0;
    if (!ok)
        throw ConversionError(QStringLiteral("「%1」の '%2' は正しい整数値ではありません").arg(fieldLabel, text));
    return value;
}

void ReadBack::remember(const QWidget* field, const QByteArray& bytes, const QString& shown)
{
    m_fields[field] = Read{bytes, shown};
}

QByteArray ReadBack::unchanged(const QWidget* field, const QString& current) const
{
    const auto it = m_fields.find(field);
    if (it == m_fields.end() || it->second.shown != current)
        return QByteArray();
    // Never a null array for a kept field, so "kept but empty" differs from "not kept".
    return it->second.bytes.isNull() ? QByteArray("") : it->second.bytes;
}

QString parameterOf(const char* column)
{
    return QStringLiteral("par") + QLatin1String(column);
}

void clearField(const FieldRef& f)
{
    if (f.edit) {
        f.edit->clear();
    } else if (f.memo) {
        showStored(f.memo, QString());
    } else if (f.combo) {
        if (f.combo->isEditable())
            f.combo->setEditText(QString());
        f.combo->setCurrentIndex(-1);
    }
}

void displayField(const FieldRef& f, const SqlQuery& row, ReadBack& readBack)
{
    const QString name = column(f);
    switch (f.shown) {
    case Shown::None:
        return;
    case Shown::Text:
    case Shown::Memo: {
        const QByteArray bytes = row.fieldBytes(name);
        const QString text = sjis::decode(bytes);
        show(f, text);
        readBack.remember(f.widget, bytes, currentText(f));
        return;
    }
    case Shown::Integer:
        show(f, row.isNull(name) ? QString() : QString::number(row.fieldInteger(name)));
        return;
    case Shown::AlwaysInteger:
        show(f, QString::number(row.fieldInteger(name)));
        return;
    }
}

void bindField(const FieldRef& f, SqlQuery& statement, const ReadBack& readBack)
{
    if (f.bound == Bound::None || !f.column)
        return;
    const QString param = parameterOf(f.column);
    const QString text = currentText(f);
    switch (f.bound) {
    case Bound::None:
        return;
    case Bound::Text:
        statement.bindTextBytes(param, bytesOf(f, text, readBack));
        return;
    case Bound::TextOrNull:
        if (text.isEmpty())
            statement.bindNull(param);
        else
            statement.bindTextBytes(param, bytesOf(f, text, readBack));
        return;
    case Bound::IntegerOrNull:
        if (text.isEmpty())
            statement.bindNull(param);
        else
            statement.bindInteger(param, toInteger(text, f.label));
        return;
    case Bound::Integer:
        statement.bindInteger(param, toInteger(text, f.label));
        return;
    case Bound::MemoOrNull:
        if (text.isEmpty())
            statement.bindNull(param);
        else
            statement.bindMemoBytes(param, bytesOf(f, text, readBack));
        return;
    }
}

QString overflowOf(const FieldRef& f, const ReadBack& readBack)
{
    if (f.bound != Bound::Text && f.bound != Bound::TextOrNull)
        return QString();
    const record::Column* c = record::find(column(f));
    if (!c || c->byteLength <= 0)
        return QString();
    qsizetype length = 0;
    try {
        length = bytesOf(f, currentText(f), readBack).size();
    } catch (const EncodingError&) {
        return QString(); // the binding reports the character itself
    }
    if (length <= c->byteLength)
        return QString();
    return QStringLiteral("「%1」が %2 バイト長すぎます（%3 バイトまで、全角文字は 2 バイト）")
        .arg(f.label)
        .arg(length - c->byteLength)
        .arg(c->byteLength);
}

} // namespace kelpora::kit
