// SPDX-License-Identifier: GPL-3.0-or-later
// The font dialog of Ctrl+F and "Schrifart...": Qt's font chooser plus what the
// original dialog also offered and QFontDialog lacks, the colour and the character set.
#pragma once

#include "gui/worksheet/sheet_editor.h"

#include <QDialog>

class QComboBox;
class QFontDialog;

namespace quorvel {

class SheetFontDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SheetFontDialog(QWidget* parent = nullptr);

    // Preloads name, size, style, colour and character set; the script position is kept.
    void setCharFormat(const CharFormat& format);
    CharFormat charFormat() const;

    QFontDialog* fontChooser() const { return m_fonts; }
    QComboBox* colorBox() const { return m_colors; }
    QComboBox* charsetBox() const { return m_charsets; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static int addOrFind(QComboBox& box, const QString& caption, const QVariant& value);

    QFontDialog* m_fonts = nullptr;
    QComboBox* m_colors = nullptr;
    QComboBox* m_charsets = nullptr;
    CharFormat m_format;
    QString m_presetFamily;
};

} // namespace quorvel
