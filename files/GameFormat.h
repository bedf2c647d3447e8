#pragma once

#include "core/PictureSurface.h"

#include <QByteArray>
#include <cstdint>

namespace vortan {

// A number as the game files store sizes: n AND 255, then (n div 256) AND 255.
QByteArray numToBin(int32_t n);

// The map code of a material colour: black 0, water 1, behind wall 64, platform FSA 129,
// platform FS 131, explosive 132; any other colour is wall (128).
uint8_t materialCode(Colour c);

// The pixel stream of a game file. Values below the base are literals; a byte v from the
// base up to 255 repeats the last value v - base + 1 more times. Runs carry on from one
// row into the next, so one writer encodes a whole picture.
class RunLengthWriter {
  public:
    // base: the number of palette entries of a picture, 133 for a map (1 to 255).
    RunLengthWriter(QByteArray& out, int base);

    // Appends the stream of the next n values, each below the base.
    void writeRow(const uint8_t* values, int n);
    // Writes the repeat still open after the last value.
    void finish();

  private:
    QByteArray& out_;
    int base_;
    int maxRun_;    // pixels one repeat byte covers at most
    int prev_ = -1; // no value yet
    int run_ = 0;
};

} // namespace vortan
