// Reading GIF pictures: the first image of the file, decoded by our own LZW decoder,
// which refuses a code that cannot occur and data that ends before the image is full.
#include "files/GifFormat.h"

#include "core/Picture.h"
#include "files/PictureFormat.h"

#include <array>
#include <vector>

namespace vortan {

using namespace format;

namespace {

// Places the decoded colour indices of one frame on the picture, row by row, in
// interlaced order when the frame says so. Parts of the frame outside the picture are dropped.
class FramePainter {
  public:
    FramePainter(QImage& canvas, int left, int top, int width, int height, bool interlaced,
                 const std::array<uint32_t, 4096>& colours)
        : canvas_(canvas), left_(left), top_(top), width_(width), height_(height), colours_(colours) {
        rows_.reserve(size_t(height));
        if (interlaced) {
            for (int y = 0; y < height; y += 8)
                rows_.push_back(y);
            for (int y = 4; y < height; y += 8)
                rows_.push_back(y);
            for (int y = 2; y < height; y += 4)
                rows_.push_back(y);
            for (int y = 1; y < height; y += 2)
                rows_.push_back(y);
        } else {
            for (int y = 0; y < height; ++y)
                rows_.push_back(y);
        }
        startRow();
    }

    bool full() const { return rowIndex_ >= height_; }

    void put(uint32_t index) {
        if (line_ && left_ + x_ < canvas_.width()) line_[left_ + x_] = colours_[index];
        if (++x_ == width_) {
            x_ = 0;
            ++rowIndex_;
            startRow();
        }
    }

  private:
    void startRow() {
        line_ = nullptr;
        if (full()) return;
        const int y = top_ + rows_[size_t(rowIndex_)];
        if (y < canvas_.height()) line_ = reinterpret_cast<uint32_t*>(canvas_.scanLine(y));
    }

    QImage& canvas_;
    int left_, top_, width_, height_;
    const std::array<uint32_t, 4096>& colours_;
    std::vector<int> rows_;
    int rowIndex_ = 0;
    int x_ = 0;
    uint32_t* line_ = nullptr;
};

// The variable-length LZW decoder of GIF image data, fed one data block at a time.
class LzwDecoder {
  public:
    LzwDecoder(int minCodeSize, FramePainter& painter)
        : clear_(1 << minCodeSize), minCodeSize_(minCodeSize), painter_(painter) {
        for (int i = 0; i < clear_; ++i) {
            suffix_[size_t(i)] = uint16_t(i);
            first_[size_t(i)] = uint16_t(i);
        }
        reset();
    }

    // False when the data holds a code that cannot occur.
    bool feed(const uint8_t* data, int n) {
        for (int i = 0; i < n && !finished(); ++i) {
            bits_ |= uint32_t(data[i]) << bitCount_;
            bitCount_ += 8;
            while (bitCount_ >= codeSize_ && !finished()) {
                const int code = int(bits_ & ((1u << codeSize_) - 1));
                bits_ >>= codeSize_;
                bitCount_ -= codeSize_;
                if (!take(code)) return false;
            }
        }
        return true;
    }

    bool finished() const { return ended_ || painter_.full(); }

  private:
    void reset() {
        next_ = clear_ + 2;
        codeSize_ = minCodeSize_ + 1;
        previous_ = -1;
    }

    bool take(int code) {
        if (code == clear_) {
            reset();
            return true;
        }
        if (code == clear_ + 1) {
            ended_ = true;
            return true;
        }
        if (previous_ < 0) {
            if (code > clear_) return false;
            painter_.put(uint32_t(code));
            previous_ = code;
            return true;
        }
        if (code < next_) {
            output(code);
            add(first_[size_t(code)]);
        } else if (code == next_ && next_ < 4096) {
            add(first_[size_t(previous_)]);
            output(code);
        } else {
            return false;
        }
        previous_ = code;
        return true;
    }

    // A full table stays as it is until the next clear code.
    void add(uint16_t firstOfNext) {
        if (next_ >= 4096) return;
        prefix_[size_t(next_)] = uint16_t(previous_);
        suffix_[size_t(next_)] = firstOfNext;
        first_[size_t(next_)] = first_[size_t(previous_)];
        ++next_;
        if (next_ == (1 << codeSize_) && codeSize_ < 12) ++codeSize_;
    }

    void output(int code) {
        int depth = 0;
        while (code > clear_) {
            stack_[size_t(depth++)] = suffix_[size_t(code)];
            code = prefix_[size_t(code)];
        }
        painter_.put(uint32_t(code));
        while (depth > 0 && !painter_.full())
            painter_.put(stack_[size_t(--depth)]);
    }

