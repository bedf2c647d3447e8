#include "support/GifWriter.h"

#include <map>

namespace vortan::test::gif {

void add16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void add32(Bytes& b, uint32_t v) {
    add16(b, v);
    add16(b, v >> 16);
}
void addBytes(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}

namespace {

class BitWriter {
  public:
    void put(int code, int size) {
        bits_ |= uint32_t(code) << count_;
        count_ += size;
        while (count_ >= 8) {
            bytes_.push_back(uint8_t(bits_));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    Bytes finish() {
        if (count_ > 0) bytes_.push_back(uint8_t(bits_));
        return bytes_;
    }

  private:
    Bytes bytes_;
    uint32_t bits_ = 0;
    int count_ = 0;
};

} // namespace

Bytes lzw(const Bytes& indices, int minCodeSize, bool clearWhenFull) {
    const int clear = 1 << minCodeSize;
    std::map<std::pair<int, int>, int> table;
    int next = clear + 2, size = minCodeSize + 1, prefix = -1;
    BitWriter out;
    out.put(clear, size);
    for (uint8_t k : indices) {
        if (prefix < 0) {
            prefix = k;
            continue;
        }
        if (auto it = table.find({prefix, k}); it != table.end()) {
            prefix = it->second;
            continue;
        }
        out.put(prefix, size);
        if (next < 4096) {
            table[{prefix, k}] = next;
            if (next == (1 << size) && size < 12) ++size;
            ++next;
        } else if (clearWhenFull) {
            out.put(clear, size);
            table.clear();
            next = clear + 2;
            size = minCodeSize + 1;
        }
        prefix = k;
    }
    out.put(prefix, size);
    out.put(clear + 1, size);
    return out.finish();
}

void addColourTable(Bytes& b, std::vector<Colour> colours) {
    while (colours.size() < 2 || (colours.size() & (colours.size() - 1)))
        colours.push_back(kBlack);
    for (Colour c : colours)
        addBytes(b, {uint8_t(redOf(c)), uint8_t(greenOf(c)), uint8_t(blueOf(c))});
}

int tableBits(size_t n) {
    int bits = 0;
    while ((2u << bits) < n)
        ++bits;
    return bits;
}

void addGifImage(Bytes& b, const GifImage& image) {
    if (image.transparent >= 0) addBytes(b, {0x21, 0xF9, 4, 1, 0, 0, uint8_t(image.transparent), 0});
    b.push_back(0x2C);
    add16(b, uint32_t(image.left));
    add16(b, uint32_t(image.top));
    add16(b, uint32_t(image.width));
    add16(b, uint32_t(image.height));
    uint8_t packed = image.interlaced ? 0x40 : 0;
    if (!image.localColours.empty()) packed |= uint8_t(0x80 | tableBits(image.localColours.size()));
    b.push_back(packed);
    if (!image.localColours.empty()) addColourTable(b, image.localColours);

    Bytes indices = image.indices;
    if (image.interlaced) { // rows in the order of the four passes
        indices.clear();
        for (auto [start, step] : std::initializer_list<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < image.height; y += step)
                indices.insert(indices.end(), image.indices.begin() + y * image.width,
                               image.indices.begin() + (y + 1) * image.width);
    }
    b.push_back(uint8_t(image.minCodeSize));
    const Bytes data = lzw(indices, image.minCodeSize, image.clearWhenFull);
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        b.push_back(uint8_t(n));
        b.insert(b.end(), data.begin() + qsizetype(i), data.begin() + qsizetype(i + n));
    }
    b.push_back(0);
}

Bytes gifFile(int screenWidth, int screenHeight, const std::vector<Colour>& globalColours, int background,
              const std::vector<GifImage>& images) {
    Bytes b{'G', 'I', 'F', '8', '9', 'a'};
    add16(b, uint32_t(screenWidth));
    add16(b, uint32_t(screenHeight));
    b.push_back(globalColours.empty() ? 0 : uint8_t(0x80 | tableBits(globalColours.size())));
    b.push_back(uint8_t(background));
    b.push_back(0);
    if (!globalColours.empty()) addColourTable(b, globalColours);
    addBytes(b, {0x21, 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0}); // a comment before the image
    for (const GifImage& image : images)
        addGifImage(b, image);
    b.push_back(0x3B);
    return b;
}

QByteArray gifOf(const QImage& picture) {
    std::vector<Colour> colours;
    std::map<Colour, uint8_t> index;
    GifImage image;
    image.width = picture.width();
    image.height = picture.height();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const Colour c = fromPixel(picture.pixel(x, y));
            auto [it, added] = index.emplace(c, uint8_t(colours.size()));
            if (added) colours.push_back(c);
            image.indices.push_back(it->second);
        }
    image.minCodeSize = std::max(2, tableBits(colours.size()) + 1);
    const Bytes b = gifFile(image.width, image.height, colours, 0, {image});
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

} // namespace vortan::test::gif
