// SPDX-License-Identifier: GPL-3.0-or-later
// The "Formeleditor" window and the "Ablage" menu's formula entries.
#include "gui/formula_library/formula_editor.h"

#include "gui/formula_library/formula_library_host.h"
#include "gui/formula_library/formula_text.h"
#include "gui/platform/message_boxes.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>

namespace quorvel {

namespace {

// Index of the first formula entry in the "Ablage" menu, behind "Bearbeiten..." and "-".
constexpr int kFirstFormulaEntry = 2;

const QString kNewTitle = QStringLiteral("Neue Formel");

QFont arialFont(int pixelSize, bool bold, bool italic)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// A title is shown as it is, its Alt letter the first letter or digit that no entry above it
// uses (none when every one is taken). An "&" of the title is doubled, so it is no accelerator
// mark.
QString menuCaption(const QString& title, QString& usedLetters)
{
    QString caption;
    bool marked = false;
    for (const QChar c : title) {
        if (!marked && c.isLetterOrNumber() && !usedLetters.contains(c.toLower())) {
            caption += QLatin1Char('&');
            usedLetters += c.toLower();
            marked = true;
        }
        caption += c;
        if (c == QLatin1Char('&'))
            caption += QLatin1Char('&');
    }
    return caption;
}

// The Alt letter of a caption, lower case, or nothing.
QString mnemonicOf(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&')) {
            if (caption.at(i + 1) != QLatin1Char('&'))
                return caption.at(i + 1).toLower();
            ++i;
        }
    }
    return {};
}

QPushButton* makeButton(const char* name, const QString& caption, QWidget* parent, int left,
                        int top, int width, int height)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, top, width, height);
    return button;
}

QLabel* makeLabel(const char* name, const QString& caption, QWidget* parent, int left, int top)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QGroupBox* makeGroupBox(const char* name, const QString& caption, QWidget* parent, int left,
                        int top)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setFont(arialFont(13, false, true)); // its buttons take this font too
    box->setGeometry(left, top, 226, 57);
    return box;
}

} // namespace

FormulaLibraryWindow::FormulaLibraryWindow(FormulaLibraryHost& host, QWidget* parent)
    : QDialog(parent), m_host(host)
{
    Q_ASSERT(m_host.ablageMenu() != nullptr);
    FormCreate();
}

FormulaLibraryWindow::~FormulaLibraryWindow()
{
    FormDestroy();
}

void FormulaLibraryWindow::FormCreate()
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Formeleditor"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);
    setFont(arialFont(15, true, false));
    setFixedSize(333, 440);

    ftitel = new QListWidget(this);
    ftitel->setObjectName(QStringLiteral("ftitel"));
    ftitel->setGeometry(8, 8, 321, 97);
    ftitel->setSelectionMode(QAbstractItemView::SingleSelection);

    ftitel->setAccessibleName(QStringLiteral("Formeln"));

    Label1 = makeLabel("Label1", QStringLiteral("&Formel:"), this, 8, 109);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(8, 128, 321, 137);
    RichEdit1->setLineWrapMode(QTextEdit::NoWrap); // lines of a formula, scrolled both ways
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Tab goes on to the next field; Ctrl+Tab types a tab, which the pages keep.
    RichEdit1->setTabChangesFocus(true);
    RichEdit1->installEventFilter(this);
    Label1->setBuddy(RichEdit1);

    Label2 = makeLabel("Label2", QStringLiteral("&Name:"), this, 8, 269);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 288, 321, 26);
    Label2->setBuddy(Edit1);

    GroupBox2 = makeGroupBox("GroupBox2", QStringLiteral("Formel "), this, 8, 317);
    BTSpeichern = makeButton("BTSpeichern", QStringLiteral("&Merken"), GroupBox2, 8, 24, 97, 25);
    BTSpeichern->setDefault(true);
    BTDelete = makeButton("BTDelete", QStringLiteral("&Löschen"), GroupBox2, 120, 24, 97, 25);

    GroupBox1 = makeGroupBox("GroupBox1", QStringLiteral("Markierung"), this, 8, 376);
    BtGetText = makeButton("BtGetText", QStringLiteral("&Holen"), GroupBox1, 8, 24, 97, 25);
    BtToText = makeButton("BtToText", QStringLiteral("Ein&setzen"), GroupBox1, 120, 24, 97, 25);

    BtEnde = makeButton("BtEnde", QStringLiteral("&Ende"), this, 243, 324, 86, 109);

    connect(ftitel, &QListWidget::itemClicked, this, [this] { onTitleChosen(); });
    // Keyboard moves in the list act like clicks, as in a list box.
    connect(ftitel, &QListWidget::currentRowChanged, this, [this] {
        if (!m_changingList)
            onTitleChosen();
    });
    connect(BTSpeichern, &QPushButton::clicked, this, [this] { onSave(); });
    connect(BTDelete, &QPushButton::clicked, this, [this] { onDelete(); });
    connect(BtGetText, &QPushButton::clicked, this, [this] { onTakeSelection(); });
    connect(BtToText, &QPushButton::clicked, this, [this] { onInsertIntoPage(); });
    connect(BtEnde, &QPushButton::clicked, this, [this] { onClose(); });

    // Centred on the screen whatever the parent, as the original dialog was.
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    FormulaTexts.clear();
}

