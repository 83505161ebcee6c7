#pragma once

#include "base/error.h"
#include "peripherals/peripherals.h"
#include "store/photo_picture.h"

#include <optional>

namespace tallyport {

// The newest frame a camera delivered; nothing while no camera runs.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    virtual std::optional<Picture> latestFrame() = 0;
};

// Encodes the picture as JPEG and writes it through a temporary file renamed into place, so a
// failed write never leaves a cut-short snapshot behind.
Result<void> writeJpegFile(const Picture& picture, const QString& path);

// A snapshot from a frame source: the newest frame written as a JPEG file. Without a frame it
// answers false and writes nothing.
class FrameCamera final : public Camera {
public:
    explicit FrameCamera(FrameSource& source) : m_source(source) {}
    bool GrabJpeg(const QString& path) override;

private:
    FrameSource& m_source;
};

}  // namespace tallyport
