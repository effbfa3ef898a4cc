// SPDX-License-Identifier: GPL-3.0-or-later
// What each kind of control stores. The rows keep the order and the key scheme of the original
// program's table; the first row whose class test a widget passes decides, subclasses included.
//
//   original class               Qt classes here                       keys
//   1 TCustomMemo                QTextEdit (QTextBrowser too),         Name.count, Name.line<i>
//                                QPlainTextEdit                        (only while SaveMemos)
//   2 TListBox                   QListWidget                           Name.count, Name.item<i>
//   4 TCustomEdit                QLineEdit (TRealEdit, TRealSpinEdit   Name = "text" (quoted)
//                                derive from it), QAbstractSpinBox
//                                other than QDateTimeEdit
//   5 TDateTimePicker            QDateTimeEdit (QDateEdit, QTimeEdit)  Name = DateTimeToText
//   7 TComboBox                  QComboBox                             Name (index), Name.text,
//                                                                      Name.count, Name.item<i>
//   8 TCheckBox                  QCheckBox                             Name = 1 / 0
//
// Left out, for kinds Quorvel does not have: row 3 (rows of edits) and row 6 (the value-with-unit
// edit) of the component library. Row 9 (an owner nested in the form, such as a frame, stored in
// the section "Form.Name") has no counterpart: a Qt window's controls are the widgets under it in
// the parent tree, so panels and group boxes, which match no row, are entered and their controls
// keep the window's own section, as the original's form-owned controls did. A child widget that
// is a window of its own (a dialog, a tool window, a popup) is another form and is not entered;
// nor is a matched control (a spin box's inner line edit is part of it). Only widgets with an
// object name get keys, and names beginning with "qt_" are Qt's own inner widgets.
//
// An edit whose class has a "Wert" property (TRealEdit) gets that value read and written back
// after loading, so that the number is shown again in the edit's own format.
#include "gui/settings_store/component_rows.h"

#include "gui/settings_store/component_store.h"
#include "gui/settings_store/setting_texts.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <array>

namespace quorvel {
namespace {

const QChar kQuote = QLatin1Char('"');

QString numbered(const QString& name, const char* suffix, int i)
{
    return name + QLatin1String(suffix) + QString::number(i);
}

void writeNumberedTexts(ComponentStore& ini, const QString& section, const QString& name,
                        const char* suffix, const QStringList& texts)
{
    ini.WriteInteger(section, name + QStringLiteral(".count"), static_cast<int>(texts.size()));
    for (int i = 0; i < texts.size(); ++i)
        ini.WriteString(section, numbered(name, suffix, i), texts[i]);
}

// The texts of Name<suffix>0 ... for i below `count`, up to the first missing key: a file the
// program wrote has every key below its count, and a damaged count costs nothing this way.
QStringList readNumberedTexts(const ComponentStore& ini, const QString& section,
                              const QString& name, const char* suffix, int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        const QString key = numbered(name, suffix, i);
        if (!ini.ValueExists(section, key))
            break;
        texts << ini.ReadString(section, key, QString());
    }
    return texts;
}

// Row 1: memos.

QTextDocument* memoDocument(QWidget* widget)
{
    if (auto* edit = qobject_cast<QTextEdit*>(widget))
        return edit->document();
    return static_cast<QPlainTextEdit*>(widget)->document();
}

bool isMemo(const QWidget* w)
{
    return qobject_cast<const QTextEdit*>(w) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(w) != nullptr;
}

void saveMemo(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    if (!ini.SaveMemos)
        return;
    QStringList lines;
    const QTextDocument* document = memoDocument(w);
    if (!document->isEmpty()) {
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            lines << block.text();
    }
    writeNumberedTexts(ini, section, name, ".line", lines);
}

void loadMemo(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    if (!ini.SaveMemos)
        return;
    const int count = ini.ReadInteger(section, name + QStringLiteral(".count"), 0);
    const QString text =
        readNumberedTexts(ini, section, name, ".line", count).join(QLatin1Char('\n'));
    if (auto* edit = qobject_cast<QTextEdit*>(w))
        edit->setPlainText(text);
    else
        static_cast<QPlainTextEdit*>(w)->setPlainText(text);
}

// Row 2: list boxes.

bool isListBox(const QWidget* w)
{
    return qobject_cast<const QListWidget*>(w) != nullptr;
}

void saveListBox(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    const auto* list = static_cast<QListWidget*>(w);
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    writeNumberedTexts(ini, section, name, ".item", items);
}

void loadListBox(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    auto* list = static_cast<QListWidget*>(w);
    list->clear();
    const int count = ini.ReadInteger(section, name + QStringLiteral(".count"), 0);
    list->addItems(readNumberedTexts(ini, section, name, ".item", count));
}

// Row 4: one-line edits. The text is stored between double quotes, so that blanks at either
// end survive the trimming of the file's values.

bool isEdit(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) != nullptr ||
           (qobject_cast<const QAbstractSpinBox*>(w) != nullptr &&
            qobject_cast<const QDateTimeEdit*>(w) == nullptr);
}