void FormulaLibraryWindow::FormDestroy()
{
    // The menu entries belong to the main window's menu; their connections to this window end
    // with it, so a late click cannot reach a destroyed library.
    FormulaTexts.clear();
}

void FormulaLibraryWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool FormulaLibraryWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == RichEdit1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            RichEdit1->insertPlainText(QStringLiteral("\t"));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FormulaLibraryWindow::FormShow()
{
    focusTitle();
}

void FormulaLibraryWindow::focusTitle()
{
    Edit1->setFocus();
    Edit1->selectAll();
}

// ---- the library ----------------------------------------------------------------------------

void FormulaLibraryWindow::setFormulas(const QStringList& titles, const QStringList& encodedTexts)
{
    m_changingList = true;
    ftitel->clear();
    FormulaTexts.clear();
    QMenu* menu = m_host.ablageMenu();
    while (menu->actions().size() > kFirstFormulaEntry)
        removeMenuEntry(static_cast<int>(menu->actions().size()) - 1 - kFirstFormulaEntry);

    for (qsizetype k = 0; k < titles.size(); ++k) {
        ftitel->addItem(titles.at(k));
        FormulaTexts.append(encodedTexts.value(k));
        appendMenuEntry(titles.at(k));
    }
    m_changingList = false;
}

QStringList FormulaLibraryWindow::titles() const
{
    QStringList result;
    for (int k = 0; k < ftitel->count(); ++k)
        result.append(ftitel->item(k)->text());
    return result;
}

QStringList FormulaLibraryWindow::encodedTexts() const
{
    return FormulaTexts;
}

int FormulaLibraryWindow::selectedIndex() const
{
    const QList<QListWidgetItem*> selected = ftitel->selectedItems();
    return selected.isEmpty() ? -1 : ftitel->row(selected.first());
}

int FormulaLibraryWindow::indexOfTitle(const QString& title) const
{
    for (int k = 0; k < ftitel->count(); ++k) {
        if (QString::compare(ftitel->item(k)->text(), title, Qt::CaseInsensitive) == 0)
            return k;
    }
    return -1;
}

QString FormulaLibraryWindow::worksheetSelection() const
{
    return m_host.selectedText();
}

void FormulaLibraryWindow::appendMenuEntry(const QString& title)
{
    QAction* entry = m_host.ablageMenu()->addAction(title);
    entry->setData(title); // the caption's text, whatever Alt letter it gets
    connect(entry, &QAction::triggered, this, [this, entry] { onFormulaEntry(entry); });
    assignAltLetters();
}

