// SPDX-License-Identifier: GPL-3.0-or-later
// KeypadWindow: the keypad's controls, built from one table of keys, and the handlers that act on
// the worksheet through WorksheetPort.
#include "gui/keypad/keypad_window.h"

#include "gui/keypad/hemisphere_button.h"
#include "gui/keypad/real_edit.h"
#include "gui/keypad/worksheet_port.h"
#include "gui/platform/accessibility.h"
#include "gui/platform/keyboard_panes.h"
#include "gui/platform/window_system.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>

namespace quorvel {

namespace {

constexpr QChar kEnter(13);
constexpr QChar kEscape(27);

// "MS Sans Serif" where it exists; elsewhere Arial's metric twin keeps the captions as wide as
// the window was laid out for.
QFont keypadFont(int pixels, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFrame* makePanel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setGeometry(geometry);
    return panel;
}

// Sets or clears the stay-on-top flag of a window; Qt hides a window whose flags change, so a
// visible one is shown again.
void setStaysOnTop(QWidget* window, bool onTop)
{
    if (window == nullptr || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        window->show();
}

} // namespace

KeypadWindow::KeypadWindow(WorksheetPort& worksheet, QWidget* parent)
    : QWidget(PlatformIsWayland() ? nullptr : parent, Qt::Window), m_worksheet(worksheet)
{
    InstallAccessibleInterfaces(); // a window, not a "filler", to screen readers
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Tasteneingabe"));
    setFont(keypadFont(11, false));
    setFixedSize(185, 247);
    // Shown at start or by Ctrl+T, the keypad waits beside the page; F6 or a click takes the
    // user into it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The designed place, until the settings restore another one. A window never moved is
    // placed by the window manager wherever it likes.
    move(409, 290);

    Panel2 = makePanel(this, "Panel2", QRect(0, 0, 185, 210));
    Panel2->setAccessibleName(QStringLiteral("Funktion und Tasten"));
    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(6, 3, 132, 28);
    ComboBox1->setFont(keypadFont(16, true));
    ComboBox1->setToolTip(QStringLiteral("Doppelclick -> Übernehmen"));
    ComboBox1->setAccessibleName(QStringLiteral("Funktion"));
    ComboBox1->lineEdit()->setAccessibleName(QStringLiteral("Funktion"));
    ComboBox1->view()->setAccessibleName(QStringLiteral("Funktionen"));
    ComboBox1->installEventFilter(this);
    ComboBox1->lineEdit()->installEventFilter(this);
    buildKeys();

    Panel1 = makePanel(this, "Panel1", QRect(0, 210, 185, 37));
    Panel1->setAccessibleName(QStringLiteral("Fenster oben und Nachkommastellen"));
    CBOnTop = new QCheckBox(QStringLiteral("Fenster oben / Komma"), Panel1);
    CBOnTop->setObjectName(QStringLiteral("CBOnTop"));
    CBOnTop->setGeometry(8, 11, 129, 17);
    // Arial's twin runs wider than MS Sans Serif: one pixel less keeps the caption in the box.
    CBOnTop->setFont(keypadFont(10, false));
    // The box and its stored value stay, for the sessions on a platform that keeps windows on
    // top; where the compositor alone decides, the box says so.
    if (!PlatformKeepsWindowsOnTop())
        CBOnTop->setToolTip(QStringLiteral("Unter Wayland entscheidet die Arbeitsumgebung,\n"
                                           "welches Fenster oben bleibt.\n"
                                           "Die Einstellung wirkt unter X11."));
    connect(CBOnTop, &QCheckBox::clicked, this, &KeypadWindow::applyStayOnTop);

    Komma = new TRealSpinEdit(Panel1);
    Komma->setObjectName(QStringLiteral("Komma"));
    Komma->setAccessibleName(QStringLiteral("Nachkommastellen"));
    Komma->setGeometry(144, 8, 36, 24);
    Komma->setFont(keypadFont(13, false));
    Komma->setText(QStringLiteral("0"));
    Komma->setKomma(0);
    Komma->setIncrement(1);
    Komma->setSpinwidth(15);
    Komma->fitFontToRange(-99, 99);
    connect(Komma, &TRealEdit::clicked, this, [this] { onDecimalsClicked(Komma); });
    connect(Komma, &QLineEdit::textChanged, this, [this] { emit decimalsChanged(Komma->Wert()); });

    FormCreate();

    // F6 goes from the page to the function box and the decimal places, and on.
    AddPaneWindow(*this, [this] { return QList<QWidget*>{ComboBox1, Komma}; });
    PassKeysToPage(*this, [this] { return m_worksheet.currentPage(); });
}

// The keys, one row each: name, caption, position in Panel2, face colour, font and handler, then
// what a screen reader says: the key's German name (what the key does) and, where the caption
// alone does not tell it, a description.
void KeypadWindow::buildKeys()
{
    using Handler = void (KeypadWindow::*)(QObject*);
    struct KeyDescription
    {
        const char* name;
        const char* caption; // UTF-8
        int left;
        int top;
        QRgb face;
        int fontPixels;
        bool bold;
        Handler handler;
        const char* hint;        // UTF-8, empty for none
        const char* spoken;      // UTF-8
        const char* description; // UTF-8, empty for none
    };
    static constexpr QRgb orange = 0xffff8000; // 255, 128, 0
    static constexpr QRgb olive = 0xff808040;  // 128, 128, 64
    static constexpr QRgb blue = 0xff0080c0;   // 0, 128, 192
    static constexpr QRgb brown = 0xff804000;  // 128, 64, 0
    static constexpr Handler typing = &KeypadWindow::onTypingKey;
    static const KeyDescription keys[] = {
        {"HemisphereButton25", ">", 146, 2, 0xffff8533, 16, true, &KeypadWindow::onFunctionKey, "",
         "Funktion einfügen", "Fügt die Funktion aus dem Feld links ein"},
        {"HemisphereButton17", "^2", 8, 40, olive, 11, true, typing, "", "Hoch zwei", ""},
        {"HemisphereButton24", "^3", 40, 40, olive, 11, true, typing, "", "Hoch drei", ""},
        {"HemisphereButton18", "sqrt", 72, 40, olive, 11, true, &KeypadWindow::onSquareRootKey, "",
         "Wurzel", "Fügt sqrt() ein, die Schreibmarke zwischen den Klammern"},
        {"HemisphereButton16", "^", 112, 40, blue, 11, true, typing, "", "Hoch", ""},
        {"HemisphereButton10", "C", 148, 40, brown, 13, true, &KeypadWindow::onDeleteKey, "",
         "Zeichen löschen", "Löscht das Zeichen vor der Schreibmarke"},
        {"hemi", "1", 8, 76, orange, 13, true, typing, "", "Eins", ""},
        {"HemisphereButton1", "2", 40, 76, orange, 13, true, typing, "", "Zwei", ""},
        {"HemisphereButton2", "3", 72, 76, orange, 13, true, typing, "", "Drei", ""},
        {"HemisphereButton12", "/", 112, 76, blue, 11, true, typing, "", "Geteilt durch", ""},
        {"HemisphereButton22", "CL", 148, 76, brown, 13, true, &KeypadWindow::onClearLineKey, "",
         "Zeile leeren", "Leert die Zeile der Schreibmarke"},
        {"HemisphereButton3", "4", 8, 108, orange, 13, true, typing, "", "Vier", ""},
        {"HemisphereButton4", "5", 40, 108, orange, 13, true, typing, "", "Fünf", ""},
        {"HemisphereButton5", "6", 72, 108, orange, 13, true, typing, "", "Sechs", ""},
        {"HemisphereButton13", "*", 112, 108, blue, 13, true, typing, "", "Mal", ""},
        {"HemisphereButton23", "->", 148, 108, brown, 13, false, &KeypadWindow::onRewriteLineKey,
         "Ans Ende springen", "Zeilenende", "Setzt die Schreibmarke ans Ende der Zeile"},
        {"HemisphereButton6", "7", 8, 140, orange, 13, true, typing, "", "Sieben", ""},
        {"HemisphereButton7", "8", 40, 140, orange, 13, true, typing, "", "Acht", ""},
        {"HemisphereButton8", "9", 72, 140, orange, 13, true, typing, "", "Neun", ""},
        {"HemisphereButton14", "+", 112, 140, blue, 13, true, typing, "", "Plus", ""},
        {"HemisphereButton21", "erg", 148, 140, brown, 13, false, &KeypadWindow::onEnterOrResultKey,
         "Letztes Ergebnis", "Letztes Ergebnis", "Fügt das letzte Ergebnis ein"},
        {"HemisphereButton19", "π", 8, 172, olive, 16, true, &KeypadWindow::onPiKey, "", "Pi", ""},
        {"HemisphereButton9", "0", 40, 172, orange, 13, true, typing, "", "Null", ""},
        {"HemisphereButton11", ".", 72, 172, olive, 13, true, typing, "", "Dezimalpunkt", ""},
        {"HemisphereButton15", "-", 112, 172, blue, 13, true, typing, "", "Minus", ""},
        {"HemisphereButton20", "=", 148, 172, orange, 13, true, &KeypadWindow::onEnterOrResultKey,
         "", "Zeile berechnen", "Berechnet die Zeile der Schreibmarke wie die Eingabetaste"},
    };

    // The faces keep their colours under every desktop theme, so the captions keep theirs: a
    // dark theme's light text would hardly show on the light faces.
    QPalette captions = palette();
    captions.setColor(QPalette::WindowText, Qt::black);

    for (const KeyDescription& k : keys) {
        auto* key = new THemisphereButton(Panel2);
        key->setObjectName(QLatin1String(k.name));
        key->setFont(keypadFont(k.fontPixels, k.bold));
        key->setPalette(captions);
        key->setGeometry(k.left, k.top, 31, 31);
        HemisphereLook look; // lowered outer ring, no inner ring, width 2, attenuation 1, shaded
        look.Caption = QString::fromUtf8(k.caption);
        look.FaceColor = QColor::fromRgb(k.face);
        key->setLook(look);
        key->setToolTip(QString::fromUtf8(k.hint));
        key->setAccessibleName(QString::fromUtf8(k.spoken));
        key->setAccessibleDescription(QString::fromUtf8(k.description));
        const Handler handler = k.handler;
        connect(key, &THemisphereButton::clicked, this,
                [this, handler, key] { (this->*handler)(key); });
    }
}

// Fills the function list from the worksheet's "Funktionen" submenu, leaving out its first
// entry; the text shows "sin()" until the settings are restored.
void KeypadWindow::FormCreate()
{
    const QStringList captions = m_worksheet.functionMenuCaptions();
    if (captions.size() > 1)
        ComboBox1->addItems(captions.mid(1));
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QStringLiteral("sin()"));
}

double KeypadWindow::KommaValue() const
{
    return Komma->Wert();
}

void KeypadWindow::applyStayOnTop()
{
    // Changing the flags re-creates the windows, which a Wayland compositor then places anew,
    // for nothing: it does not let a client stay on top.
    if (!PlatformKeepsWindowsOnTop())
        return;
    const bool onTop = CBOnTop->isChecked();
    // The re-created windows leave the keyboard wherever the window system puts it; whoever
    // changed the box from the keypad stays at the box.
    QWidget* focus = isActiveWindow() ? focusWidget() : nullptr;
    setStaysOnTop(m_worksheet.mainWindow(), onTop);
    setStaysOnTop(this, onTop);
    if (focus != nullptr) {
        activateWindow();
        focus->setFocus(Qt::OtherFocusReason);
    }
}

void KeypadWindow::showKeypad()
{
    // Where the window system gives a new window the keyboard all the same (Wayland), the keys
    // go on to the page.
    if (!isVisible())
        ParkKeyboard(*this);
    show();
    raise();
}

// Where the keyboard stayed with the keypad after a key, typing goes on in the page.
void KeypadWindow::keepTypingInWorksheet()
{
    m_worksheet.focusWorksheet();
    if (!PlatformActivatesOnRequest() && isActiveWindow())
        ParkKeyboard(*this);
}

// Esc in any field gives the keyboard back to the page; the fields leave it to the window.
void KeypadWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        keepTypingInWorksheet();
        return;
    }
    QWidget::keyPressEvent(event);
}

