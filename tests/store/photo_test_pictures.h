#pragma once

#include "store/photo_picture.h"

#include <QString>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tallyport::test {

using Rgb = std::array<int, 3>;

inline Rgb rgbAt(const Picture& picture, int x, int y) {
    const std::uint8_t* p = picture.row(y) + 3 * x;
    return {p[2], p[1], p[0]};
}

inline void setRgb(Picture& picture, int x, int y, Rgb rgb) {
    std::uint8_t* p = picture.row(y) + 3 * x;
    p[0] = static_cast<std::uint8_t>(rgb[2]);
    p[1] = static_cast<std::uint8_t>(rgb[1]);
    p[2] = static_cast<std::uint8_t>(rgb[0]);
}

// A picture whose every pixel differs from its neighbours, so a moved or swapped pixel shows.
inline Picture patterned(int width, int height) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            setRgb(picture, x, y, {(x * 7 + y) % 256, (y * 13 + x * 3) % 256, (x ^ y) % 256});
    return picture;
}

}  // namespace tallyport::test
