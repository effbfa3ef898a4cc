// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader gets from the program, read through Qt's accessibility interfaces: a name
// for every control of every window, the keypad's keys as buttons that can be pressed, the
// decimal-places field with its value, the menus' entries without padding and key hints.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/keypad/hemisphere_button.h"
#include "gui/platform/accessibility.h"
#include "gui/platform/message_boxes.h"
#include "gui/worksheet/font_dialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTest>
#include <QTextEdit>

using namespace quorvel;
using namespace quorvel::test;

namespace {

struct Control
{
    QString window;
    QString what; // role and object name, for failure messages
    QString name;
};

QString describeObject(QAccessibleInterface& iface)
{
    QObject* object = iface.object();
    const QString id = object == nullptr ? QStringLiteral("?")
                       : object->objectName().isEmpty()
                           ? QString::fromLatin1(object->metaObject()->className())
                           : object->objectName();
    return QStringLiteral("%1 %2").arg(int(iface.role()), 0, 16).arg(id);
}

// A widget hidden on purpose has no place in the tree. Menus are hidden until they open and the
// pages of a tab widget until their tab is chosen; they count all the same.
bool hiddenOnPurpose(const QObject* object)
{
    if (const auto* widget = qobject_cast<const QWidget*>(object))
        return widget->isHidden() && qobject_cast<const QMenu*>(widget) == nullptr &&
               qobject_cast<const QStackedWidget*>(widget->parentWidget()) == nullptr;
    if (const auto* action = qobject_cast<const QAction*>(object))
        return !action->isVisible();
    return false;
}

// The controls: what can take the keyboard focus or offers an action, and a painted widget that
// tells nothing about itself (a "filler" without children), which a user may still click. The
// viewport of a scrolled field is part of its field.
void collect(QAccessibleInterface* iface, const QString& window, QList<Control>& out, int depth)
{
    if (iface == nullptr || !iface->isValid() || depth > 40 || hiddenOnPurpose(iface->object()))
        return;
    const QAccessibleActionInterface* actions = iface->actionInterface();
    const bool control = iface->state().focusable ||
                         (actions != nullptr && !actions->actionNames().isEmpty()) ||
                         (iface->role() == QAccessible::Client && iface->childCount() == 0 &&
                          iface->object()->objectName() != QLatin1String("qt_scrollarea_viewport"));
    if (control && iface->role() != QAccessible::Separator)
        out.append({window, describeObject(*iface), iface->text(QAccessible::Name)});
    // A list's entries are its content, named by their text.
    const QAccessible::Role role = iface->role();
    if (role == QAccessible::List || role == QAccessible::Table || role == QAccessible::Tree)
        return;
    for (int i = 0; i < iface->childCount(); ++i)
        collect(iface->child(i), window, out, depth + 1);
}

QList<Control> controlsOf(QWidget& window)
{
    QList<Control> out;
    collect(QAccessible::queryAccessibleInterface(&window), window.objectName(), out, 0);
    return out;
}

// The control of that name and role below the interface, found as a screen reader finds it.
QAccessibleInterface* findControl(QAccessibleInterface* iface, const QString& name,
                                  QAccessible::Role role)
{
    if (iface == nullptr)
        return nullptr;
    if (iface->role() == role && iface->text(QAccessible::Name) == name)
        return iface;
    for (int i = 0; i < iface->childCount(); ++i)
        if (QAccessibleInterface* found = findControl(iface->child(i), name, role))
            return found;
    return nullptr;
}

QAccessibleInterface* findControl(QWidget& window, const QString& name, QAccessible::Role role)
{
    return findControl(QAccessible::queryAccessibleInterface(&window), name, role);
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }

    void everyControlOfEveryWindowHasAName();
    void keypadKeysArePressedByName_data();
    void keypadKeysArePressedByName();
    void decimalPlacesAreASpinBoxWithAValue();
    void menuEntriesAreNamedWithoutPaddingAndCarryTheirKeys();
    void windowsPagesAndLabelledFieldsAreNamed();
    void keypadKeysDoNotPassTheFocusThroughTheFunctionBox();
    void theStartsNoteIsNamedAndReadOut();
    void altLettersOfTheFontDialogAreUnique();
};

