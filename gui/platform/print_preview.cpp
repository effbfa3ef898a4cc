// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/platform/print_preview.h"

#include <QComboBox>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace quorvel {
namespace {

// The zoom choices: a whole sheet, the sheet's width, or a fixed factor.
struct ZoomChoice
{
    const char* caption; // UTF-8
    QPrintPreviewWidget::ZoomMode mode;
    double factor;
};
constexpr ZoomChoice kZooms[] = {
    {"Ganze Seite", QPrintPreviewWidget::FitInView, 0.0},
    {"Seitenbreite", QPrintPreviewWidget::FitToWidth, 0.0},
    {"50 %", QPrintPreviewWidget::CustomZoom, 0.5},
    {"75 %", QPrintPreviewWidget::CustomZoom, 0.75},
    {"100 %", QPrintPreviewWidget::CustomZoom, 1.0},
    {"150 %", QPrintPreviewWidget::CustomZoom, 1.5},
    {"200 %", QPrintPreviewWidget::CustomZoom, 2.0},
};

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

PrintPreview::PrintPreview(QPrinter& printer, const PaintSheets& paint, std::function<bool()> print,
                           QWidget* parent)
    : QDialog(parent), m_printer(printer), m_print(std::move(print))
{
    setObjectName(QStringLiteral("Druckvorschau"));
    setWindowTitle(QStringLiteral("Druckvorschau"));

    QPushButton* drucken = button(this, "Drucken", QStringLiteral("&Drucken..."));
    QPushButton* einrichten =
        button(this, "SeiteEinrichten", QStringLiteral("&Seite einrichten..."));
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("Zoom"));
    m_zoom->setAccessibleName(QStringLiteral("Zoom"));
    for (const ZoomChoice& z : kZooms)
        m_zoom->addItem(QString::fromUtf8(z.caption));
    auto* zoomLabel = new QLabel(QStringLiteral("&Zoom:"), this);
    zoomLabel->setBuddy(m_zoom);
    m_pages = new QLabel(this);
    m_pages->setObjectName(QStringLiteral("Seiten"));
    QPushButton* schliessen = button(this, "Schliessen", QStringLiteral("S&chlie\u00DFen"));

    m_view = new QPrintPreviewWidget(&printer, this);
    m_view->setObjectName(QStringLiteral("Vorschau"));
    m_view->setAccessibleName(QStringLiteral("Vorschau"));
    // The sheets scroll with the arrows and page keys once Tab has reached them.
    if (auto* sheets = m_view->findChild<QGraphicsView*>()) {
        sheets->setFocusPolicy(Qt::StrongFocus);
        sheets->setAccessibleName(QStringLiteral("Vorschau"));
    }

    auto* bar = new QHBoxLayout;
    bar->addWidget(drucken);
    bar->addWidget(einrichten);
    bar->addSpacing(12);
    bar->addWidget(zoomLabel);
    bar->addWidget(m_zoom);
    bar->addSpacing(12);
    bar->addWidget(m_pages);
    bar->addStretch();
    bar->addWidget(schliessen);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);

    // Enter prints, as the first button says; Esc closes.
    drucken->setDefault(true);
    for (QPushButton* b : {einrichten, schliessen})
        b->setAutoDefault(false);
    connect(drucken, &QPushButton::clicked, this, [this] {
        if (m_print())
            accept();
    });
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, drucken,
            &QPushButton::click);
    connect(einrichten, &QPushButton::clicked, this, &PrintPreview::onPageSetup);
    connect(schliessen, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_zoom, &QComboBox::activated, this, &PrintPreview::onZoomChosen);
    connect(m_view, &QPrintPreviewWidget::paintRequested, this,
            [paint](QPrinter* device) { paint(*device); });
    connect(m_view, &QPrintPreviewWidget::previewChanged, this, &PrintPreview::onPreviewChanged);

    m_zoom->setCurrentIndex(0);
    onZoomChosen(0);
    resize(680, 860);
    if (const QScreen* screen =
            parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableGeometry().size() * 9 / 10;
        resize(std::min(width(), room.width()), std::min(height(), room.height()));
    }
    drucken->setFocus();
}

void PrintPreview::onZoomChosen(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kZooms)))
        return;
    const ZoomChoice& z = kZooms[index];
    m_view->setZoomMode(z.mode);
    if (z.mode == QPrintPreviewWidget::CustomZoom)
        m_view->setZoomFactor(z.factor);
}

void PrintPreview::onPageSetup()
{
    QPageSetupDialog dialog(&m_printer, this);
    if (dialog.exec() == QDialog::Accepted)
        m_view->updatePreview();
}

void PrintPreview::onPreviewChanged()
{
    const int sheets = m_view->pageCount();
    m_pages->setText(sheets == 1 ? QStringLiteral("1 Seite")
                                 : QStringLiteral("%1 Seiten").arg(sheets));
}

PaperOutput::PaperOutput(QWidget& window) : m_window(window)
{
    runPrintDialog = [](QPrinter& printer, QWidget* over) {
        QPrintDialog dialog(&printer, over);
        return dialog.exec() == QDialog::Accepted;
    };
    runPreview = [](PrintPreview& preview) { preview.exec(); };
}

void PaperOutput::print(QPrinter& printer, const PaintSheets& paint)
{
    if (runPrintDialog(printer, &m_window))
        paint(printer);
}

void PaperOutput::preview(QPrinter& printer, const PaintSheets& paint)
{
    PrintPreview* shown = nullptr;
    PrintPreview dialog(
        printer, paint,
        [this, &printer, &paint, &shown] {
            if (!runPrintDialog(printer, shown))
                return false;
            paint(printer);
            return true;
        },
        &m_window);
    shown = &dialog;
    runPreview(dialog);
}

} // namespace quorvel
