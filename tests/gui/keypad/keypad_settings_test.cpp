// SPDX-License-Identifier: GPL-3.0-or-later
// The keypad's state lives where the settings store looks for it: the function list, the
// stay-on-top box and the decimal-places field are saved under "Form2" and come back.
#include "gui/keypad/keypad_window.h"

#include "gui/keypad/real_edit.h"
#include "gui/settings_store/component_store.h"
#include "tests/gui/keypad/fake_worksheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QtTest>

using namespace quorvel;

namespace {

QStringList keysOf(const ComponentStore& ini, const QString& section)
{
    QStringList keys;
    for (const std::u16string& key : ini.IniFile().keys(section.toStdU16String()))
        keys.append(QString::fromStdU16String(key));
    return keys;
}

} // namespace

class KeypadSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void savesTheComboBoxTheCheckBoxAndKomma()
    {
        FakeWorksheet sheet;
        KeypadWindow form(sheet);
        ComponentStore ini(QString(), ComponentStore::Start::Empty);
        ini.SaveForm(&form);
        const QString s = QStringLiteral("Form2");
        QCOMPARE(keysOf(ini, s),
                 (QStringList{"ComboBox1", "ComboBox1.text", "ComboBox1.count", "ComboBox1.item0",
                              "ComboBox1.item1", "ComboBox1.item2", "CBOnTop", "Komma"}));
        QCOMPARE(ini.ReadInteger(s, QStringLiteral("ComboBox1"), 99), -1);
        QCOMPARE(ini.ReadString(s, QStringLiteral("ComboBox1.text"), {}), QStringLiteral("sin()"));
        QCOMPARE(ini.ReadString(s, QStringLiteral("ComboBox1.item0"), {}), QStringLiteral("COS()"));
        QCOMPARE(ini.ReadBool(s, QStringLiteral("CBOnTop"), true), false);
        QCOMPARE(ini.ReadString(s, QStringLiteral("Komma"), {}), QStringLiteral("\"0\""));
    }

    void restoresThemAndShowsKommaInItsOwnFormat()
    {
        FakeWorksheet sheet;
        ComponentStore ini(QString(), ComponentStore::Start::Empty);
        {
            KeypadWindow form(sheet);
            form.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setEditText("MAX(;)");
            form.findChild<QCheckBox*>(QStringLiteral("CBOnTop"))->setChecked(true);
            form.findChild<TRealSpinEdit*>(QStringLiteral("Komma"))->setText("2.7");
            ini.SaveForm(&form);
        }
        KeypadWindow form(sheet);
        ini.LoadForm(&form);
        QCOMPARE(form.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->currentText(),
                 QStringLiteral("MAX(;)"));
        QVERIFY(form.findChild<QCheckBox*>(QStringLiteral("CBOnTop"))->isChecked());
        QCOMPARE(form.findChild<TRealSpinEdit*>(QStringLiteral("Komma"))->text(),
                 QStringLiteral("3"));
        QCOMPARE(form.KommaValue(), 3.0);
    }
};

QTEST_MAIN(KeypadSettingsTest)
#include "keypad_settings_test.moc"
