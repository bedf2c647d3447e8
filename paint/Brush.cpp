#include "paint/Brush.h"
#include "core/LevelDocument.h"
#include "core/Numbers.h"

#include <algorithm>

namespace vortan {

namespace {

void drawDisc(Picture& p, int radius, Colour c) {
    p.setBackground(kBlack);
    p.setBackgroundPicture(QImage()); // nothing of a loaded picture may remain
    p.clear();
    p.fillDisc(p.width() / 2.0f, p.height() / 2.0f, float(radius), c);
}

// The list's entries in the order a material is looked for.
constexpr std::array<int, 6> kLookupOrder{0, 1, 2, 5, 3, 4};

} // namespace

Brush::Brush() {
    makeDisc(20);
    showMaterialInList();
}

void Brush::makeDisc(int radius) {
    radius_ = radius;
    if (colour_ == kBlack) colour_ = kWhite;
    drawDisc(colourBrush_, radius, colour_);
    drawDisc(materialBrush_, radius, material_);
    makeMask();
}

void Brush::makeMask() {
    const QImage& brush = colourBrush_.image();
    QImage& mask = mask_.pixels();
    int left = kSide, right = -1;
    for (int y = 0; y < kSide; ++y) {
        auto* src = reinterpret_cast<const uint32_t*>(brush.constScanLine(y));
        auto* dst = reinterpret_cast<uint32_t*>(mask.scanLine(y));
        for (int x = 0; x < kSide; ++x) {
            const bool shape = (src[x] & 0xFFFFFF) != 0;
            dst[x] = toPixel(shape ? kBlack : kWhite);
            if (shape) left = std::min(left, x), right = std::max(right, x);
        }
    }
    paintedWidth_ = std::max(0, right - left + 1);
    makePreview();
}

void Brush::makePreview() {
    reach_ = LevelDocument::stampReach(mask_, &colourBrush_, &materialBrush_);
    preview_ = QImage(kSide, kSide, QImage::Format_ARGB32);
    for (int y = 0; y < kSide; ++y) {
        auto* brush = reinterpret_cast<const uint32_t*>(colourBrush_.image().constScanLine(y));
        auto* mask = reinterpret_cast<const uint32_t*>(mask_.image().constScanLine(y));
        auto* out = reinterpret_cast<uint32_t*>(preview_.scanLine(y));
        for (int x = 0; x < kSide; ++x)
            out[x] = (mask[x] & 0xFFFFFF) == 0 ? (brush[x] | 0xFF000000u) : 0u;
    }
}

void Brush::chooseMaterial(const QString& entry) {
    listEntry_ = entry;
    for (const MaterialEntry& m : kMaterialList)
        if (entry == m.name) {
            material_ = m.colour;
            // Water is painted in its own colour too.
            if (m.colour == kWater) colour_ = kWater;
        }
    makeDisc(radius_);
}

void Brush::showMaterialInList() {
    for (int i : kLookupOrder) {
        const MaterialEntry& m = kMaterialList[size_t(i)];
        if (material_ != m.colour) continue;
        // Showing another entry chooses it, with all that choosing does.
        if (listEntry_ != m.name) chooseMaterial(m.name);
        return;
    }
}

void Brush::take(Colour c, bool asColour) {
    (asColour ? colour_ : material_) = c;
    makeDisc(radius_);
    showMaterialInList();
}

void Brush::usePicture(const QImage& picture) {
    colourBrush_.setBackgroundPicture(picture);
    const Colour tag = colourBrush_.pixelAt(0, 0);
    if (snapToMaterial(tag) == tag) {
        material_ = tag;
        showMaterialInList(); // may make discs: the picture replaces them below
        colourBrush_.setBackgroundPicture(picture);
        colourBrush_.setPixel(0, 0, colourBrush_.pixelAt(1, 0));
        materialBrush_.setBackground(kBlack);
        materialBrush_.clear();
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                if (colourBrush_.pixelAt(x, y) != kBlack) materialBrush_.setPixel(x, y, tag);
    }
    makeMask();
}

void Brush::mirror() {
    const int half = roundHalfEven(kSide / 2.0);
    for (Picture* p : {&colourBrush_, &materialBrush_, &mask_}) {
        QImage& img = p->pixels();
        for (int y = 0; y < kSide; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
            for (int x = 0; x <= half; ++x)
                std::swap(row[x], row[kSide - 1 - x]);
        }
    }
    makePreview();
}

} // namespace vortan
