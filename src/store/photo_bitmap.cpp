#include "store/photo_codec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

namespace tallyport {

namespace {

constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kCoreHeaderSize = 12;  // the old OS/2 header: 16-bit sizes, 3-byte palette
constexpr std::int64_t kInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;

struct Bgr {
    std::uint8_t b = 0, g = 0, r = 0;
};

// One colour channel held in a pixel value: where it sits and how many bits it has.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t maximum = 0;
};

struct BitmapHeader {
    std::int64_t width = 0;
    std::int64_t height = 0;  // always positive; topDown says the row order
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kUncompressed;
    std::int64_t pixelOffset = 0;
    std::int64_t paletteOffset = 0;
    int paletteEntrySize = 4;
    std::int64_t paletteCount = 0;
    std::array<Channel, 3> channels{};  // red, green, blue
};

class Bytes {
public:
    explicit Bytes(QByteArrayView data) : m_data(data) {}
    std::int64_t size() const { return m_data.size(); }
    bool has(std::int64_t offset, std::int64_t count) const {
        return offset >= 0 && count >= 0 && offset <= size() && count <= size() - offset;
    }
    std::uint8_t u8(std::int64_t at) const { return static_cast<std::uint8_t>(m_data[at]); }
    std::uint32_t u16(std::int64_t at) const { return u8(at) | (std::uint32_t{u8(at + 1)} << 8); }
    std::uint32_t u32(std::int64_t at) const { return u16(at) | (u16(at + 2) << 16); }
    std::int32_t i32(std::int64_t at) const { return static_cast<std::int32_t>(u32(at)); }
    std::int16_t i16(std::int64_t at) const { return static_cast<std::int16_t>(u16(at)); }

private:
    QByteArrayView m_data;
};

Channel channelOf(std::uint32_t mask) {
    if (mask == 0) return {};
    const int shift = std::countr_zero(mask);
    return {mask, shift, mask >> shift};
}

std::uint8_t channelValue(const Channel& channel, std::uint32_t pixel) {
    if (channel.maximum == 0) return 0;
    const std::uint64_t value = (pixel & channel.mask) >> channel.shift;
    return static_cast<std::uint8_t>(value * 255 / channel.maximum);
}

Result<void> readSizes(const Bytes& in, std::int64_t headerSize, BitmapHeader& h) {
    constexpr std::int64_t at = kFileHeaderSize + 4;
    if (headerSize == kCoreHeaderSize) {
        h.width = in.i16(at);
        h.height = in.i16(at + 2);
        h.bitsPerPixel = static_cast<int>(in.u16(at + 6));
        h.paletteEntrySize = 3;
        return {};
    }
    if (headerSize < kInfoHeaderSize)
        return fail(QStringLiteral("The bitmap header is of an unknown kind."));
    h.width = in.i32(at);
    h.height = in.i32(at + 4);
    h.bitsPerPixel = static_cast<int>(in.u16(at + 10));
    h.compression = in.u32(at + 12);
    h.paletteCount = in.u32(at + 28);
    return {};
}

// Bit field masks follow a plain 40-byte header; longer headers hold them inside.
void readMasks(const Bytes& in, std::int64_t headerSize, BitmapHeader& h) {
    if (h.compression == kBitFields) {
        const std::int64_t at = kFileHeaderSize + kInfoHeaderSize;
        for (int c = 0; c < 3; ++c) h.channels[c] = channelOf(in.u32(at + 4 * c));
        if (headerSize == kInfoHeaderSize) h.paletteOffset += 12;
    } else if (h.bitsPerPixel == 16) {
        h.channels = {channelOf(0x7C00), channelOf(0x03E0), channelOf(0x001F)};
    } else {
        h.channels = {channelOf(0xFF0000), channelOf(0x00FF00), channelOf(0x0000FF)};
    }
}

Result<void> checkFormat(const BitmapHeader& h) {
    const int bpp = h.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return fail(QStringLiteral("Bitmaps with %1 bits per pixel are not supported.").arg(bpp));
    const bool masked = h.compression == kBitFields && (bpp == 16 || bpp == 32);
    if (h.compression != kUncompressed && !masked)
        return fail(QStringLiteral("Compressed bitmaps are not supported."));
    if (h.width <= 0 || h.height == 0) return fail(QStringLiteral("The bitmap has no pixels."));
    if (bpp <= 8 && h.paletteCount > (std::int64_t{1} << bpp))
        return fail(QStringLiteral("The colour table of the bitmap is too long."));
    return {};
}

Result<BitmapHeader> readHeader(const Bytes& in) {
    if (!in.has(0, kFileHeaderSize + 4) || in.u8(0) != 'B' || in.u8(1) != 'M')
        return fail(QStringLiteral("The file is not a bitmap."));
    const std::int64_t headerSize = in.u32(kFileHeaderSize);
    if (!in.has(kFileHeaderSize, headerSize))
        return fail(QStringLiteral("The bitmap header is cut short."));
    BitmapHeader h;
    if (auto ok = readSizes(in, headerSize, h); !ok) return std::unexpected(ok.error());
    if (h.compression == kBitFields && !in.has(kFileHeaderSize + kInfoHeaderSize, 12))
        return fail(QStringLiteral("The bitmap header is cut short."));
    h.topDown = h.height < 0;
    h.height = h.topDown ? -h.height : h.height;
    h.pixelOffset = in.u32(10);
    h.paletteOffset = kFileHeaderSize + headerSize;
    readMasks(in, headerSize, h);
    if (auto ok = checkFormat(h); !ok) return std::unexpected(ok.error());
    if (auto ok = checkPictureSize(h.width, h.height); !ok) return std::unexpected(ok.error());
    if (h.bitsPerPixel <= 8 && h.paletteCount == 0)
        h.paletteCount = std::int64_t{1} << h.bitsPerPixel;
    return h;
}

Result<std::array<Bgr, 256>> readPalette(const Bytes& in, const BitmapHeader& h) {
    std::array<Bgr, 256> palette{};  // indices past the table show black
    if (h.bitsPerPixel > 8) return palette;
    if (!in.has(h.paletteOffset, h.paletteCount * h.paletteEntrySize))
        return fail(QStringLiteral("The colour table of the bitmap is cut short."));
    for (std::int64_t i = 0; i < h.paletteCount; ++i) {
        const std::int64_t at = h.paletteOffset + i * h.paletteEntrySize;
        palette[i] = {in.u8(at), in.u8(at + 1), in.u8(at + 2)};
    }
    return palette;
}

std::uint32_t pixelValue(const Bytes& in, std::int64_t rowStart, std::int64_t x, int bpp) {
    switch (bpp) {
        case 1:
            return (in.u8(rowStart + x / 8) >> (7 - x % 8)) & 1;
        case 4:
            return (in.u8(rowStart + x / 2) >> (x % 2 == 0 ? 4 : 0)) & 0xF;
        case 8:
            return in.u8(rowStart + x);
        case 16:
            return in.u16(rowStart + 2 * x);
        default:
            return in.u32(rowStart + 4 * x);  // 32
    }
}

void decodeRow(const Bytes& in, const BitmapHeader& h, const std::array<Bgr, 256>& palette,
               std::int64_t rowStart, std::uint8_t* out) {
    for (std::int64_t x = 0; x < h.width; ++x, out += 3) {
        if (h.bitsPerPixel == 24) {
            for (int c = 0; c < 3; ++c) out[c] = in.u8(rowStart + 3 * x + c);
            continue;
        }
        const std::uint32_t value = pixelValue(in, rowStart, x, h.bitsPerPixel);
        if (h.bitsPerPixel <= 8) {
            out[0] = palette[value].b, out[1] = palette[value].g, out[2] = palette[value].r;
        } else {
            for (int c = 0; c < 3; ++c) out[2 - c] = channelValue(h.channels[c], value);
        }
    }
}

}  // namespace

Result<Picture> decodeBitmap(QByteArrayView data) {
    const Bytes in(data);
    const auto header = readHeader(in);
    if (!header) return std::unexpected(header.error());
    const BitmapHeader& h = *header;
    const auto palette = readPalette(in, h);
    if (!palette) return std::unexpected(palette.error());
    const std::int64_t stride = (h.width * h.bitsPerPixel + 31) / 32 * 4;
    // The last row need not carry its padding.
    const std::int64_t needed = stride * (h.height - 1) + (h.width * h.bitsPerPixel + 7) / 8;
    if (!in.has(h.pixelOffset, needed))
        return fail(QStringLiteral("The bitmap file is cut short."));
    Picture picture(static_cast<int>(h.width), static_cast<int>(h.height));
    for (std::int64_t row = 0; row < h.height; ++row) {
        const std::int64_t y = h.topDown ? row : h.height - 1 - row;
        decodeRow(in, h, *palette, h.pixelOffset + row * stride, picture.row(static_cast<int>(y)));
    }
    return picture;
}

}  // namespace tallyport
