#include "store/photo_transform.h"

#include "base/operator.h"

#include <algorithm>
#include <cstdlib>

namespace tallyport {

namespace {

constexpr std::int64_t kOne = 65536;  // 1.0 in 16.16 fixed point

// MulDiv(a, b, 65536) for non-negative a and b, without the division: adding half a unit and
// shifting rounds exactly as MulDiv does.
inline std::uint32_t mulDivUnit(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::uint32_t>((std::uint64_t{a} * b + kOne / 2) >> 16);
}

// The weights of one source row pair (upper weight wy0, lower weight wy1) applied along a
// destination row.
struct RowPair {
    const std::uint8_t* upper;
    const std::uint8_t* lower;
    std::uint32_t wy0;
    std::uint32_t wy1;
};

void resampleRow(const RowPair& rows, int sourceWidth, std::int64_t xstep, std::uint8_t* out,
                 int width) {
    const int lastColumn = sourceWidth - 1;
    std::int64_t sx = 0;
    for (int x = 0; x < width; ++x, sx += xstep, out += 3) {
        // The clamp only matters for sizes far beyond the picture limits; it keeps reads inside.
        const int x0 = static_cast<int>(std::min<std::int64_t>(sx >> 16, lastColumn));
        const int x1 = x0 < lastColumn ? x0 + 1 : x0;
        const auto fx = static_cast<std::uint32_t>(sx & (kOne - 1));
        const std::uint32_t wTR = mulDivUnit(fx, rows.wy0);
        const std::uint32_t wTL = rows.wy0 - wTR;
        const std::uint32_t wBR = mulDivUnit(fx, rows.wy1);
        const std::uint32_t wBL = rows.wy1 - wBR;
        const std::uint8_t* tl = rows.upper + 3 * x0;
        const std::uint8_t* tr = rows.upper + 3 * x1;
        const std::uint8_t* bl = rows.lower + 3 * x0;
        const std::uint8_t* br = rows.lower + 3 * x1;
        for (int c = 0; c < 3; ++c)
            out[c] = static_cast<std::uint8_t>(
                (wTL * tl[c] + wTR * tr[c] + wBL * bl[c] + wBR * br[c]) >> 16);
    }
}

}  // namespace

std::int64_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c) {
    const std::int64_t product = a * b;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t quotient = (std::llabs(product) + std::llabs(c) / 2) / std::llabs(c);
    return negative ? -quotient : quotient;
}

void Resample(const Picture& source, Picture& destination) {
    if (source.isEmpty() || destination.isEmpty()) return;
    if (source.width() == destination.width() && source.height() == destination.height()) {
        destination = source;
        return;
    }
    const int lastRow = source.height() - 1;
    const std::int64_t xstep = MulDiv(source.width() - 1, kOne, destination.width());
    const std::int64_t ystep = MulDiv(lastRow, kOne, destination.height());
    std::int64_t sy = 0;
    for (int y = 0; y < destination.height(); ++y, sy += ystep) {
        const int y0 = static_cast<int>(std::min<std::int64_t>(sy >> 16, lastRow));
        const auto fy = static_cast<std::uint32_t>(sy & (kOne - 1));
        const RowPair rows{source.row(y0), source.row(y0 < lastRow ? y0 + 1 : y0),
                           static_cast<std::uint32_t>(kOne) - fy, fy + 1};
        resampleRow(rows, source.width(), xstep, destination.row(y), destination.width());
    }
}

Result<void> ResizePicture(Picture& picture, int width, int height) {
    if (auto ok = checkPictureSize(width, height); !ok) return ok;
    const Picture copy = picture;
    picture = Picture(width, height);
    Resample(copy, picture);
    return {};
}

namespace {

// Source rows are turned in bands: each destination row then gets a run of pixels at a time
// instead of one, which keeps the writes in cache. Progress still counts every source row.
void rotateBand(const Picture& source, int firstRow, int endRow, Picture& rotated) {
    const int ws = source.width();
    const std::size_t stride = source.stride();
    const std::uint8_t* column = source.row(firstRow);
    for (int xs = 0; xs < ws; ++xs, column += 3) {
        std::uint8_t* out = rotated.row(ws - 1 - xs) + 3 * static_cast<std::size_t>(firstRow);
        const std::uint8_t* in = column;
        for (int ys = firstRow; ys < endRow; ++ys, out += 3, in += stride) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
}

}  // namespace

void RotatePicture(Operator& op, Picture& picture) {
    constexpr int kBandRows = 16;
    const int hs = picture.height();
    Picture rotated(hs, picture.width());
    if (!picture.isEmpty()) {
        // The window closes when `progress` goes, however this ends.
        const auto progress = op.progress(kRotatingCaption, hs - 1);
        for (int first = 0; first < hs; first += kBandRows) {
            const int end = std::min(hs, first + kBandRows);
            rotateBand(picture, first, end, rotated);
            for (int ys = first; ys < end; ++ys) progress->step();
        }
    }
    picture = std::move(rotated);
}

void ClearPhoto(Picture& picture) {
    picture = Picture(kBlankPhotoSide, kBlankPhotoSide, 255, 255, 255);
}

}  // namespace tallyport