void AccessibilityTest::everyControlOfEveryWindowHasAName()
{
    Windows w;
    w.keypad.show();
    w.formulaLibrary.setFormulas({"Kraft"}, {"F = m*a"});
    w.formulaLibrary.show();
    w.help.show();
    w.unitDefinitions.show();
    SheetFontDialog fonts(&w.mainWindow);
    fonts.show();

    QList<Control> controls;
    for (QWidget* window :
         std::initializer_list<QWidget*>{&w.mainWindow, w.mainWindow.popupMenu(), &w.keypad,
                                         &w.formulaLibrary, &w.help, &w.unitDefinitions, &fonts})
        controls += controlsOf(*window);

    QStringList unnamed;
    QMap<QString, QPair<int, int>> perWindow; // controls, unnamed
    for (const Control& c : controls) {
        ++perWindow[c.window].first;
        if (c.name.trimmed().isEmpty()) {
            ++perWindow[c.window].second;
            unnamed << c.window + ": " + c.what;
        }
    }
    for (auto it = perWindow.cbegin(); it != perWindow.cend(); ++it)
        qInfo("%s: %d controls, %d unnamed", qPrintable(it.key()), it.value().first,
              it.value().second);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
}

// Every key through its press action, on the second line of a page whose first line was
// evaluated ("1+1 = 2", so "erg" has a result to insert): the line and the caret afterwards.
void AccessibilityTest::keypadKeysArePressedByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("column"); // the caret in "12" before the press
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("caret");
    QTest::addColumn<bool>("described"); // the caption alone does not tell what the key does

    const struct
    {
        const char* name;
        int column;
        const char* line;
        int caret;
        bool described;
    } rows[] = {
        {"Eins", 2, "121", 3, false},
        {"Zwei", 2, "122", 3, false},
        {"Drei", 2, "123", 3, false},
        {"Vier", 2, "124", 3, false},
        {"F\u00FCnf", 2, "125", 3, false},
        {"Sechs", 2, "126", 3, false},
        {"Sieben", 2, "127", 3, false},
        {"Acht", 2, "128", 3, false},
        {"Neun", 2, "129", 3, false},
        {"Null", 2, "120", 3, false},
        {"Dezimalpunkt", 2, "12.", 3, false},
        {"Plus", 2, "12+", 3, false},
        {"Minus", 2, "12-", 3, false},
        {"Mal", 2, "12*", 3, false},
        {"Geteilt durch", 2, "12/", 3, false},
        {"Hoch", 2, "12^", 3, false},
        {"Hoch zwei", 2, "12^2", 4, false},
        {"Hoch drei", 2, "12^3", 4, false},
        {"Wurzel", 2, "12sqrt()", 7, true},
        {"Pi", 2, "12Pi", 4, false},
        {"Funktion einf\u00FCgen", 2, "12sin()", 6, true},
        {"Zeichen l\u00F6schen", 2, "1", 1, true},
        {"Zeile leeren", 1, "", 0, true},
        {"Zeilenende", 0, "12", 2, true},
        {"Letztes Ergebnis", 2, "122", 3, true},
        {"Zeile berechnen", 2, "12 = 12", 0, true}, // the caret on the next line
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << QString::fromUtf8(row.name) << row.column
                                << QString::fromUtf8(row.line) << row.caret << row.described;
}

void AccessibilityTest::keypadKeysArePressedByName()
{
    QFETCH(QString, name);
    QFETCH(int, column);
    QFETCH(QString, line);
    QFETCH(int, caret);
    QFETCH(bool, described);

    Windows w;
    w.keypad.show();
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"1+1", "12"});
    QTest::keyClick(&memo, Qt::Key_Return);
    setCaret(memo, 1, column);

    QAccessibleInterface* key = findControl(w.keypad, name, QAccessible::Button);
    QVERIFY2(key != nullptr, qPrintable(name));
    QVERIFY(!key->state().focusable); // the keys never take the keyboard
    QCOMPARE(!key->text(QAccessible::Description).isEmpty(), described);
    QVERIFY(key->actionInterface() != nullptr);
    QCOMPARE(key->actionInterface()->actionNames(),
             QStringList{QAccessibleActionInterface::pressAction()});
    key->actionInterface()->doAction(QAccessibleActionInterface::pressAction());

    QCOMPARE(pageLines(memo).value(1), line);
    QCOMPARE(caretColumn(memo), caret);
}