QString editText(const QWidget* w)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->text();
    return static_cast<const QAbstractSpinBox*>(w)->text();
}

void saveEdit(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    ini.WriteString(section, name, kQuote + editText(w) + kQuote);
}

void rewriteWert(QWidget* w)
{
    const QMetaObject* meta = w->metaObject();
    const int index = meta->indexOfProperty("Wert");
    if (index < 0)
        return;
    const QMetaProperty wert = meta->property(index);
    if (wert.isReadable() && wert.isWritable())
        wert.write(w, wert.read(w));
}

void loadEdit(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    const QString stored = ini.ReadString(section, name, kQuote + editText(w) + kQuote);
    // A value beginning with a quote loses its first and its last character, whatever the
    // last one is; any other value is the text itself.
    QString text = stored;
    if (stored.startsWith(kQuote))
        text = stored.size() >= 2 ? stored.mid(1, stored.size() - 2) : QString();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
        rewriteWert(w);
        return;
    }
    // A spin box keeps its text in its inner line edit; interpretText() then takes the value
    // from it and shows it in the box's own format.
    auto* spinBox = static_cast<QAbstractSpinBox*>(w);
    if (auto* inner = spinBox->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly)) {
        inner->setText(text);
        spinBox->interpretText();
    }
}

// Row 5: date and time edits.

bool isDateTimeEdit(const QWidget* w)
{
    return qobject_cast<const QDateTimeEdit*>(w) != nullptr;
}

void saveDateTimeEdit(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    ini.WriteString(section, name, DateTimeToText(static_cast<QDateTimeEdit*>(w)->dateTime()));
}

void loadDateTimeEdit(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    auto* edit = static_cast<QDateTimeEdit*>(w);
    edit->setDateTime(
        TextToDateTime(ini.ReadString(section, name, DateTimeToText(edit->dateTime()))));
}

// Row 7: combo boxes.

bool isComboBox(const QWidget* w)
{
    return qobject_cast<const QComboBox*>(w) != nullptr;
}

void saveComboBox(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    const auto* combo = static_cast<QComboBox*>(w);
    ini.WriteInteger(section, name, combo->currentIndex());
    ini.WriteString(section, name + QStringLiteral(".text"), combo->currentText());
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    writeNumberedTexts(ini, section, name, ".item", items);
}

void loadComboBox(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    auto* combo = static_cast<QComboBox*>(w);
    // Taken first: replacing the items or the selection rewrites the edit text of the box.
    const QString textBefore = combo->currentText();
    const int count = ini.ReadInteger(section, name + QStringLiteral(".count"), 0);
    if (count > 0) {
        combo->clear();
        combo->addItems(readNumberedTexts(ini, section, name, ".item", count));
    }
    // An index beyond the items cannot be meant; the selection then stays as it is.
    const int index = ini.ReadInteger(section, name, combo->currentIndex());
    if (index >= -1 && index < combo->count())
        combo->setCurrentIndex(index);
    // Sets the edit text of an editable box; selects the matching item of any other.
    const QString fallback = combo->isEditable() ? textBefore : combo->currentText();
    combo->setCurrentText(ini.ReadString(section, name + QStringLiteral(".text"), fallback));
}

// Row 8: check boxes.

bool isCheckBox(const QWidget* w)
{
    return qobject_cast<const QCheckBox*>(w) != nullptr;
}

void saveCheckBox(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    ini.WriteBool(section, name, static_cast<QCheckBox*>(w)->isChecked());
}

void loadCheckBox(ComponentStore& ini, QWidget* w, const QString& section, const QString& name)
{
    auto* box = static_cast<QCheckBox*>(w);
    box->setChecked(ini.ReadBool(section, name, box->isChecked()));
}

// In the order of the original rows 1, 2, 4, 5, 7 and 8.
constexpr std::array<ComponentRow, 6> kRows = {{
    {isMemo, saveMemo, loadMemo},
    {isListBox, saveListBox, loadListBox},
    {isEdit, saveEdit, loadEdit},
    {isDateTimeEdit, saveDateTimeEdit, loadDateTimeEdit},
    {isComboBox, saveComboBox, loadComboBox},
    {isCheckBox, saveCheckBox, loadCheckBox},
}};

} // namespace

const ComponentRow* FindComponentRow(const QWidget* widget)
{
    for (const ComponentRow& row : kRows) {
        if (row.matches(widget))
            return &row;
    }
    return nullptr;
}

} // namespace quorvel