// Whenever the keypad loses the keyboard, its own focus rests on the window itself. A click on a
// key makes the keypad the active window for a moment, and the window's focus would otherwise
// pass through the function box on the way back to the worksheet: a screen reader would announce
// the box at every key. The keypad is inactive here, so nothing is announced now either.
void KeypadWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
        ParkKeyboard(*this);
}

// The double click is taken here, before the line edit would select a word of the function
// text: a selected word would be overwritten by the next key that reaches the box. Enter in the
// box inserts the function as the double click does (in its open list, Enter picks an entry).
bool KeypadWindow::eventFilter(QObject* watched, QEvent* event)
{
    const bool inBox = watched == ComboBox1 || watched == ComboBox1->lineEdit();
    // Reached by the keyboard (F6, Tab), the box offers its text to be typed over.
    if (watched == ComboBox1 && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason)
            QMetaObject::invokeMethod(ComboBox1->lineEdit(), &QLineEdit::selectAll,
                                      Qt::QueuedConnection);
    }
    if (inBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            onFunctionKey(ComboBox1);
            return true;
        }
    }
    if (watched == ComboBox1->lineEdit() && event->type() == QEvent::MouseButtonDblClick) {
        onFunctionKey(ComboBox1);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Digits, ".", operators and powers: the key's caption replaces the selection, and the worksheet
// gets the focus (an insertion that steps nothing back).
void KeypadWindow::onTypingKey(QObject* Sender)
{
    m_worksheet.InsertText(static_cast<THemisphereButton*>(Sender)->Caption(), 0);
    keepTypingInWorksheet();
}

void KeypadWindow::onSquareRootKey(QObject*)
{
    m_worksheet.InsertText(QStringLiteral("sqrt()"), 1);
    keepTypingInWorksheet();
}

// π types "Pi" and leaves the focus where it is.
void KeypadWindow::onPiKey(QObject*)
{
    m_worksheet.replaceSelection(QStringLiteral("Pi"));
}

void KeypadWindow::onFunctionKey(QObject*)
{
    m_worksheet.InsertText(ComboBox1->currentText(), 1);
    keepTypingInWorksheet();
}

// "=" evaluates the line as Enter typed in the worksheet does; "erg" inserts the last result as
// Esc does.
void KeypadWindow::onEnterOrResultKey(QObject* Sender)
{
    const bool evaluate = static_cast<THemisphereButton*>(Sender)->Caption() == u"=";
    m_worksheet.MemoKeyPress(evaluate ? kEnter : kEscape);
    keepTypingInWorksheet();
}

// "C": deletes the character before the selection's start, or the first character when the
// caret stands at the very start; the rest of a selection stays. The focus is not moved.
void KeypadWindow::onDeleteKey(QObject*)
{
    m_worksheet.deleteCharacterBeforeSelection();
}

// "CL": the caret's line becomes empty; the line itself stays.
void KeypadWindow::onClearLineKey(QObject*)
{
    m_worksheet.clearCaretLine();
    keepTypingInWorksheet();
}

// "->": the caret's line is written again with its own text, which leaves the caret at its end.
void KeypadWindow::onRewriteLineKey(QObject*)
{
    m_worksheet.rewriteCaretLine();
    keepTypingInWorksheet();
}

// A click into the decimal-places field resets a negative value to 0.
void KeypadWindow::onDecimalsClicked(QObject*)
{
    if (!(Komma->Wert() >= 0))
        Komma->setWert(0);
}

} // namespace quorvel
