// SPDX-License-Identifier: GPL-3.0-or-later
// MainWindow's creation (FormCreate, design values), its pages, the first showing, and the one
// place through which it reaches the keypad, the formula library and the help window.
#include "gui/worksheet/main_window.h"

#include "engine/base/quorvel_error.h"
#include "gui/formula_library/formula_editor.h"
#include "gui/help/help_window.h"
#include "gui/keypad/keypad_window.h"
#include "gui/page_layout/long_lines.h"
#include "gui/platform/keyboard_panes.h"
#include "gui/platform/message_boxes.h"
#include "gui/platform/paper_palette.h"
#include "gui/platform/window_system.h"
#include "gui/unit_definitions/unit_definitions_window.h"
#include "gui/worksheet/sheet_page.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QShowEvent>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QWindow>

namespace quorvel {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    FormCreate();
}

MainWindow::~MainWindow() = default;

void MainWindow::FormCreate()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kCaption));
    QFont windowFont(QStringLiteral("Arial"));
    windowFont.setPixelSize(15);
    windowFont.setBold(true);
    setFont(windowFont);
    setMinimumSize(50, 120);
    resize(525, 437);
    move(441, 177);

    m_firstShow = true;
    m_keypadVisible = false;

    m_pageControl = new QTabWidget(this);
    m_pageControl->setObjectName(QStringLiteral("PageControl1"));
    m_pageControl->setTabPosition(QTabWidget::South);
    m_pageControl->setDocumentMode(true);
    m_pageControl->setAccessibleName(QStringLiteral("Arbeitsblätter"));
    m_calculationPage = createPage(QStringLiteral("Memo1"), QStringLiteral("Berechnung"));
    m_notesPage = createPage(QStringLiteral("Memo2"), QStringLiteral("Notizen"));
    m_sheet1 = std::make_unique<SheetEditor>(*m_calculationPage);
    m_sheet2 = std::make_unique<SheetEditor>(*m_notesPage);
    setCentralWidget(m_pageControl);
    connect(m_pageControl, &QTabWidget::currentChanged, this, &MainWindow::onPageChanged);

    CreateMainMenu();
    CreatePopupMenu();
    BuildFunctionList();

    m_current = m_calculationPage;
    m_pageControl->setCurrentIndex(0);
    m_calculationPage->setFocus(); // typing goes to the page as soon as the window is active
    // The first stop of F6: the active page.
    AddPaneWindow(*this, [this] { return QList<QWidget*>{CurrentEditor()}; });
}

QTextEdit* MainWindow::createPage(const QString& objectName, const QString& caption)
{
    auto* memo = new SheetPage(m_pageControl);
    memo->setObjectName(objectName);
    memo->setAccessibleName(caption);
    // "Courier New" 11 pt bold black; fontconfig gives its metric twin Liberation Mono.
    QFont font(QStringLiteral("Courier New"), 11);
    font.setBold(true);
    memo->setFont(font);
    memo->document()->setDefaultFont(font);
    MakePaper(*memo);
    memo->setTextColor(Qt::black);
    memo->setLineWrapMode(QTextEdit::NoWrap);
    FollowPageLength(*memo); // a page pasted or typed long gets the long-page layout
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memo->setTabChangesFocus(false);
    memo->setAcceptRichText(true);
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo, &QWidget::customContextMenuRequested, this, [this, memo](const QPoint& pos) {
        m_popupMenu->popup(memo->viewport()->mapToGlobal(pos));
    });
    memo->installEventFilter(this);
    connect(memo, &SheetPage::diagramActivated, this, &MainWindow::diagramEditRequested);
    m_pageControl->addTab(memo, caption);
    return memo;
}

void MainWindow::setPageCaption(int index, const QString& caption)
{
    m_pageControl->setTabText(index, caption);
    page(index)->setAccessibleName(caption);
}

void MainWindow::onPageChanged(int index)
{
    m_current = index == 1 ? m_notesPage : m_calculationPage;
}

QTextEdit* MainWindow::CurrentEditor() const
{
    return m_current;
}

SheetEditor& MainWindow::currentSheet() const
{
    return m_current == m_notesPage ? *m_sheet2 : *m_sheet1;
}

void MainWindow::setKeypad(KeypadWindow* keypad)
{
    m_keypad = keypad;
    if (keypad)
        connect(keypad, &KeypadWindow::decimalsChanged, this,
                [this](double value) { m_decimals = value; });
}

void MainWindow::setUnitDefinitionsWindow(UnitDefinitionsWindow* window)
{
    m_unitWindow = window;
    if (window)
        connect(window, &UnitDefinitionsWindow::helpRequested, this, &MainWindow::ShowHelp);
}

void MainWindow::ShowUnitDefinitions()
{
    if (!m_unitWindow)
        return;
    m_unitWindow->show();
    m_unitWindow->raise();
    m_unitWindow->activateWindow();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_firstShow)
        return;
    m_firstShow = false;
    // After the show has finished, so that the modal unit definitions window opens over a
    // main window that is already on the screen.
    QMetaObject::invokeMethod(this, &MainWindow::FormShow, Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    m_keypadVisible = m_keypad != nullptr && m_keypad->isVisible();
    QMainWindow::closeEvent(event);
}

void MainWindow::FormShow()
{
    if (m_keypad) {
        m_keypad->applyStayOnTop(); // the check box as the settings left it
        if (m_keypadVisible)
            m_keypad->showKeypad();
    }
    if (!m_unitWindow)
        return;
    bool ok = false;
    try {
        ok = m_unitWindow->CompileUnitDefinitions();
    } catch (const QuorvelError& e) {
        ShowErrorMessage(QString::fromStdU16String(e.message()), this);
        return;
    }
    if (ok)
        return;
    ShowInfo(QStringLiteral("Fehler bei Einheitendefinition"), this);
    if (m_unitWindow->isVisible())
        return;
    // Where the program cannot place windows, the compositor places a modal window by the window
    // it belongs to. Only while it is modal: as a child of the main window, the unit definitions
    // window opened later (Ctrl+E) would take the keyboard whenever the main window is clicked.
    QWindow* unitWindow = nullptr;
    if (!PlatformKnowsWindowPlaces()) {
        m_unitWindow->winId();
        unitWindow = m_unitWindow->windowHandle();
        unitWindow->setTransientParent(windowHandle());
    }
    m_unitWindow->exec();
    if (unitWindow != nullptr)
        unitWindow->setTransientParent(nullptr);
}

// --- The other windows: each is reached here and nowhere else. ---

void MainWindow::ShowKeypad()
{
    if (m_keypad)
        m_keypad->showKeypad();
}

void MainWindow::ShowHelp(const QString& fileName)
{
    if (m_help)
        m_help->ShowHelp(fileName);
}

void MainWindow::ShowFormulaEditor()
{
    if (m_formulaEditor)
        m_formulaEditor->showWithSelection();
}

} // namespace quorvel
