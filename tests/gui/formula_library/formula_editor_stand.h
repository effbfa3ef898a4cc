// SPDX-License-Identifier: GPL-3.0-or-later
// The test stand of the formula library: a real QMenu and a real page (a QTextEdit under the
// worksheet's editor layer) stand in for the main window's "Ablage" menu and active page, the
// question boxes are the program's own, answered by clicking their buttons, and the helpers drive
// FormulaLibraryWindow through its real widgets.
#pragma once

#include "gui/formula_library/formula_editor.h"
#include "gui/formula_library/formula_library_host.h"
#include "gui/platform/accessibility.h"
#include "gui/worksheet/sheet_editor.h"
#include "tests/gui/formula_library/message_box_driver.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTranslator>

#include <memory>

inline const QString CR = QStringLiteral("\u008D"); // the stored carriage-return mark (byte 141)
inline const QString LF = QStringLiteral("\u0160"); // the stored line-feed mark (byte 138)

// What the main window is for the formula library: its "Ablage" menu and its active page.
class FakeMainWindow : public quorvel::FormulaLibraryHost
{
public:
    FakeMainWindow()
    {
        page.setWindowTitle(QStringLiteral("Quorvel V" QUORVEL_VERSION));
        menu.addAction(QStringLiteral("Bearbeiten..."));
        menu.addSeparator();
    }
    QMenu* ablageMenu() const override { return &menu; }
    QString selectedText() const override { return sheet.selectedText(); }
    void replaceSelection(const QString& text) override { sheet.replaceSelection(text); }

    mutable QMenu menu{QStringLiteral("Ablage")};
    QTextEdit page;
    quorvel::SheetEditor sheet{page};
};

// A test class derives from this and calls setUpStand() in init() and tearDownStand() in
// cleanup(): every test function starts with a shown, empty formula editor.
class FormulaEditorStand
{
protected:
    void setUpStand()
    {
        m_main = std::make_unique<FakeMainWindow>();
        m_form = std::make_unique<quorvel::FormulaLibraryWindow>(*m_main);
        m_boxes = std::make_unique<MessageBoxDriver>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void tearDownStand()
    {
        QVERIFY2(m_boxes->allAnswered(), "a queued answer found no box");
        m_form.reset();
        m_main.reset();
        m_boxes.reset();
    }

    template <typename T> T* child(const char* name) const
    {
        T* widget = m_form->findChild<T*>(QLatin1String(name));
        if (widget == nullptr)
            qFatal("no control %s", name);
        return widget;
    }
    QListWidget* titleList() const { return child<QListWidget>("ftitel"); }
    QTextEdit* textField() const { return child<QTextEdit>("RichEdit1"); }
    QLineEdit* titleField() const { return child<QLineEdit>("Edit1"); }
    void click(const char* button) const
    {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    void clickTitle(int row) const
    {
        QListWidget* list = titleList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }

    void setPage(const QString& text) const { m_main->page.setPlainText(text); }
    // Selects the first occurrence of part in the page (block breaks count as one '\n').
    void selectInPage(const QString& part) const
    {
        const int from = static_cast<int>(m_main->page.toPlainText().indexOf(part));
        QVERIFY2(from >= 0, qPrintable(part));
        QTextCursor cursor(m_main->page.document());
        cursor.setPosition(from);
        cursor.setPosition(from + static_cast<int>(part.size()), QTextCursor::KeepAnchor);
        m_main->page.setTextCursor(cursor);
    }
    void caretAtEndOfPage() const
    {
        QTextCursor cursor(m_main->page.document());
        cursor.movePosition(QTextCursor::End);
        m_main->page.setTextCursor(cursor);
    }
    // Stores the page part under title with "Merken" (no question expected).
    void store(const QString& title, const QString& part) const
    {
        selectInPage(part);
        titleField()->setText(title);
        click("BTSpeichern");
    }
    QStringList menuCaptions() const
    {
        QStringList captions;
        const QList<QAction*> entries = m_main->menu.actions();
        for (qsizetype i = 2; i < entries.size(); ++i)
            captions.append(quorvel::WithoutMnemonic(entries.at(i)->text()));
        return captions;
    }
    QAction* menuEntry(int index) const { return m_main->menu.actions().value(index); }
    QStringList listTitles() const
    {
        QStringList titles;
        for (int k = 0; k < titleList()->count(); ++k)
            titles.append(titleList()->item(k)->text());
        return titles;
    }
    // The three sequences: list titles, stored texts, menu captions.
    void expectLibrary(const QStringList& titles, const QStringList& texts,
                       const QStringList& captions) const
    {
        QCOMPARE(listTitles(), titles);
        QCOMPARE(m_form->titles(), titles);
        QCOMPARE(m_form->encodedTexts(), texts);
        QCOMPARE(menuCaptions(), captions);
        QCOMPARE(m_main->menu.actions().value(0)->text(), QStringLiteral("Bearbeiten..."));
        QVERIFY(m_main->menu.actions().value(1)->isSeparator());
    }

    std::unique_ptr<FakeMainWindow> m_main;
    std::unique_ptr<quorvel::FormulaLibraryWindow> m_form;
    std::unique_ptr<MessageBoxDriver> m_boxes;
};

// The program entry installs the German Qt translation, so the boxes read "Ja" and "Nein".
template <typename Test> int runGermanQtTest(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel")); // as the program entry names it
    QTranslator german;
    if (german.load(QStringLiteral("qtbase_de"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&german);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