    const int clear_;
    const int minCodeSize_;
    FramePainter& painter_;
    std::array<uint16_t, 4096> prefix_{}, suffix_{}, first_{}, stack_{};
    int next_ = 0, codeSize_ = 0, previous_ = -1;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
    bool ended_ = false;
};

// Reads the data blocks that follow an extension or an image up to their empty
// terminator, handing each to `use`. False when the file ends first.
template <typename Use> bool readBlocks(QIODevice& file, Use use) {
    std::array<uint8_t, 255> block;
    while (true) {
        char size = 0;
        if (!file.getChar(&size)) return false;
        if (size == 0) return true;
        const int n = uint8_t(size);
        if (!readExact(file, block.data(), n)) return false;
        use(block.data(), n);
    }
}

bool readColourTable(QIODevice& file, int packed, std::array<uint32_t, 4096>& colours, int& count) {
    count = 2 << (packed & 7);
    std::array<uint8_t, 256 * 3> table;
    if (!readExact(file, table.data(), count * 3)) return false;
    for (int i = 0; i < count; ++i)
        colours[size_t(i)] = 0xFF000000u | uint32_t(table[size_t(3 * i)]) << 16 |
                             table[size_t(3 * i + 1)] << 8 | table[size_t(3 * i + 2)];
    return true;
}

} // namespace

bool looksLikeGif(const QByteArray& start) {
    return start.startsWith("GIF87a") || start.startsWith("GIF89a");
}

std::optional<QImage> readGif(QIODevice& file, QString& why) {
    uint8_t head[13];
    if (!readExact(file, head, 13)) return failure(why, truncatedText());
    const int screenWidth = le16(head + 6), screenHeight = le16(head + 8);
    const int screenPacked = head[10], backgroundIndex = head[11];

    std::array<uint32_t, 4096> globalColours;
    globalColours.fill(kBlackPixel);
    int globalCount = 0;
    if ((screenPacked & 0x80) && !readColourTable(file, screenPacked, globalColours, globalCount))
        return failure(why, truncatedText());

    int transparent = -1;
    while (true) {
        char introducer = 0;
        if (!file.getChar(&introducer)) return failure(why, truncatedText());
        if (uint8_t(introducer) == 0x21) {
            char label = 0;
            if (!file.getChar(&label)) return failure(why, truncatedText());
            bool firstBlock = true;
            const bool control = uint8_t(label) == 0xF9;
            const bool whole = readBlocks(file, [&](const uint8_t* d, int n) {
                if (control && firstBlock && n >= 4) transparent = (d[0] & 1) ? d[3] : -1;
                firstBlock = false;
            });
            if (!whole) return failure(why, truncatedText());
        } else if (uint8_t(introducer) == 0x2C) {
            break;
        } else if (uint8_t(introducer) == 0x3B) {
            return failure(why, QStringLiteral("The GIF picture holds no image."));
        } else {
            return failure(why, QStringLiteral("The GIF picture is damaged."));
        }
    }

    uint8_t descriptor[9];
    if (!readExact(file, descriptor, 9)) return failure(why, truncatedText());
    const int left = le16(descriptor), top = le16(descriptor + 2);
    const int width = le16(descriptor + 4), height = le16(descriptor + 6);
    const int packed = descriptor[8];
    if (width == 0 || height == 0) return failure(why, noPixelsText());
    // A zero screen size is taken as "as large as the image".
    const int64_t canvasWidth = screenWidth > 0 && screenHeight > 0 ? screenWidth : int64_t(left) + width;
    const int64_t canvasHeight = screenWidth > 0 && screenHeight > 0 ? screenHeight : int64_t(top) + height;
    if (int64_t(width) * height > kMaxPicturePixels || canvasWidth * canvasHeight > kMaxPicturePixels)
        return failure(why, tooLargeText());

    std::array<uint32_t, 4096> colours = globalColours;
    int colourCount = globalCount;
    if (packed & 0x80) {
        colours.fill(kBlackPixel);
        if (!readColourTable(file, packed, colours, colourCount)) return failure(why, truncatedText());
    }
    if (colourCount == 0) return failure(why, QStringLiteral("The GIF picture has no colours."));
    if (transparent >= 0) colours[size_t(transparent)] = kBlackPixel;

    char minCodeSize = 0;
    if (!file.getChar(&minCodeSize)) return failure(why, truncatedText());
    if (minCodeSize < 1 || minCodeSize > 11)
        return failure(why, QStringLiteral("The GIF picture is damaged."));

    const uint32_t background = transparent < 0 && backgroundIndex < globalCount
                                    ? globalColours[size_t(backgroundIndex)]
                                    : kBlackPixel;
    auto canvas = blankPicture(canvasWidth, canvasHeight, background, why);
    if (!canvas) return canvas;

    FramePainter painter(*canvas, left, top, width, height, packed & 0x40, colours);
    LzwDecoder decoder(minCodeSize, painter);
    bool damaged = false;
    const bool whole = readBlocks(file, [&](const uint8_t* d, int n) {
        if (!damaged && !decoder.finished()) damaged = !decoder.feed(d, n);
    });
    if (!whole) return failure(why, truncatedText());
    if (damaged || !painter.full())
        return failure(why, QStringLiteral("The GIF picture's image data is damaged."));
    return canvas;
}

} // namespace vortan
