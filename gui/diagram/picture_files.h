// SPDX-License-Identifier: GPL-3.0-or-later
// A diagram's picture as PNG, SVG or PDF file, as an image for the clipboard and on paper. The
// SVG is the engine's own (the one quorvel-calc writes); the others are painted from the same
// picture by the picture painter.
#pragma once

#include "engine/diagram/drawing.h"

#include <QByteArray>
#include <QImage>
#include <QString>

class QPagedPaintDevice;

namespace quorvel {

enum class PictureFormat { Png, Svg, Pdf, Unknown };

// Pixels per picture unit of the PNG files and the clipboard's image: sharp on paper and on
// screens with two device pixels to a pixel.
inline constexpr double kPicturePixelsPerUnit = 2.0;

// The format a file name's suffix asks for, in any letter case.
PictureFormat PictureFormatOf(const QString& path);

// The picture as an image with `scale` pixels per picture unit; its resolution is set so that
// programs that honour it show the picture as large as the window does.
QImage PictureImage(const Picture& picture, double scale);

// The picture scaled to fit the device's page, centred across it. False when the device cannot
// be painted.
bool PaintOnPages(const Picture& picture, QPagedPaintDevice& device);

// The file's bytes: PNG at kPicturePixelsPerUnit, SVG from the engine, PDF on a page of the
// picture's size with its texts as text. Empty for an unknown format or a failed painting.
QByteArray PictureFileBytes(const Picture& picture, PictureFormat format);

// Writes the file in the format its suffix names, atomically. Empty on success, else the German
// reason naming the file.
QString SavePicture(const Picture& picture, const QString& path);

} // namespace quorvel
