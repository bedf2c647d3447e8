#pragma once

#include "core/LevelDocument.h"
#include "core/LongWork.h"
#include "files/ColourTable.h"

#include <QByteArray>
#include <QIODevice>
#include <cstdint>
#include <functional>
#include <optional>

namespace vortan {

// The game's level files: the level image, its thumbnail and the material map. Each is
// the tag "QUOX3zzzz", its kind (1 a picture, 2 a map), 1, its width and height as
// 16-bit little-endian numbers, the run base less one, a palette for pictures, and a
// run-length coded stream of one-byte pixel values.

// The map code of a material colour: black 0, water 1, behind wall 64, platform FSA
// 129, platform FS 131, explosive 132; any other colour is wall (128).
uint8_t mapCode(Colour c);

// The pixel stream. Values below the base are literals; a byte v from the base up to
// 255 repeats the last value v - base + 1 more times. Runs carry on from one row into
// the next, so one writer encodes a whole picture.
class RunWriter {
  public:
    // base: the number of palette entries of a picture, 133 for a map (1 to 255).
    RunWriter(QByteArray& out, int base);

    // Appends the stream of the next n values, each below the base.
    void writeRuns(const uint8_t* values, int n);
    // Writes the repeat still open after the last value.
    void finish();

  private:
    QByteArray& out_;
    int base_;
    int maxRun_;    // pixels one repeat byte covers at most
    int prev_ = -1; // no value yet
    int run_ = 0;
};

// The level image: a palette of at most 192 colours of the colour layer in reading
// order, every pixel as its nearest entry. Both passes advance the progress display.
// tooManyColours is told the count when the palette is full. False when the file
// cannot be written or the level changed size while it was read (the header would lie).
bool writeLevelImage(QIODevice& file, const LevelDocument& level, const LongWork& work,
                     const std::function<void(int count)>& tooManyColours);
// A game file read back into a picture: palette indices become their colours, map codes
// their material colours. Nothing, with *error saying where the file breaks, when its
// tag, kind, size, palette or stream is damaged.
std::optional<QImage> decodeGameFile(const QByteArray& file, QString* error);

// The thumbnail's whole canvas with a palette of at most 128 colours; no progress.
bool writeThumbnail(QIODevice& file, const Picture& thumbnail, const LongWork& work);
// The map's material codes; one pass of progress.
bool writeMaterialMap(QIODevice& file, const LevelDocument& level, const LongWork& work);

} // namespace vortan
