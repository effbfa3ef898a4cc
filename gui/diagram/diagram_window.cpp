// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/diagram/diagram_window.h"

#include "engine/diagram/axis_numbers.h"
#include "engine/diagram/csv_writer.h"
#include "gui/diagram/diagram_view.h"
#include "gui/diagram/picture_files.h"
#include "gui/platform/message_boxes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace quorvel {
namespace {

// Smaller windows still give files and paper room for the ticks and titles.
constexpr double kMinExportWidth = 640.0;
constexpr double kMinExportHeight = 400.0;

const QString kHint = QStringLiteral(
    "Ablesen: Mauszeiger oder Pfeiltasten \u00B7 Vergr\u00F6\u00DFern: Mausrad, Rechteck ziehen "
    "oder Strg++ \u00B7 Verkleinern: Strg+- \u00B7 Verschieben: Umschalt+Pfeiltasten \u00B7 "
    "Ganzes Diagramm: Strg+0 oder Doppelklick");

// The filters of the file dialog and the suffix each adds to a name typed without one.
const QStringList kFilters{QStringLiteral("PNG-Bild (*.png)"), QStringLiteral("SVG-Grafik (*.svg)"),
                           QStringLiteral("PDF-Dokument (*.pdf)")};
const QStringList kSuffixes{QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("pdf")};

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// A field of the visible ranges, with its label; the label names it for screen readers.
QLineEdit* rangeField(QWidget* parent, QHBoxLayout* row, const QString& caption, const char* name,
                      const QString& accessibleName)
{
    auto* label = new QLabel(caption, parent);
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setAccessibleName(accessibleName);
    field->setAccessibleDescription(QStringLiteral(
        "Eine Zahl in der Einheit der Achse oder eine Gr\u00F6\u00DFe wie 2.5km; die "
        "Eingabetaste zeigt den Bereich."));
    field->setMinimumWidth(70);
    label->setBuddy(field);
    row->addWidget(label);
    row->addWidget(field, 1);
    return field;
}

QAction* keyAction(QWidget* window, const QList<QKeySequence>& keys)
{
    auto* action = new QAction(window);
    action->setShortcuts(keys);
    window->addAction(action);
    return action;
}

} // namespace

