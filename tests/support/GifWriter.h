#pragma once

#include "core/PictureSurface.h"
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <vector>

// A small GIF and byte writer, so tests can write any GIF (Qt has no GIF writer).
namespace vortan::test::gif {

using Bytes = std::vector<uint8_t>;

void add16(Bytes& b, uint32_t v);
void add32(Bytes& b, uint32_t v);
void addBytes(Bytes& b, const Bytes& more);

// LZW with growing code widths as GIF encoders write it. When the table is full it
// either starts over with a clear code or keeps coding with the full table, which
// decoders must accept too.
Bytes lzw(const Bytes& indices, int minCodeSize, bool clearWhenFull);
void addColourTable(Bytes& b, std::vector<Colour> colours);
int tableBits(size_t n);

struct GifImage {
    int left = 0, top = 0, width = 0, height = 0;
    Bytes indices; // row by row from the top
    std::vector<Colour> localColours;
    bool interlaced = false;
    int transparent = -1;
    bool clearWhenFull = true;
    int minCodeSize = 2;
};

void addGifImage(Bytes& b, const GifImage& image);
Bytes gifFile(int screenWidth, int screenHeight, const std::vector<Colour>& globalColours, int background,
              const std::vector<GifImage>& images);

// The GIF file of a picture of at most 256 colours.
QByteArray gifOf(const QImage& picture);

} // namespace vortan::test::gif
