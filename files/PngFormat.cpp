// Reading PNG pictures through libpng, strictly: every chunk's checksum is checked, the
// image data must be whole and the file must reach its end chunk, so that a picture
// cut short is refused instead of loaded with rows that were never in the file.
#include "files/PngFormat.h"

#include "core/Picture.h"
#include "files/PictureFormat.h"

#include <algorithm>
#include <bit>

#include <png.h>

namespace vortan {

using namespace format;

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// What libpng's callbacks report back. Plain data only: see readHead.
struct PngSource {
    QIODevice* file = nullptr;
    bool endedEarly = false;
};

void readFromFile(png_structp png, png_bytep data, size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->file->read(reinterpret_cast<char*>(data), qint64(length)) != qint64(length)) {
        source->endedEarly = true;
        png_error(png, "end of file");
    }
}

[[noreturn]] void stopReading(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// libpng leaves a failed read by longjmp back to the setjmp below. Jumping over a C++
// object skips its destructor, so the two steps that call into libpng hold plain data
// only, and the picture lives in readPng, which the jump never crosses.
bool readHead(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    // Checksums are checked in every chunk, the ones the editor skips too; what libpng
    // would only warn about in the chunks it reads is a damaged file here.
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_set_benign_errors(png, 0);
    // Only the transparency is used: gamma, colour profiles and texts are skipped unread,
    // so a profile libpng finds fault with does not refuse the picture.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    // An index past the palette reads as black, as in a GIF.
    png_set_check_for_invalid_index(png, 0);
    // The size is judged by readPng with the editor's own limit.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    return true;
}

// The rows into the picture's memory, then everything up to and including the end chunk.
// Nothing is allocated for the rows before this: readPng has judged the size first.
bool readRows(png_structp png, png_infop info, uchar* bits, qsizetype bytesPerLine) {
    if (setjmp(png_jmpbuf(png))) return false;
    // Every layout becomes 8-bit blue, green, red, alpha: RGB32's bytes on a little-endian
    // machine, alpha first on a big-endian one.
    const int colourType = png_get_color_type(png, info);
    const bool hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png); // palettes, grey below 8 bits, the transparent colour as alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    if constexpr (std::endian::native == std::endian::little) {
        png_set_bgr(png);
        if (!hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    } else {
        png_set_swap_alpha(png);
        if (!hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) png_error(png, "unexpected layout");
    // An interlaced picture is read whole once a pass, each pass adding its pixels.
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, bits + bytesPerLine * y, nullptr);
    png_read_end(png, info);
    return true;
}

struct PngReader {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, stopReading, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
};

} // namespace

bool looksLikePng(const QByteArray& start) {
    // The first four bytes are enough: a file cut inside the signature ends too early.
    return start.startsWith(QByteArray(reinterpret_cast<const char*>(kSignature), 4));
}

std::optional<QImage> readPng(QIODevice& file, QString& why) {
    const QString damaged = QStringLiteral("The PNG picture is damaged.");
    uint8_t signature[8];
    if (!readExact(file, signature, 8)) return failure(why, truncatedText());
    if (!std::equal(signature, signature + 8, kSignature)) return failure(why, damaged);

    PngReader reader;
    if (!reader.info) return failure(why, QStringLiteral("Not enough memory for the picture."));
    png_structp png = reader.png;
    PngSource source{&file};
    png_set_read_fn(png, &source, readFromFile);

    auto refused = [&] { return failure(why, source.endedEarly ? truncatedText() : damaged); };
    if (!readHead(png, reader.info)) return refused();
    const png_uint_32 width = png_get_image_width(png, reader.info);
    const png_uint_32 height = png_get_image_height(png, reader.info);
    if (int64_t(width) * height > kMaxPicturePixels) return failure(why, tooLargeText());
    std::optional<QImage> picture = newPicture(width, height, why);
    if (!picture) return picture;
    if (!readRows(png, reader.info, picture->bits(), picture->bytesPerLine())) return refused();

    for (int y = 0; y < picture->height(); ++y) {
        auto* pixel = reinterpret_cast<uint32_t*>(picture->scanLine(y));
        for (png_uint_32 x = 0; x < width; ++x) {
            const uint32_t p = pixel[x], a = p >> 24;
            if (a == 255) continue;
            auto over = [a](uint32_t c) { return (c * a + 127) / 255; };
            pixel[x] = 0xFF000000u | over(p >> 16 & 0xFF) << 16 | over(p >> 8 & 0xFF) << 8 | over(p & 0xFF);
        }
    }
    return picture;
}

} // namespace vortan