void AccessibilityTest::decimalPlacesAreASpinBoxWithAValue()
{
    Windows w;
    w.keypad.show();
    QAccessibleInterface* field =
        findControl(w.keypad, QStringLiteral("Nachkommastellen"), QAccessible::SpinBox);
    QVERIFY(field != nullptr);
    QCOMPARE(field->object()->objectName(), QStringLiteral("Komma"));
    QAccessibleValueInterface* value = field->valueInterface();
    QVERIFY(value != nullptr);
    QCOMPARE(value->currentValue().toDouble(), 0.0);

    value->setCurrentValue(3);
    QCOMPARE(w.mainWindow.Decimals(), 3.0); // what the line evaluation uses
    QCOMPARE(field->textInterface()->text(0, field->textInterface()->characterCount()),
             QStringLiteral("3"));
    field->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    QCOMPARE(value->currentValue().toDouble(), 2.0);
    field->editableTextInterface()->replaceText(0, 1, QStringLiteral("5"));
    QCOMPARE(value->currentValue().toDouble(), 5.0);
}

// The visible captions keep their padding and hints; what a screen reader speaks does not, and
// the key comes as the entry's key binding.
void AccessibilityTest::menuEntriesAreNamedWithoutPaddingAndCarryTheirKeys()
{
    Windows w;
    const QRegularExpression hint(QStringLiteral("(\\^[A-Z]|F[0-9]+)$"));
    int withKey = 0;
    for (const QAction* title : w.mainWindow.menuBar()->actions()) {
        if (title->menu() == nullptr)
            continue;
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(title->menu());
        for (QAction* entry : title->menu()->actions()) {
            if (entry->isSeparator())
                continue;
            QAccessibleInterface* item =
                menu->child(static_cast<int>(title->menu()->actions().indexOf(entry)));
            QVERIFY(item != nullptr);
            const QString name = item->text(QAccessible::Name);
            QVERIFY2(name == name.trimmed() && !name.contains(QStringLiteral("  ")) &&
                         !name.contains(hint) && !name.contains(QLatin1Char('&')),
                     qPrintable(name));
            if (caption(*entry).contains(hint)) {
                ++withKey;
                QVERIFY2(!item->actionInterface()
                              ->keyBindingsForAction(QAccessibleActionInterface::pressAction())
                              .isEmpty(),
                         qPrintable(name));
            }
        }
    }
    QCOMPARE(withKey, 12); // "Undo", "Wiederholen", "Kopieren", ... "Einheiten editieren"

    QAccessibleInterface* undo =
        QAccessible::queryAccessibleInterface(findAction(w.mainWindow, "Undo1"));
    QCOMPARE(undo->text(QAccessible::Name), QStringLiteral("Undo"));
    QCOMPARE(
        undo->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
        QStringList{QKeySequence(QStringLiteral("Ctrl+Z")).toString(QKeySequence::NativeText)});
    QCOMPARE(undo->role(), QAccessible::MenuItem);
    // Every key in the program's own language, also where Shift is part of it.
    QAccessibleInterface* diagram =
        QAccessible::queryAccessibleInterface(findAction(w.mainWindow, "Diagramm1"));
    QCOMPARE(diagram->text(QAccessible::Name), QStringLiteral("Diagramm..."));
    QCOMPARE(
        diagram->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
        QStringList{QStringLiteral("Strg+Umschalt+D")});
}

