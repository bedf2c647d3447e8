#pragma once

#include <array>
#include <cstdint>

namespace vortan {

// A 24-bit colour as the editor stores and compares it: red + 256 * green + 65536 * blue.
// Materials, masks and palette entries are recognised by exact equality.
using Colour = uint32_t;

constexpr Colour rgb(int r, int g, int b) {
    return Colour(r & 0xFF) | (Colour(g & 0xFF) << 8) | (Colour(b & 0xFF) << 16);
}
constexpr int redOf(Colour c) {
    return int(c & 0xFF);
}
constexpr int greenOf(Colour c) {
    return int((c >> 8) & 0xFF);
}
constexpr int blueOf(Colour c) {
    return int((c >> 16) & 0xFF);
}

// Black means nothing: empty space in the colour layer, no material in the map,
// transparent in a brush.
constexpr Colour kBlack = 0;
constexpr Colour kWhite = 0xFFFFFF;
// What a picture gives for a point outside it; no 24-bit colour has these bits.
constexpr Colour kNoColour = 0xFFFFFFFF;

// Pictures keep their pixels as QImage::Format_RGB32 (0xFFRRGGBB). Converting is a
// swap of red and blue; AND and OR act the same on either order.
constexpr uint32_t toPixel(Colour c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr Colour fromPixel(uint32_t p) {
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

// How far apart two colours look to the palette and the material snap: green weighs
// three, red two, blue one.
int colourDistance(Colour a, Colour b);

// The materials of the map, each a colour.
constexpr Colour kWall = rgb(255, 0, 0);
constexpr Colour kBehindWall = rgb(128, 0, 0);
constexpr Colour kWater = rgb(0, 0, 255);
constexpr Colour kPlatformFS = rgb(0, 255, 0);
constexpr Colour kPlatformFSA = rgb(0, 255, 255);
constexpr Colour kExplosive = rgb(255, 255, 0);

// The material list's entries, in list order.
struct MaterialEntry {
    const char* name;
    Colour colour;
    char key; // the letter that chooses it, with any modifier
};
constexpr std::array<MaterialEntry, 6> kMaterialList{{{"Wall", kWall, 'W'},
                                                      {"Behind Wall", kBehindWall, 'B'},
                                                      {"Water", kWater, 'T'},
                                                      {"PlatformFS", kPlatformFS, 'S'},
                                                      {"PlatformFSA", kPlatformFSA, 'A'},
                                                      {"Explosive!", kExplosive, 'E'}}};

// The material a chosen colour stands for: the nearest of Wall, Explosive, PlatformFS
// and PlatformFSA. Behind wall and water are never reached. Of equally near materials
// the later wins, so pure blue (as near to red as to cyan) gives PlatformFSA.
Colour snapToMaterial(Colour c);

} // namespace vortan