DiagramWindow::DiagramWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Diagramm"));
    setWindowTitle(QStringLiteral("Diagramm"));
    setAttribute(Qt::WA_QuitOnClose, false);

    m_view = new DiagramView(this);
    QPushButton* insert =
        button(this, "DiagrammEinfuegen", QStringLiteral("Diagramm &einf\u00FCgen"));
    insert->setAccessibleDescription(QStringLiteral(
        "Setzt das Diagramm als Bild in die Seite, nach den Zeilen, die es zeichnet; F9 zeichnet "
        "es dort neu."));
    QPushButton* save = button(this, "BildSpeichern", QStringLiteral("Als &Bild speichern..."));
    QPushButton* copy = button(this, "Kopieren", QStringLiteral("&Kopieren"));
    QPushButton* values = button(this, "WerteKopieren", QStringLiteral("&Werte kopieren"));
    QPushButton* print = button(this, "Drucken", QStringLiteral("&Drucken..."));
    QPushButton* preview = button(this, "Druckvorschau", QStringLiteral("Druck&vorschau..."));
    m_whole = button(this, "GanzesDiagramm", QStringLiteral("&Ganzes Diagramm"));
    m_whole->setToolTip(QStringLiteral("Strg+0"));
    m_status = new QLabel(kHint, this);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setAccessibleName(kHint);
    m_status->setAccessibleDescription(
        QStringLiteral("Die Werte der Kurven unter dem Mauszeiger oder an der Ablesemarke"));
    // The hint may be wider than the window; it wraps rather than widening the window or being
    // cut off.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_status->setWordWrap(true);

    // "Ganzes Diagramm" stands below the view, beside the hint that names its keys: with both
    // print buttons in one row, the row was wider than a screen at twice the scale.
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {save, copy, values, print, preview})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_whole, 0, Qt::AlignBottom);
    bottom->addWidget(insert, 0, Qt::AlignBottom); // the row above is full at twice the scale
    setTabOrder(m_whole, insert);
    auto* ranges = new QHBoxLayout;
    m_range = {
        rangeField(this, ranges, QStringLiteral("&x von"), "XVon", QStringLiteral("x-Achse von")),
        rangeField(this, ranges, QStringLiteral("bis"), "XBis", QStringLiteral("x-Achse bis")),
        rangeField(this, ranges, QStringLiteral("&y von"), "YVon", QStringLiteral("y-Achse von")),
        rangeField(this, ranges, QStringLiteral("bis"), "YBis", QStringLiteral("y-Achse bis"))};
    for (QLineEdit* field : m_range)
        connect(field, &QLineEdit::returnPressed, this, &DiagramWindow::onRangeTyped);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 4);
    layout->addLayout(buttons);
    layout->addLayout(ranges);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);

    connect(insert, &QPushButton::clicked, this, &DiagramWindow::insertRequested);
    connect(save, &QPushButton::clicked, this, &DiagramWindow::onSavePicture);
    connect(copy, &QPushButton::clicked, this, &DiagramWindow::onCopyPicture);
    connect(values, &QPushButton::clicked, this, &DiagramWindow::onCopyValues);
    connect(print, &QPushButton::clicked, this, &DiagramWindow::onPrint);
    connect(preview, &QPushButton::clicked, this, &DiagramWindow::onPreview);
    connect(m_whole, &QPushButton::clicked, m_view, &DiagramView::showWhole);
    connect(m_view, &DiagramView::rangesChanged, this, &DiagramWindow::onRangesChanged);
    connect(m_view, &DiagramView::readoutChanged, this, &DiagramWindow::onReadoutChanged);
    // The same commands as a menu of the view (right click, the menu key or Umschalt+F10).
    m_view->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (QPushButton* b : {insert, save, copy, values, print, preview}) {
        auto* action = new QAction(b->text(), m_view);
        connect(action, &QAction::triggered, b, &QPushButton::click);
        m_view->addAction(action);
    }

    // Whichever control has the focus: zoom keys as in other viewers, Esc closes.
    connect(keyAction(this, {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)}),
            &QAction::triggered, m_view, &DiagramView::zoomIn);
    connect(keyAction(this, {QKeySequence::ZoomOut}), &QAction::triggered, m_view,
            &DiagramView::zoomOut);
    connect(keyAction(this, {QKeySequence(Qt::CTRL | Qt::Key_0)}), &QAction::triggered, m_view,
            &DiagramView::showWhole);
    connect(keyAction(this, {QKeySequence(Qt::Key_Escape)}), &QAction::triggered, this,
            &QWidget::close);
    // Shift+F10 opens the view's menu as the menu key does, wherever the focus is.
    connect(keyAction(this, {QKeySequence(Qt::SHIFT | Qt::Key_F10)}), &QAction::triggered, this,
            [this] {
                QMenu::exec(m_view->actions(), m_view->mapToGlobal(m_view->rect().center()),
                            nullptr, m_view);
            });

    runSaveDialog = [this](const QString& preset) {
        QFileDialog dialog(this, QStringLiteral("Als Bild speichern"), preset,
                           kFilters.join(QStringLiteral(";;")));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(kSuffixes.first());
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
            dialog.setDefaultSuffix(kSuffixes.value(kFilters.indexOf(f), kSuffixes.first()));
        });
        dialog.selectFile(preset);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };

    resize(760, 560);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    onRangesChanged();
}

void DiagramWindow::showDiagram(DiagramData diagram)
{
    // The view takes the size it is shown at before it lays the diagram out.
    if (!isVisible())
        layout()->activate();
    m_view->setData(std::move(diagram));
    setWindowTitle(QStringLiteral("Diagramm: ") + m_view->accessibleName());
    onReadoutChanged(m_view->readout());
    show();
    raise();
    activateWindow();
    m_view->setFocus();
}

void DiagramWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_hasPlace = true;
}

DiagramLayout DiagramWindow::exportLayout() const
{
    return m_view->layoutAt(std::max(kMinExportWidth, static_cast<double>(m_view->width())),
                            std::max(kMinExportHeight, static_cast<double>(m_view->height())));
}

