#pragma once

#include "base/error.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tallyport {

// A holder's photo is stored at this size.
inline constexpr int kCardPhotoWidth = 240;
inline constexpr int kCardPhotoHeight = 320;

// A 24-bit raster picture: rows top to bottom, three bytes per pixel in the order blue, green,
// red, no row padding. Every photo operation works on this form, so the core needs no GUI
// library; a QImage can wrap the bytes as QImage::Format_BGR888 with a stride of width * 3.
class Picture {
public:
    Picture() = default;
    // A width x height picture of one colour; the size must have passed checkPictureSize.
    Picture(int width, int height, std::uint8_t blue = 0, std::uint8_t green = 0,
            std::uint8_t red = 0);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_width == 0 || m_height == 0; }
    std::size_t stride() const { return static_cast<std::size_t>(m_width) * 3; }

    std::uint8_t* row(int y) { return m_bytes.data() + stride() * static_cast<std::size_t>(y); }
    const std::uint8_t* row(int y) const {
        return m_bytes.data() + stride() * static_cast<std::size_t>(y);
    }
    std::uint8_t* data() { return m_bytes.data(); }
    const std::uint8_t* data() const { return m_bytes.data(); }
    std::size_t byteCount() const { return m_bytes.size(); }

    friend bool operator==(const Picture&, const Picture&) = default;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_bytes;
};

// Larger pictures are refused before any memory is taken for them: a header may claim any
// size, and the biggest photo a camera of today writes is far below these.
inline constexpr int kMaxPictureSide = 30000;
inline constexpr std::int64_t kMaxPicturePixels = 64LL * 1024 * 1024;

// Refuses negative sizes and sizes beyond the limits above, with the text to show.
Result<void> checkPictureSize(std::int64_t width, std::int64_t height);

}  // namespace tallyport
