#include "store/photo_files.h"

#include "base/operator.h"
#include "store/photo_codec.h"
#include "store/photo_transform.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tallyport {

namespace {

// Room for the largest picture allowed, 32 bits a pixel, and its headers.
constexpr qint64 kMaxPictureFileSize = kMaxPicturePixels * 4 + 1024 * 1024;

Result<QByteArray> readPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("The file cannot be opened: %1.").arg(file.errorString()));
    if (file.size() > kMaxPictureFileSize)
        return fail(QStringLiteral("The file is too large for a picture."));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("The file cannot be read: %1.").arg(file.errorString()));
    return bytes;
}

// Puts a decoded picture, resampled to width x height, in place of `picture`.
bool showLoaded(Operator& op, const QString& path, const Result<Picture>& loaded, int width,
                int height, Picture& picture) {
    if (!loaded) {
        op.error(kPictureNotLoaded.arg(path, loaded.error().text));
        return false;
    }
    if (width == 0 || height == 0) {
        width = loaded->width();
        height = loaded->height();
    } else if (auto ok = checkPictureSize(width, height); !ok) {
        op.error(kPictureNotLoaded.arg(path, ok.error().text));
        return false;
    }
    Picture sized(width, height);
    Resample(*loaded, sized);
    picture = std::move(sized);
    return true;
}

template <typename Decode>
bool loadFile(Operator& op, int width, int height, Picture& picture, const QString& path,
              Decode decode) {
    const Result<QByteArray> bytes = readPictureFile(path);
    const Result<Picture> loaded =
        bytes ? decode(*bytes) : Result<Picture>(std::unexpected(bytes.error()));
    return showLoaded(op, path, loaded, width, height, picture);
}

}  // namespace

bool LoadPhotoFromField(const QByteArray& field, Picture& picture) {
    Result<Picture> decoded = decodeJpeg(field);
    if (!decoded) return false;
    picture = std::move(*decoded);
    return true;
}

Result<QByteArray> StorePhotoToField(const Picture& picture) {
    return encodeJpeg(picture);
}

bool LoadPhotoFile(Operator& op, Picture& picture, int width, int height) {
    const std::optional<QString> path =
        op.chooseOpenFile(kOpenPhotoCaption, QString(), kPhotoFileFilter);
    if (!path) return false;
    const QString extension = QFileInfo(*path).suffix().toUpper();
    if (extension == QLatin1String("BMP")) return LoadBitmapFile(op, width, height, picture, *path);
    if (extension == QLatin1String("JPG") || extension == QLatin1String("JPEG"))
        return LoadJpegFile(op, width, height, picture, *path);
    op.error(kUnknownFileExtension);
    return false;
}

bool LoadBitmapFile(Operator& op, int width, int height, Picture& picture, const QString& path) {
    return loadFile(op, width, height, picture, path, decodeBitmap);
}

bool LoadJpegFile(Operator& op, int width, int height, Picture& picture, const QString& path) {
    if (!QFileInfo::exists(path)) return false;
    return loadFile(op, width, height, picture, path, decodeJpeg);
}

Result<void> SavePictureAsJpeg(const Picture& picture, const QString& path) {
    const Result<QByteArray> jpeg = encodeJpeg(picture);
    if (!jpeg) return std::unexpected(jpeg.error());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*jpeg) != jpeg->size() || !file.commit())
        return fail(
            QStringLiteral("The file \"%1\" cannot be written: %2.").arg(path, file.errorString()));
    return {};
}

}  // namespace tallyport
