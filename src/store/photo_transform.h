#pragma once

#include "base/error.h"
#include "store/photo_picture.h"

#include <QString>
#include <cstdint>

namespace tallyport {

class Operator;

inline const QString kRotatingCaption = QStringLiteral("Rotating");

// The size of a blank photo and its fill, the picture control's white background.
inline constexpr int kBlankPhotoSide = 100;

// a * b / c in 64 bits, rounded to the nearest integer (halves away from zero); c must not be 0.
std::int64_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c);

// Bilinear resampling in 16.16 fixed point of `source` into `destination`, whose size is
// already set. Equal sizes copy. An empty source or destination leaves the destination as is.
void Resample(const Picture& source, Picture& destination);

// Gives the picture the requested size, resampling its old content into it; the aspect ratio
// is not kept. A refused size leaves the picture unchanged.
Result<void> ResizePicture(Picture& picture, int width, int height);

// Turns the picture a quarter turn anticlockwise, with a "Rotating" progress window that
// advances once per source row.
void RotatePicture(Operator& op, Picture& picture);

// A blank photo: 100 x 100 white.
void ClearPhoto(Picture& picture);

}  // namespace tallyport