void DiagramWindow::onRangesChanged()
{
    m_whole->setEnabled(m_view->isZoomed());
    const DiagramLayout& l = m_view->currentLayout();
    // To a thousandth of the range: enough to type the range back, short enough to read.
    const auto shown = [](const AxisRange& r) {
        const double step = (r.max * 0.5 - r.min * 0.5) / 500.0;
        return std::array<QString, 2>{QString::fromStdU16String(TickText(r.min, step)),
                                      QString::fromStdU16String(TickText(r.max, step))};
    };
    const std::array<QString, 2> x = shown(l.x);
    const std::array<QString, 2> y = shown(l.y);
    const std::array<QString, 4> texts = {x[0], x[1], y[0], y[1]};
    for (std::size_t i = 0; i < m_range.size(); ++i)
        m_range[i]->setText(texts[i]);
}

void DiagramWindow::onReadoutChanged(const QString& readout)
{
    const QString text = readout.isEmpty() ? kHint : readout;
    m_status->setText(text);
    // Screen readers hear the values change: the line's name is what it shows.
    m_status->setAccessibleName(readout.isEmpty() ? kHint : m_view->accessibleReadout());
}

void DiagramWindow::onRangeTyped()
{
    std::array<double, 4> values{};
    const std::shared_ptr<DiagramSource>& source = m_view->data().source;
    for (std::size_t i = 0; i < m_range.size(); ++i) {
        const QString text = m_range[i]->text().trimmed();
        const bool y = i >= 2;
        std::optional<double> value;
        if (source) {
            value = source->axisValue(text.toStdU16String(), y);
        } else {
            bool ok = false;
            value = QLocale::c().toDouble(text, &ok);
            if (!ok)
                value.reset();
        }
        if (!value) {
            const AxisUnit& unit = y ? m_view->data().yUnit : m_view->data().xUnit;
            ShowInfo(QStringLiteral("\u201E%1\u201C ist kein Wert f\u00FCr die %2-Achse: dort "
                                    "steht eine Zahl%3 oder eine Gr\u00F6\u00DFe derselben "
                                    "Dimension.")
                         .arg(text, y ? QStringLiteral("y") : QStringLiteral("x"),
                              unit.name.empty()
                                  ? QString()
                                  : QStringLiteral(" in ") + QString::fromStdU16String(unit.name)),
                     this);
            m_range[i]->setFocus();
            m_range[i]->selectAll();
            return;
        }
        values[i] = *value;
    }
    if (!m_view->showRanges({values[0], values[1]}, {values[2], values[3]}))
        ShowInfo(
            QStringLiteral("Diesen Bereich kann das Diagramm nicht zeigen: \u201Evon\u201C muss "
                           "kleiner sein als \u201Ebis\u201C, auf einer logarithmischen Achse "
                           "gr\u00F6\u00DFer als null, und der Bereich darf nicht schmaler "
                           "sein als die Rechengenauigkeit."),
            this);
}

void DiagramWindow::onSavePicture()
{
    const QString name = QStringLiteral("Diagramm");
    const QString path = runSaveDialog(m_folder.isEmpty() ? name : QDir(m_folder).filePath(name));
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    const QString error = SavePicture(exportLayout().picture, path);
    if (!error.isEmpty())
        ShowInfo(error, this);
}

void DiagramWindow::onCopyPicture()
{
    QApplication::clipboard()->setImage(
        PictureImage(exportLayout().picture, kPicturePixelsPerUnit));
}

void DiagramWindow::onCopyValues()
{
    const QByteArray csv = QByteArray::fromStdString(WriteCsv(m_view->data()));
    auto* mime = new QMimeData;
    mime->setText(QString::fromUtf8(csv));
    mime->setData(QStringLiteral("text/csv"), csv);
    QApplication::clipboard()->setMimeData(mime);
}

void DiagramWindow::onPrint()
{
    toPaper(&PaperOutput::print);
}

void DiagramWindow::onPreview()
{
    toPaper(&PaperOutput::preview);
}

void DiagramWindow::toPaper(void (PaperOutput::*way)(QPrinter&, const PaintSheets&))
{
    const Picture picture = exportLayout().picture;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdU16String(picture.title));
    printer.setPageOrientation(QPageLayout::Landscape);
    (paper.*way)(printer, [&picture](QPrinter& device) { PaintOnPages(picture, device); });
}

} // namespace quorvel