// Gives the formula entries their Alt letters anew after an entry came or went, so that every
// entry keeps a letter of its own where its title has one.
void FormulaLibraryWindow::assignAltLetters()
{
    const QList<QAction*> entries = m_host.ablageMenu()->actions();
    QString used;
    for (qsizetype i = 0; i < kFirstFormulaEntry && i < entries.size(); ++i)
        used += mnemonicOf(entries.at(i)->text());
    for (qsizetype i = kFirstFormulaEntry; i < entries.size(); ++i)
        entries.at(i)->setText(menuCaption(entries.at(i)->data().toString(), used));
}

void FormulaLibraryWindow::removeMenuEntry(int index)
{
    QMenu* menu = m_host.ablageMenu();
    const QList<QAction*> entries = menu->actions();
    const qsizetype position = index + kFirstFormulaEntry;
    if (position < entries.size()) {
        QAction* entry = entries.at(position);
        menu->removeAction(entry);
        delete entry;
        assignAltLetters();
    }
}

// ---- the handlers ---------------------------------------------------------------------------

void FormulaLibraryWindow::onTitleChosen()
{
    const int k = selectedIndex();
    if (k < 0)
        return;
    Edit1->setText(ftitel->item(k)->text());
    setTextWithLineBreaks(*RichEdit1, DecodeLineBreaks(FormulaTexts.at(k)));
}

void FormulaLibraryWindow::onSave()
{
    const QString title = Edit1->text();
    if (title.isEmpty()) {
        ShowInfo(QStringLiteral("Kein Name eingegeben, Abbruch..."), this);
        return;
    }
    const int k = indexOfTitle(title);
    if (k == -1) {
        ftitel->addItem(title);
        FormulaTexts.append(EncodeLineBreaks(worksheetSelection()));
        appendMenuEntry(title);
        return;
    }
    if (!ConfirmYesNo(QStringLiteral("Formel existiert, überschreiben?"), this))
        return;
    // The "Ablage" entry keeps its caption until the menu is built again at the next start.
    ftitel->item(k)->setText(title);
    FormulaTexts[k] = EncodeLineBreaks(worksheetSelection());
}

void FormulaLibraryWindow::onDelete()
{
    const int k = selectedIndex();
    if (k < 0)
        return;
    if (!ConfirmYesNo(QStringLiteral("Formel löschen?"), this))
        return;
    m_changingList = true;
    delete ftitel->takeItem(k);
    ftitel->clearSelection(); // as in a list box, nothing is selected after a deletion
    m_changingList = false;
    FormulaTexts.removeAt(k);
    removeMenuEntry(k);
}

void FormulaLibraryWindow::onTakeSelection()
{
    setTextWithLineBreaks(*RichEdit1, worksheetSelection());
    Edit1->setText(kNewTitle);
    focusTitle();
}

void FormulaLibraryWindow::onInsertIntoPage()
{
    m_host.replaceSelection(RichEdit1->toPlainText());
}

void FormulaLibraryWindow::onClose()
{
    close();
}

// ---- the "Ablage" menu -----------------------------------------------------------

void FormulaLibraryWindow::showWithSelection()
{
    const QString selection = worksheetSelection();
    if (!selection.isEmpty()) {
        setTextWithLineBreaks(*RichEdit1, selection);
        Edit1->setText(kNewTitle);
    }
    show();
    raise();
    activateWindow();
}

void FormulaLibraryWindow::onFormulaEntry(QAction* entry)
{
    const qsizetype k = m_host.ablageMenu()->actions().indexOf(entry) - kFirstFormulaEntry;
    if (k < 0 || k >= ftitel->count())
        return;
    m_host.replaceSelection(DecodeLineBreaks(FormulaTexts.at(k)));
}

} // namespace quorvel
