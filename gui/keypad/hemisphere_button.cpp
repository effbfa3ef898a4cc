// SPDX-License-Identifier: GPL-3.0-or-later
// THemisphereButton: look settings, image rebuilds, painting by raster operations, and the
// mouse rules of a push button or a member of a toggle group.
#include "gui/keypad/hemisphere_button.h"

#include "gui/keypad/keypad_accessibility.h"

#include <QMouseEvent>
#include <QPainter>

namespace quorvel {

THemisphereButton::THemisphereButton(QWidget* parent) : QWidget(parent)
{
    InstallKeypadAccessibility();
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true); // mouseMove is reported also while no button is held
    resize(25, 25);
    RebuildImages(); // there are no stored images: the look is computed when first needed
}

template <typename T> void THemisphereButton::setLookValue(T HemisphereLook::*field, const T& value)
{
    if (m_look.*field == value)
        return;
    m_look.*field = value;
    RebuildImages();
}

void THemisphereButton::setLook(const HemisphereLook& look)
{
    m_look = look;
    RebuildImages();
}

void THemisphereButton::setAttenControl(double v)
{
    setLookValue(&HemisphereLook::AttenControl, v);
}

void THemisphereButton::setBevelInner(THemisphereBevel v)
{
    setLookValue(&HemisphereLook::BevelInner, v);
}

void THemisphereButton::setBevelOuter(THemisphereBevel v)
{
    setLookValue(&HemisphereLook::BevelOuter, v);
}

void THemisphereButton::setBevelWidth(int v)
{
    if (v > 0)
        setLookValue(&HemisphereLook::BevelWidth, v);
}

void THemisphereButton::setBorderColor(const QColor& v)
{
    setLookValue(&HemisphereLook::BorderColor, v);
}

void THemisphereButton::setBorderStyle(THemisphereBorder v)
{
    setLookValue(&HemisphereLook::BorderStyle, v);
}

void THemisphereButton::setCaption(const QString& v)
{
    setLookValue(&HemisphereLook::Caption, v);
}

void THemisphereButton::setFaceColor(const QColor& v)
{
    setLookValue(&HemisphereLook::FaceColor, v);
}

void THemisphereButton::setFaceShaded(bool v)
{
    setLookValue(&HemisphereLook::FaceShaded, v);
}

void THemisphereButton::setFaceTransparent(bool v)
{
    setLookValue(&HemisphereLook::FaceTransparent, v);
}

void THemisphereButton::setGlyphMapped(bool v)
{
    setLookValue(&HemisphereLook::GlyphMapped, v);
}

void THemisphereButton::setGlyphShaded(bool v)
{
    setLookValue(&HemisphereLook::GlyphShaded, v);
}

void THemisphereButton::setGlyphTransparent(bool v)
{
    setLookValue(&HemisphereLook::GlyphTransparent, v);
}

void THemisphereButton::setNumGlyphs(int v)
{
    if (v >= 1)
        setLookValue(&HemisphereLook::NumGlyphs, v);
}

void THemisphereButton::setGlyph(const QImage& picture)
{
    m_look.Glyph = picture;
    if (!picture.isNull()) {
        const int w = picture.width();
        const int h = picture.height();
        m_look.NumGlyphs = h > 0 && w % h == 0 && w / h > 0 ? w / h : 1;
        m_look.GlyphIndex = 1;
    }
    RebuildImages();
}

void THemisphereButton::setGlyphIndex(int v)
{
    if (v > 0 && v <= m_look.NumGlyphs)
        setLookValue(&HemisphereLook::GlyphIndex, v);
}

void THemisphereButton::setAllowAllUp(bool on)
{
    if (on == m_allowAllUp)
        return;
    if (m_groupIndex == 0) {
        m_allowAllUp = on;
        return;
    }
    for (THemisphereButton* b : groupMates())
        b->m_allowAllUp = on;
}

void THemisphereButton::setDown(bool v)
{
    if (v == m_down)
        return;
    m_down = v;
    repaint();
}

QList<THemisphereButton*> THemisphereButton::groupMates() const
{
    QList<THemisphereButton*> group;
    if (QWidget* owner = parentWidget()) {
        for (THemisphereButton* b :
             owner->findChildren<THemisphereButton*>(QString(), Qt::FindDirectChildrenOnly))
            if (b->m_groupIndex == m_groupIndex)
                group.append(b);
    } else {
        group.append(const_cast<THemisphereButton*>(this));
    }
    return group;
}

