// SPDX-License-Identifier: GPL-3.0-or-later
// THemisphereButton: a round, shaded push or toggle button that never takes the keyboard focus.
// Its look is computed into three images whenever a look setting or the size changes; painting
// only composes those images with what lies beneath.
#pragma once

#include "gui/keypad/hemisphere_images.h"

#include <QWidget>

class QMouseEvent;

namespace quorvel {

class THemisphereButton : public QWidget
{
    Q_OBJECT

public:
    explicit THemisphereButton(QWidget* parent = nullptr);

    // All look settings at once, with a single rebuild. Font and caption colour come from the
    // widget's own font and foreground colour, so look.Font and look.FontColor are ignored here.
    void setLook(const HemisphereLook& look);
    const HemisphereLook& look() const { return m_look; }

    bool AllowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool on);
    double AttenControl() const { return m_look.AttenControl; }
    void setAttenControl(double v);
    THemisphereBevel BevelInner() const { return m_look.BevelInner; }
    void setBevelInner(THemisphereBevel v);
    THemisphereBevel BevelOuter() const { return m_look.BevelOuter; }
    void setBevelOuter(THemisphereBevel v);
    int BevelWidth() const { return m_look.BevelWidth; }
    void setBevelWidth(int v); // values <= 0 are refused
    QColor BorderColor() const { return m_look.BorderColor; }
    void setBorderColor(const QColor& v);
    THemisphereBorder BorderStyle() const { return m_look.BorderStyle; }
    void setBorderStyle(THemisphereBorder v);
    QString Caption() const { return m_look.Caption; }
    void setCaption(const QString& v);
    bool Down() const { return m_down; }
    void setDown(bool v);
    QColor FaceColor() const { return m_look.FaceColor; }
    void setFaceColor(const QColor& v);
    bool FaceShaded() const { return m_look.FaceShaded; }
    void setFaceShaded(bool v);
    bool FaceTransparent() const { return m_look.FaceTransparent; }
    void setFaceTransparent(bool v);
    QImage Glyph() const { return m_look.Glyph; }
    void setGlyph(const QImage& picture); // a null image removes the glyph
    int GlyphIndex() const { return m_look.GlyphIndex; }
    void setGlyphIndex(int v); // accepted only within 1..NumGlyphs
    bool GlyphMapped() const { return m_look.GlyphMapped; }
    void setGlyphMapped(bool v);
    bool GlyphShaded() const { return m_look.GlyphShaded; }
    void setGlyphShaded(bool v);
    bool GlyphTransparent() const { return m_look.GlyphTransparent; }
    void setGlyphTransparent(bool v);
    int GroupIndex() const { return m_groupIndex; }
    void setGroupIndex(int v) { m_groupIndex = v; }
    int NumGlyphs() const { return m_look.NumGlyphs; }
    void setNumGlyphs(int v); // values below 1 are refused

    // True when the point (widget coordinates) lies on the face, inside the rings.
    bool IsOnFace(QPointF p) const;

    // What a click on the face does, without a mouse: the press action of screen readers. A
    // disabled button ignores it.
    void click();

    const QImage& ImageOut() const { return images().ImageOut; }
    const QImage& ImageIn() const { return images().ImageIn; }
    const QImage& ImageMask() const { return images().ImageMask; }
    // How often the look changed so that the images had to be computed anew (once each, when
    // next needed); lets tests see that painting never shades.
    int rebuildCount() const { return m_rebuildCount; }

signals:
    void clicked(); // emitted while the button still shows its state before the click
    void doubleClicked();
    void mouseDown(QMouseEvent* event);
    void mouseMove(QMouseEvent* event);
    void mouseUp(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    template <typename T> void setLookValue(T HemisphereLook::*field, const T& value);
    void press(QMouseEvent* event, bool doubleClick);
    // The end of a click on the face: clicked(), then the state of a push or group button.
    void finishClick(bool downAtPress);
    void RebuildImages();
    const HemisphereImages& images() const;
    void rebuildIfStale(); // after a size or screen change
    QList<THemisphereButton*> groupMates() const;

    HemisphereLook m_look;
    mutable HemisphereImages m_images;
    mutable bool m_imagesStale = true;
    QSize m_imageSize;
    qreal m_imageRatio = 0;
    int m_rebuildCount = 0;
    bool m_allowAllUp = false;
    bool m_down = false;
    int m_groupIndex = 0;
    bool m_tracking = false;
    bool m_downAtPress = false;
};

} // namespace quorvel
