// SPDX-License-Identifier: GPL-3.0-or-later
// The font dialog: an embedded QFontDialog (without its own buttons) and two combo boxes with
// the colours and character sets of the Windows font dialog.
#include "gui/worksheet/font_dialog.h"

#include "gui/platform/accessibility.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVBoxLayout>

namespace quorvel {
namespace {

struct NamedColor
{
    const char* name;
    QRgb rgb;
};

// The sixteen colours of the Windows font dialog, in its order.
constexpr NamedColor kColors[] = {
    {"Schwarz", 0x000000},    {"Dunkelrot", 0x800000}, {"Grün", 0x008000},      {"Oliv", 0x808000},
    {"Marineblau", 0x000080}, {"Violett", 0x800080},   {"Blaugrün", 0x008080},  {"Grau", 0x808080},
    {"Silber", 0xC0C0C0},     {"Rot", 0xFF0000},       {"Hellgrün", 0x00FF00},  {"Gelb", 0xFFFF00},
    {"Blau", 0x0000FF},       {"Fuchsie", 0xFF00FF},   {"Aquamarin", 0x00FFFF}, {"Weiß", 0xFFFFFF}};

struct NamedCharset
{
    const char* name;
    int number;
};

constexpr NamedCharset kCharsets[] = {
    {"Westlich", 0},   {"Standard", 1},   {"Symbol", 2},       {"Griechisch", 161},
    {"Türkisch", 162}, {"Baltisch", 186}, {"Kyrillisch", 204}, {"Mitteleuropäisch", 238}};

// The chooser's fields and lists stand in columns under labels that name no field of their own
// (the family and style lists, the read-only fields above them): each takes its column's label,
// the name a screen reader then speaks.
void nameByColumnLabels(QWidget& chooser)
{
    auto* grid = qobject_cast<QGridLayout*>(chooser.layout());
    if (grid == nullptr)
        return;
    for (int i = 0; i < grid->count(); ++i) {
        QWidget* field = grid->itemAt(i)->widget();
        if (qobject_cast<QLineEdit*>(field) == nullptr &&
            qobject_cast<QAbstractItemView*>(field) == nullptr)
            continue;
        int row = 0;
        int column = 0;
        int rowSpan = 0;
        int columnSpan = 0;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        const QLayoutItem* top = grid->itemAtPosition(0, column);
        const auto* label = top != nullptr ? qobject_cast<QLabel*>(top->widget()) : nullptr;
        if (row > 0 && label != nullptr && field->accessibleName().isEmpty())
            field->setAccessibleName(WithoutMnemonic(label->text()));
    }
}

QIcon swatch(const QColor& color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    return QIcon(pixmap);
}

} // namespace

SheetFontDialog::SheetFontDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FontDialog1"));
    setWindowTitle(QStringLiteral("Schriftart"));

    m_fonts = new QFontDialog(this);
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setWindowFlags(Qt::Widget);
    m_fonts->setSizeGripEnabled(false);
    m_fonts->setVisible(true);
    // The chooser's writing-system filter looks like a second character set selector beside
    // ours, which is the one that reaches the text.
    for (QComboBox* box : m_fonts->findChildren<QComboBox*>()) {
        box->hide();
        for (QLabel* label : m_fonts->findChildren<QLabel*>())
            if (label->buddy() == box)
                label->hide();
    }
    // Enter and Esc must act on our dialog from every field: the embedded chooser is a dialog
    // of its own and would otherwise close itself, leaving our frame without its controls.
    m_fonts->installEventFilter(this);
    for (QWidget* child : m_fonts->findChildren<QWidget*>())
        child->installEventFilter(this);
    connect(m_fonts, &QDialog::finished, this, [this](int result) {
        m_fonts->setVisible(true);
        done(result);
    });
    nameByColumnLabels(*m_fonts);

    m_colors = new QComboBox(this);
    m_colors->setObjectName(QStringLiteral("Farbe"));
    for (const NamedColor& c : kColors)
        m_colors->addItem(swatch(QColor(c.rgb)), QString::fromUtf8(c.name), QColor(c.rgb));
    m_charsets = new QComboBox(this);
    m_charsets->setObjectName(QStringLiteral("Schrift"));
    for (const NamedCharset& c : kCharsets)
        m_charsets->addItem(QString::fromUtf8(c.name), c.number);

    m_colors->view()->setAccessibleName(QStringLiteral("Farbe"));
    m_charsets->view()->setAccessibleName(QStringLiteral("Skript"));

    auto* extras = new QFormLayout;
    extras->addRow(QStringLiteral("&Farbe:"), m_colors);
    extras->addRow(QStringLiteral("&Skript:"), m_charsets);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts);
    layout->addLayout(extras);
    layout->addWidget(buttons);

    for (QWidget* field : {static_cast<QWidget*>(m_colors), static_cast<QWidget*>(m_charsets)})
        field->installEventFilter(this);
    // Qt's translated chooser and our two fields mark some letters twice ("&Schriftart" and
    // "&Skript:", "&Größe" and "Durch&gestrichen").
    MakeMnemonicsUnique(*this);
}

int SheetFontDialog::addOrFind(QComboBox& box, const QString& caption, const QVariant& value)
{
    int index = box.findData(value);
    if (index < 0) {
        box.addItem(caption, value);
        index = box.count() - 1;
    }
    return index;
}

void SheetFontDialog::setCharFormat(const CharFormat& format)
{
    m_format = format;
    QFont font(format.name);
    font.setPointSize(format.size > 0 ? format.size : 11);
    font.setBold((format.style & StyleBold) != 0);
    font.setItalic((format.style & StyleItalic) != 0);
    font.setUnderline((format.style & StyleUnderline) != 0);
    // The chooser lists installed families only: show the one that is drawn ("Liberation Mono"
    // for "Courier New") and keep the document's name unless the user picks another family.
    font.setFamily(QFontInfo(font).family());
    // QFontDialog looks the style up by its translated name ("Fett") among the untranslated
    // ones ("Bold") and, under the German translation, lands on the wrong one; naming the
    // font's own style avoids the lookup.
    const QStringList styles = QFontDatabase::styles(font.family());
    for (const QString& style : styles) {
        if (QFontDatabase::bold(font.family(), style) == font.bold() &&
            QFontDatabase::italic(font.family(), style) == font.italic()) {
            font.setStyleName(style);
            break;
        }
    }
    m_fonts->setCurrentFont(font);
    m_presetFamily = m_fonts->currentFont().family();

    const QColor color = format.color.isValid() ? format.color : QColor(Qt::black);
    const int colorIndex = addOrFind(*m_colors, color.name(), color);
    m_colors->setItemIcon(colorIndex, swatch(color));
    m_colors->setCurrentIndex(colorIndex);
    m_charsets->setCurrentIndex(
        addOrFind(*m_charsets, QString::number(format.charset), format.charset));
}

CharFormat SheetFontDialog::charFormat() const
{
    const QFont font = m_fonts->currentFont();
    CharFormat result = m_format;
    result.name = font.family() == m_presetFamily ? m_format.name : font.family();
    result.size = font.pointSize() > 0 ? font.pointSize() : m_format.size;
    result.style = (font.bold() ? StyleBold : 0) | (font.italic() ? StyleItalic : 0) |
                   (font.underline() ? StyleUnderline : 0);
    result.color = m_colors->currentData().value<QColor>();
    result.charset = m_charsets->currentData().toInt();
    return result;
}

bool SheetFontDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Only the fields in the dialog itself: in an open list of a combo box Enter picks the entry.
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::KeyPress && widget && widget->window() == this) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace quorvel