void AccessibilityTest::windowsPagesAndLabelledFieldsAreNamed()
{
    Windows w;
    for (QWidget* window : {static_cast<QWidget*>(&w.keypad), static_cast<QWidget*>(&w.help)}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window);
        QCOMPARE(iface->role(), QAccessible::Window);
        QCOMPARE(iface->text(QAccessible::Name), window->windowTitle());
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(w.memo1())->text(QAccessible::Name),
             QStringLiteral("Berechnung"));
    QCOMPARE(QAccessible::queryAccessibleInterface(w.memo2())->text(QAccessible::Name),
             QStringLiteral("Notizen"));
    // The keypad's panels and its function box, which Qt would name by its text ("sin()").
    for (const auto& [object, name] : {std::pair{"Panel2", "Funktion und Tasten"},
                                       std::pair{"Panel1", "Fenster oben und Nachkommastellen"},
                                       std::pair{"ComboBox1", "Funktion"}}) {
        QAccessibleInterface* iface =
            QAccessible::queryAccessibleInterface(w.keypad.findChild<QWidget*>(object));
        QCOMPARE(iface->text(QAccessible::Name), QString::fromUtf8(name));
    }
    QAccessibleInterface* box =
        findControl(w.keypad, QStringLiteral("Funktion"), QAccessible::ComboBox);
    QVERIFY(box != nullptr);
    QCOMPARE(box->text(QAccessible::Value), QStringLiteral("sin()"));
    QCOMPARE(box->childCount(), 2); // the list and the field
    box->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(w.keypad.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->view()->isVisible());
    box->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(!w.keypad.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->view()->isVisible());
    // The formula editor's labels name the fields they stand above.
    w.formulaLibrary.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.formulaLibrary));
    auto* text = w.formulaLibrary.findChild<QTextEdit*>(QStringLiteral("RichEdit1"));
    auto* title = w.formulaLibrary.findChild<QWidget*>(QStringLiteral("Edit1"));
    QCOMPARE(QAccessible::queryAccessibleInterface(text)->text(QAccessible::Name),
             QStringLiteral("Formel:"));
    QCOMPARE(QAccessible::queryAccessibleInterface(title)->text(QAccessible::Name),
             QStringLiteral("Name:"));
}

// The note of the start (an abnormal end, a file left alone) is named and read out. That it
// leaves the keyboard with the page needs a window manager: tests/e2e/abrupt_endings.sh.
void AccessibilityTest::theStartsNoteIsNamedAndReadOut()
{
    Windows w;
    ShowNote(
        QStringLiteral("Quorvel wurde beim letzten Mal nicht ordnungsgem\u00E4\u00DF beendet."),
        &w.mainWindow);
    auto* note = w.mainWindow.findChild<QWidget*>(QStringLiteral("Hinweis"));
    QVERIFY(note != nullptr);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(note);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Hinweis"));
    QVERIFY(iface->text(QAccessible::Description).startsWith(QStringLiteral("Quorvel wurde")));
}

// A window manager makes the keypad the active window when a key is clicked; its keyboard focus
// must not land in the function box on the way (a screen reader would announce the box at every
// key), and the key gives the keyboard back to the page.
void AccessibilityTest::keypadKeysDoNotPassTheFocusThroughTheFunctionBox()
{
    Windows w;
    w.keypad.showKeypad();
    w.keypad.activateWindow(); // as a window system may do with a new window
    // The keypad counts as active with its parent; the application knows which one is.
    QTRY_COMPARE(QApplication::activeWindow(), &w.keypad);
    auto* box = w.keypad.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    // Shown, the keypad does not take the keyboard into its box: its focus rests on the window.
    QCOMPARE(QApplication::focusWidget(), &w.keypad);

    w.mainWindow.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &w.mainWindow);
    w.memo1()->setFocus();
    QList<QWidget*> focused;
    const QObject listening; // the connection ends with the test
    connect(qApp, &QApplication::focusChanged, &listening,
            [&focused](QWidget*, QWidget* now) { focused << now; });
    for (const char* key : {"HemisphereButton6", "HemisphereButton7"}) { // "7", "8"
        w.keypad.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &w.keypad);
        auto* button = w.keypad.findChild<THemisphereButton*>(QLatin1String(key));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(15, 15));
        QTRY_COMPARE(QApplication::activeWindow(), &w.mainWindow);
    }
    QVERIFY(!focused.contains(box->lineEdit()));
    QVERIFY(!focused.contains(box));
    QCOMPARE(QApplication::focusWidget(), w.memo1());
    QCOMPARE(pageLines(*w.memo1()), QStringList{"78"});
}

// Qt's translated font chooser and the dialog's own fields once marked "S" and "G" twice.
void AccessibilityTest::altLettersOfTheFontDialogAreUnique()
{
    SheetFontDialog fonts;
    QMap<QChar, QString> holders;
    for (const QWidget* widget : fonts.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&fonts))
            continue;
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            text = label->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            text = button->text();
        const QChar letter = MnemonicOf(text);
        if (letter.isNull())
            continue;
        QVERIFY2(!holders.contains(letter),
                 qPrintable(holders.value(letter) + QStringLiteral(" and ") + text));
        holders.insert(letter, text);
    }
    QVERIFY(holders.size() >= 6); // Schriftart, Schriftstil, Größe, two effects, Farbe, Skript
    QVERIFY(holders.contains(QLatin1Char('k'))); // "S&kript:"
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
