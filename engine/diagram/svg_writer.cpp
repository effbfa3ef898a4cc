// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the drawing model as SVG 1.1. Coordinates with two decimals: a hundredth of a unit is
// far below what any screen or printer shows.
#include "engine/diagram/svg_writer.h"

#include "engine/base/text_encoding.h"

#include <charconv>
#include <cmath>

namespace quorvel {
namespace {

void number(std::string& out, double v)
{
    if (!std::isfinite(v))
        v = 0.0;
    char buffer[40];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 2).ptr;
    // «12.50» as «12.5», «3.00» as «3»: shorter files, same picture.
    while (end[-1] == '0')
        --end;
    if (end[-1] == '.')
        --end;
    if (end - buffer == 2 && buffer[0] == '-' && buffer[1] == '0')
        out += '0';
    else
        out.append(buffer, end);
}

void attribute(std::string& out, const char* name, double v)
{
    out += ' ';
    out += name;
    out += "=\"";
    number(out, v);
    out += '"';
}

void colour(std::string& out, const char* name, Colour c)
{
    constexpr char kHex[] = "0123456789abcdef";
    out += ' ';
    out += name;
    out += "=\"#";
    for (const std::uint8_t part : {c.r, c.g, c.b}) {
        out += kHex[part >> 4];
        out += kHex[part & 15];
    }
    out += '"';
}

// Text as XML character data or attribute value: the markup characters escaped, and the
// characters XML 1.0 does not allow (controls other than tab and line breaks, U+FFFE, U+FFFF)
// replaced by U+FFFD; lone surrogates become U+FFFD when encoded.
void escaped(std::string& out, std::u16string_view text)
{
    std::u16string clean;
    clean.reserve(text.size());
    for (const char16_t c : text) {
        const bool allowed =
            c >= 0x20 ? (c != 0xFFFE && c != 0xFFFF) : (c == u'\t' || c == u'\n' || c == u'\r');
        clean += allowed ? c : u'\uFFFD';
    }
    for (const char ch : EncodeUtf8(clean)) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += ch;
        }
    }
}

const char* roleName(ItemRole role)
{
    switch (role) {
    case ItemRole::Paper:
        return "paper";
    case ItemRole::Plot:
        return "plot";
    case ItemRole::Grid:
        return "grid";
    case ItemRole::Axis:
        return "axis";
    case ItemRole::Tick:
        return "tick";
    case ItemRole::Curve:
        return "curve";
    case ItemRole::Legend:
        return "legend";
    case ItemRole::Label:
        return "label";
    case ItemRole::Note:
        return "note";
    }
    return "item";
}

void role(std::string& out, ItemRole r)
{
    out += " class=\"";
    out += roleName(r);
    out += '"';
}

void write(std::string& out, const RectItem& item)
{
    out += "<rect";
    role(out, item.role);
    attribute(out, "x", item.rect.x);
    attribute(out, "y", item.rect.y);
    attribute(out, "width", item.rect.width);
    attribute(out, "height", item.rect.height);
    colour(out, "fill", item.fill);
    if (item.outlined) {
        colour(out, "stroke", item.outline);
        out += " stroke-width=\"1\"";
    }
    out += "/>\n";
}

void write(std::string& out, const LineItem& item)
{
    out += "<line";
    role(out, item.role);
    attribute(out, "x1", item.from.x);
    attribute(out, "y1", item.from.y);
    attribute(out, "x2", item.to.x);
    attribute(out, "y2", item.to.y);
    colour(out, "stroke", item.colour);
    attribute(out, "stroke-width", item.width);
    out += "/>\n";
}

void write(std::string& out, const PolylineItem& item)
{
    out += "<polyline";
    role(out, item.role);
    out += " fill=\"none\"";
    colour(out, "stroke", item.colour);
    attribute(out, "stroke-width", item.width);
    out += " stroke-linejoin=\"round\" stroke-linecap=\"round\"";
    if (item.dashed)
        out += " stroke-dasharray=\"6 4\"";
    out += " points=\"";
    for (const PicturePoint& p : item.points) {
        if (&p != &item.points.front())
            out += ' ';
        number(out, p.x);
        out += ',';
        number(out, p.y);
    }
    out += "\"/>\n";
}

void write(std::string& out, const TextItem& item)
{
    out += "<text";
    role(out, item.role);
    attribute(out, "x", item.at.x);
    attribute(out, "y", item.at.y);
    attribute(out, "font-size", item.size);
    if (item.bold)
        out += " font-weight=\"bold\"";
    switch (item.anchor) {
    case TextAnchor::Start:
        break;
    case TextAnchor::Middle:
        out += " text-anchor=\"middle\"";
        break;
    case TextAnchor::End:
        out += " text-anchor=\"end\"";
        break;
    }
    colour(out, "fill", item.colour);
    if (item.rotation != 0.0) {
        out += " transform=\"rotate(";
        number(out, item.rotation);
        out += ' ';
        number(out, item.at.x);
        out += ' ';
        number(out, item.at.y);
        out += ")\"";
    }
    out += '>';
    escaped(out, item.text);
    out += "</text>\n";
}

} // namespace

std::string WriteSvg(const Picture& picture)
{
    std::string out;
    out.reserve(4096);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
    attribute(out, "width", picture.width);
    attribute(out, "height", picture.height);
    out += " viewBox=\"0 0 ";
    number(out, picture.width);
    out += ' ';
    number(out, picture.height);
    out += "\" font-family=\"sans-serif\" role=\"img\">\n";
    out += "<title>";
    escaped(out, picture.title);
    out += "</title>\n";
    for (const PictureItem& item : picture.items)
        std::visit([&out](const auto& i) { write(out, i); }, item);
    out += "</svg>\n";
    return out;
}

} // namespace quorvel
