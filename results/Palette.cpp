#include "results/Palette.h"

#include "host/render/SceneShapes.h"

#include <cmath>
#include <cstdio>

namespace vantri {

namespace {

Colour from_hex(unsigned hex, double alpha = 1.0) {
    return Colour{((hex >> 16) & 0xff) / 255.0, ((hex >> 8) & 0xff) / 255.0, (hex & 0xff) / 255.0,
                  alpha};
}

} // namespace

Colour crowd_colour(size_t index) {
    const Rgb rgb = generator_colour(index);
    return Colour{rgb.r / 255.0, rgb.g / 255.0, rgb.b / 255.0, 1.0};
}

Colour piece_colour(PieceKind kind) {
    switch (kind) {
    case PieceKind::Obstacle:
        return from_hex(0xd62728, 0.4);
    case PieceKind::Terrain:
        return from_hex(0x7f8f6a);
    case PieceKind::Curve:
        return from_hex(0xffd60a);
    case PieceKind::Marker:
        return from_hex(0x5ce1e6);
    case PieceKind::Scenery:
        break;
    }
    return from_hex(0x9a9aa0);
}

std::string colour_hex(const Colour& colour) {
    const auto channel = [](double c) {
        return static_cast<unsigned>(std::lround(std::fmin(std::fmax(c, 0.0), 1.0) * 255.0));
    };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", channel(colour.r), channel(colour.g),
                  channel(colour.b));
    return text;
}

double linear_channel(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace vantri
