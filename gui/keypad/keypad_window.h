// SPDX-License-Identifier: GPL-3.0-or-later
// "Tasteneingabe" ("Form2"): the on-screen keypad. Its round keys type into the worksheet's active
// page, evaluate the line, insert the last result and edit the line; its lower strip keeps both
// windows on top and holds the number of decimal places of every result.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;

namespace quorvel {

class THemisphereButton;
class TRealSpinEdit;
class WorksheetPort;

class KeypadWindow : public QWidget
{
    Q_OBJECT

public:
    // Reads the worksheet's function list at once, so the main window's popup menu must be
    // complete. Pass the main window as parent: the keypad then stays a window of its own
    // (hidden until shown) and closes with the program. On Wayland the parent is not taken:
    // a compositor such as weston hands the keyboard to a window's last transient child when
    // the window itself is clicked, so the page could never get the keyboard back; the owner
    // destroys the keypad there.
    explicit KeypadWindow(WorksheetPort& worksheet, QWidget* parent = nullptr);

    // The value of the decimal-places field "Komma" as it stands, a real number; the line
    // evaluation rounds it itself (a value beyond the 32-bit range fails there).
    double KommaValue() const;

    // Applies the stay-on-top check box to the main window and the keypad. Runs on a click of
    // the box; the main window calls it once after restoring the settings. Where the platform
    // does not keep windows on top (Wayland), the windows are left as they are and the box's
    // tool tip says why.
    void applyStayOnTop();

    // Shows the keypad and brings it to the front ("Tastatur anzeigen", Ctrl+T), leaving the
    // keyboard with the page: F6 goes from the page to the keypad's fields, Esc back.
    void showKeypad();

signals:
    // Every change of the text of "Komma" (typed, stepped or restored), with the value it now
    // reads as. The main window keeps it for the line evaluation.
    void decimalsChanged(double value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormCreate();
    void buildKeys();
    // After a key that gives the worksheet the focus.
    void keepTypingInWorksheet();

    // Handlers of the keys and fields; Sender is the key (or field) that fired.
    void onTypingKey(QObject* Sender);
    void onSquareRootKey(QObject* Sender);
    void onPiKey(QObject* Sender);
    void onFunctionKey(QObject* Sender);
    void onEnterOrResultKey(QObject* Sender);
    void onDeleteKey(QObject* Sender);
    void onClearLineKey(QObject* Sender);
    void onRewriteLineKey(QObject* Sender);
    void onDecimalsClicked(QObject* Sender);

    WorksheetPort& m_worksheet;
    QFrame* Panel2;
    QFrame* Panel1;
    QComboBox* ComboBox1;
    QCheckBox* CBOnTop;
    TRealSpinEdit* Komma;
};

} // namespace quorvel
