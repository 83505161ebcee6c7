#include "store/photo_picture.h"

#include <QString>
#include <cstring>

namespace tallyport {

Picture::Picture(int width, int height, std::uint8_t blue, std::uint8_t green, std::uint8_t red)
    : m_width(width), m_height(height) {
    m_bytes.resize(stride() * static_cast<std::size_t>(height));
    if (m_bytes.empty()) return;
    if (blue == green && green == red) {
        std::memset(m_bytes.data(), blue, m_bytes.size());
        return;
    }
    for (std::size_t i = 0; i < m_bytes.size(); i += 3) {
        m_bytes[i] = blue;
        m_bytes[i + 1] = green;
        m_bytes[i + 2] = red;
    }
}

Result<void> checkPictureSize(std::int64_t width, std::int64_t height) {
    if (width < 0 || height < 0)
        return fail(
            QStringLiteral("The picture size %1 x %2 is not valid.").arg(width).arg(height));
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
        return fail(
            QStringLiteral("The picture is too large (%1 x %2 pixels).").arg(width).arg(height));
    return {};
}

}  // namespace tallyport
