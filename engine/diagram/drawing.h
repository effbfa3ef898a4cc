// SPDX-License-Identifier: GPL-3.0-or-later
// A picture as plain data: lines, polylines, filled rectangles and texts in device-independent
// units on a page of a given size, y growing downwards. The diagram layout produces it; the SVG
// writer and the window's painter only translate it, so both show the same diagram.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace quorvel {

struct Colour
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

struct PicturePoint
{
    double x = 0.0;
    double y = 0.0;
};

struct PictureRect
{
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    double right() const { return x + width; }
    double bottom() const { return y + height; }
};

// What an item stands for, so that a reader (or a test) can find the curves in an SVG.
enum class ItemRole { Paper, Plot, Grid, Axis, Tick, Curve, Legend, Label, Note };

struct LineItem
{
    PicturePoint from;
    PicturePoint to;
    Colour colour;
    double width = 1.0;
    ItemRole role = ItemRole::Axis;
};

// An open line through the points; dashed lines tell apart curves beyond the colours.
struct PolylineItem
{
    std::vector<PicturePoint> points;
    Colour colour;
    double width = 1.0;
    bool dashed = false;
    ItemRole role = ItemRole::Curve;
};

struct RectItem
{
    PictureRect rect;
    Colour fill;
    bool outlined = false; // a border in outline colour, width 1
    Colour outline;
    ItemRole role = ItemRole::Paper;
};

// Where the text's position lies on its baseline.
enum class TextAnchor { Start, Middle, End };

struct TextItem
{
    PicturePoint at; // on the baseline
    std::u16string text;
    TextAnchor anchor = TextAnchor::Start;
    double size = 12.0; // em height in picture units, sans-serif
    bool bold = false;
    double rotation = 0.0; // degrees about `at`, clockwise on screen (-90 reads upwards)
    Colour colour;
    ItemRole role = ItemRole::Label;
};

using PictureItem = std::variant<RectItem, LineItem, PolylineItem, TextItem>;

struct Picture
{
    double width = 0.0;
    double height = 0.0;
    std::u16string title;           // what the picture shows, in one line (for screen readers)
    std::vector<PictureItem> items; // in painting order
};

} // namespace quorvel
