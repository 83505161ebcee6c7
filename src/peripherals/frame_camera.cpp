#include "peripherals/frame_camera.h"

#include "store/photo_codec.h"

#include <QDebug>
#include <QSaveFile>

namespace tallyport {

Result<void> writeJpegFile(const Picture& picture, const QString& path) {
    const Result<QByteArray> jpeg = encodeJpeg(picture);
    if (!jpeg) return fail(jpeg.error().text);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*jpeg) != jpeg->size() || !file.commit())
        return fail(file.errorString());
    return {};
}

bool FrameCamera::GrabJpeg(const QString& path) {
    const std::optional<Picture> frame = m_source.latestFrame();
    if (!frame || frame->isEmpty()) return false;
    const Result<void> written = writeJpegFile(*frame, path);
    if (!written) qWarning("snapshot %s: %s", qPrintable(path), qPrintable(written.error().text));
    return written.has_value();
}

}  // namespace tallyport
