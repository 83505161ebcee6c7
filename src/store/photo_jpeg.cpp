#include "store/photo_codec.h"

#include <turbojpeg.h>

#include <memory>

namespace tallyport {

namespace {

inline constexpr int kDefaultQuality = 75;

struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

QString libraryMessage(tjhandle handle) {
    return QString::fromLocal8Bit(tjGetErrorStr2(handle));
}

Error unreadable(tjhandle handle) {
    return Error{
        QStringLiteral("The JPEG picture cannot be read: %1.").arg(libraryMessage(handle))};
}

}  // namespace

Result<Picture> decodeJpeg(QByteArrayView data) {
    if (data.isEmpty()) return fail(QStringLiteral("There is no JPEG picture."));
    const Handle handle(tjInitDecompress());
    if (!handle) return fail(QStringLiteral("The JPEG decoder cannot start."));
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const auto size = static_cast<unsigned long>(data.size());
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), bytes, size, &width, &height, &subsampling,
                            &colourspace) != 0)
        return std::unexpected(unreadable(handle.get()));
    if (auto ok = checkPictureSize(width, height); !ok) return std::unexpected(ok.error());
    Picture picture(width, height);
    // Stopping on warnings refuses cut-short data; limiting scans refuses progressive files
    // crafted to take minutes.
    if (tjDecompress2(handle.get(), bytes, size, picture.data(), width,
                      static_cast<int>(picture.stride()), height, TJPF_BGR,
                      TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS) != 0)
        return std::unexpected(unreadable(handle.get()));
    return picture;
}

Result<QByteArray> encodeJpeg(const Picture& picture) {
    if (picture.isEmpty()) return fail(QStringLiteral("There is no picture to store."));
    const Handle handle(tjInitCompress());
    if (!handle) return fail(QStringLiteral("The JPEG encoder cannot start."));
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(handle.get(), picture.data(), picture.width(),
                               static_cast<int>(picture.stride()), picture.height(), TJPF_BGR,
                               &buffer, &size, TJSAMP_420, kDefaultQuality, 0);
    const std::unique_ptr<unsigned char, decltype(&tjFree)> owned(buffer, &tjFree);
    if (rc != 0)
        return fail(QStringLiteral("The picture cannot be encoded as JPEG: %1.")
                        .arg(libraryMessage(handle.get())));
    return QByteArray(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
}

}  // namespace tallyport