bool THemisphereButton::IsOnFace(QPointF p) const
{
    int rings = 0;
    if (m_look.BevelOuter != THemisphereBevel::hbNone)
        rings += m_look.BevelWidth;
    if (m_look.BevelInner != THemisphereBevel::hbNone)
        rings += m_look.BevelWidth;
    const double a = width() / 2.0;
    const double b = height() / 2.0;
    if (a - rings <= 0 || b - rings <= 0)
        return false;
    const double u = (p.x() - a) / (a - rings);
    const double v = (p.y() - b) / (b - rings);
    return u * u + v * v <= 1.0;
}

void THemisphereButton::RebuildImages()
{
    // Only marked here: the keypad makes and sets up all its keys at start, before it is shown,
    // and shading them took a tenth of the start. The images are computed when first needed.
    m_imagesStale = true;
    ++m_rebuildCount;
    m_imageSize = size(); // remembered even when too small to draw
    m_imageRatio = devicePixelRatioF();
    update();
}

const HemisphereImages& THemisphereButton::images() const
{
    if (m_imagesStale) {
        m_imagesStale = false;
        HemisphereLook look = m_look;
        look.Font = font();
        look.FontColor = palette().color(foregroundRole());
        if (auto images = quorvel::RebuildImages(look, m_imageSize, m_imageRatio))
            m_images = std::move(*images);
    }
    return m_images;
}

void THemisphereButton::rebuildIfStale()
{
    if (size() != m_imageSize || devicePixelRatioF() != m_imageRatio)
        RebuildImages();
}

void THemisphereButton::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    rebuildIfStale();
}

void THemisphereButton::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    rebuildIfStale(); // the window may sit on a screen with another pixel ratio
}

void THemisphereButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        RebuildImages();
}

bool THemisphereButton::event(QEvent* event)
{
    const bool result = QWidget::event(event);
    if (event->type() == QEvent::ScreenChangeInternal)
        rebuildIfStale();
    return result;
}

// What lies beneath keeps its pixels where the mask is white; the button's image fills the
// rest: (background AND mask) OR (image AND NOT mask).
void THemisphereButton::paintEvent(QPaintEvent*)
{
    const HemisphereImages& images = this->images();
    const QImage& mask = images.ImageMask;
    if (mask.isNull())
        return;
    QImage face = m_down ? images.ImageIn : images.ImageOut;
    {
        QPainter f(&face);
        f.setCompositionMode(QPainter::RasterOp_NotSourceAndDestination);
        f.drawImage(0, 0, mask);
    }
    QPainter p(this);
    const QRect target(0, 0, m_imageSize.width(), m_imageSize.height());
    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.drawImage(target, mask);
    p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    p.drawImage(target, face);
}

void THemisphereButton::press(QMouseEvent* event, bool doubleClick)
{
    event->accept();
    if (!isEnabled() || !IsOnFace(event->position()))
        return;
    emit mouseDown(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_tracking = true;
    m_downAtPress = m_down;
    setDown(true);
    if (doubleClick)
        emit doubleClicked();
}

void THemisphereButton::mousePressEvent(QMouseEvent* event)
{
    press(event, false);
}

// Qt delivers the second press of a double click as its own event.
void THemisphereButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    press(event, true);
}

void THemisphereButton::mouseMoveEvent(QMouseEvent* event)
{
    if (m_tracking && !m_downAtPress)
        setDown(IsOnFace(event->position()));
    emit mouseMove(event);
}

void THemisphereButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_tracking) {
        m_tracking = false;
        const bool onFace = IsOnFace(event->position());
        // A release counts as a last move to its point, so a press dragged off the face shows
        // up again even when no move event came in between.
        if (!m_downAtPress)
            setDown(onFace);
        if (onFace)
            finishClick(m_downAtPress);
    }
    emit mouseUp(event);
}

void THemisphereButton::finishClick(bool downAtPress)
{
    emit clicked();
    if (m_groupIndex == 0) {
        setDown(false);
    } else if (m_allowAllUp || !downAtPress) {
        for (THemisphereButton* b : groupMates())
            if (b != this)
                b->setDown(false);
        setDown(!downAtPress);
    }
}

void THemisphereButton::click()
{
    if (isEnabled() && !m_tracking)
        finishClick(m_down);
}

} // namespace quorvel
