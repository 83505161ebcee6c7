#pragma once

#include "base/error.h"
#include "store/photo_picture.h"

#include <QByteArray>
#include <QString>

namespace tallyport {

class Operator;

inline const QString kUnknownFileExtension = QStringLiteral("Unknown file extension.");
inline const QString kOpenPhotoCaption = QStringLiteral("Open");
// Images, JPEG, Bitmap, All Files, in the file dialog's own filter form.
inline const QString kPhotoFileFilter = QStringLiteral(
    "Images (*.jpg *.jpeg *.bmp);;JPEG (*.jpg *.jpeg);;Bitmap (*.bmp);;All Files (*.*)");
// %1 the file, %2 the reason.
inline const QString kPictureNotLoaded = QStringLiteral("The picture \"%1\" cannot be loaded. %2");

// The photo column of a card holder holds a whole JPEG file; empty means no photo.
// True when the bytes held a JPEG picture, which then replaces `picture`; otherwise the picture
// is left as it was and the caller blanks it.
bool LoadPhotoFromField(const QByteArray& field, Picture& picture);
// The bytes to store in the photo column.
Result<QByteArray> StorePhotoToField(const Picture& picture);

// Asks for an image file and loads it at width x height (its own size when either is 0).
// False when cancelled, the extension is unknown or the file was refused (with a message);
// the picture is then unchanged.
bool LoadPhotoFile(Operator& op, Picture& picture, int width, int height);
// Load one file into `picture` at width x height (its own size when either is 0). A file that
// cannot be read is reported and leaves the picture unchanged. A JPEG file that has vanished
// since it was chosen answers false without a message.
bool LoadBitmapFile(Operator& op, int width, int height, Picture& picture, const QString& path);
bool LoadJpegFile(Operator& op, int width, int height, Picture& picture, const QString& path);

// Writes the picture as a JPEG file, replacing the file only once it is complete.
Result<void> SavePictureAsJpeg(const Picture& picture, const QString& path);

}  // namespace tallyport
