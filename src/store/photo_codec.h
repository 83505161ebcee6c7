#pragma once

#include "base/error.h"
#include "store/photo_picture.h"

#include <QByteArray>
#include <QByteArrayView>

namespace tallyport {

// JPEG through libjpeg-turbo. Decoding refuses damaged or cut-short data instead of showing a
// half-grey picture, and refuses sizes beyond the picture limits before taking memory.
Result<Picture> decodeJpeg(QByteArrayView data);
// The library's default encoder settings: quality 75, 4:2:0 chroma subsampling.
Result<QByteArray> encodeJpeg(const Picture& picture);

// A Windows bitmap (.bmp): 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with bit
// field masks, bottom-up or top-down. Any header that does not add up is refused.
Result<Picture> decodeBitmap(QByteArrayView data);

}  // namespace tallyport
