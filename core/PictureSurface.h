#pragma once

#include <QFont>
#include <QIODevice>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>

namespace vortan {

// A 24-bit colour as the editor stores it: red + 256 * green + 65536 * blue.
using Colour = uint32_t;

constexpr Colour RGB(int r, int g, int b) {
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

constexpr Colour kBlack = 0;
constexpr Colour kWhite = 0xFFFFFF;

// Surfaces keep their pixels as QImage::Format_RGB32 (0xFFRRGGBB). Converting is a
// byte swap of red and blue; AND and OR act the same on either order.
constexpr uint32_t toPixel(Colour c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr Colour fromPixel(uint32_t p) {
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

// Raster operation codes of the block transfers.
enum class Rop : uint32_t {
    SrcCopy = 0xCC0020,  // dst = src
    SrcAnd = 0x8800C6,   // dst = dst AND src
    SrcPaint = 0xEE0086, // dst = dst OR src
};

// The largest picture the editor reads or sizes a layer to. Far above any level a
// user makes (the New dialog warns from about 2 million pixels), low enough that a
// level, its map and two undo copies still fit in memory.
constexpr int64_t kMaxPicturePixels = 64ll * 1024 * 1024;

// One image of the editor: a layer of the level, an undo copy, a brush, the
// thumbnail, the navigator or the viewport. Holds its pixels in memory; drawing
// never touches the screen. Coordinates are drawable pixels, (0, 0) top left.
class PictureSurface {
  public:
    // sizesToPicture: the level layers and their undo copies take the size of an
    // assigned picture; every other surface keeps its size and cuts the picture.
    explicit PictureSurface(int width = 0, int height = 0, Colour backColor = kBlack,
                            bool sizesToPicture = false);

    int ScaleWidth() const { return image_.width(); }
    int ScaleHeight() const { return image_.height(); }
    // Changes the drawable size; what was drawn stays at the top left, new area is BackColor.
    void resize(int width, int height);

    Colour BackColor = kBlack;
    Colour ForeColor = kBlack;
    Colour FillColor = kBlack;
    int FillStyle = 1; // 0 solid, 1 transparent
    float CurrentX = 0;
    float CurrentY = 0;
    QFont Font;

    // The background picture. Assigning replaces the pixels by the picture drawn
    // over BackColor (and resizes a layer); an empty image removes it.
    void setPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }

    // The persistent pixels (Format_RGB32).
    const QImage& Image() const { return image_; }
    QImage& image() { return image_; }

    void Cls();
    void PSet(float x, float y, Colour c);
    int32_t Point(float x, float y) const; // -1 outside
    // Segment from (x1, y1) towards (x2, y2); the end point is not drawn.
    void Line(float x1, float y1, float x2, float y2, Colour c);
    void Line(float x1, float y1, float x2, float y2) { Line(x1, y1, x2, y2, ForeColor); }
    // Outline of the rectangle, both corners included; inside in FillColor when FillStyle is 0.
    void Box(float x1, float y1, float x2, float y2, Colour c);
    // The whole rectangle, corners included, in c.
    void BoxFilled(float x1, float y1, float x2, float y2, Colour c);
    // Circle outline; inside in FillColor when FillStyle is 0.
    void Circle(float x, float y, float radius, Colour c);

    // Writes text in ForeColor at (CurrentX, CurrentY), its top-left corner there,
    // and moves CurrentY down by one line.
    void Print(const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;

  private:
    QImage image_;
    QImage picture_;
    bool sizesToPicture_;
};

// Block transfers. Pixels outside either surface are left alone.
void BitBlt(PictureSurface& dst, int dx, int dy, int w, int h, const PictureSurface& src, int sx, int sy,
            Rop rop);
// Copies the sw x sh rectangle of src enlarged to dw x dh; the editor only enlarges by
// whole factors (dw = n * sw), each source pixel becoming an n x n block.
void StretchBlt(PictureSurface& dst, int dx, int dy, int dw, int dh, const PictureSurface& src, int sx,
                int sy, int sw, int sh);
uint32_t GetPixel(const PictureSurface& s, int x, int y); // 0xFFFFFFFF outside
void SetPixelV(PictureSurface& s, int x, int y, Colour c);
// Paints with s.FillColor every pixel of exactly `colour` that is 4-connected to (x, y)
// through pixels of that colour. Nothing happens when (x, y) is not `colour`. True when
// any pixel changed.
bool ExtFloodFill(PictureSurface& s, int x, int y, Colour colour);

// Reads a BMP or GIF picture (any depth, palettes expanded) as Format_RGB32. An empty
// path gives the empty picture. A missing, truncated, corrupt or oversized file gives
// nothing, and *error says why.
std::optional<QImage> LoadPicture(const QString& path, QString* error = nullptr);
// Writes the picture as an uncompressed 24-bit BMP into an open file. False when it cannot.
bool writeBmp(const QImage& picture, QIODevice& file);
// Writes the surface's pixels as a BMP file, replacing an older one whole. False when it cannot.
bool SavePicture(const PictureSurface& s, const QString& path);

} // namespace vortan
