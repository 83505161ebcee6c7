#pragma once

#include "peripherals/frame_camera.h"

#include <QCameraDevice>
#include <QCameraFormat>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QVideoFrame>

class QCamera;
class QMediaCaptureSession;
class QVideoWidget;

namespace tallyport {

// The console's camera: live picture in a video widget, snapshots from the newest frame it
// showed. Runs only while started; a camera that stopped delivering frames, or none at all,
// makes GrabJpeg answer false without writing anything.
class Webcam final : public QObject, public Camera, private FrameSource {
    Q_OBJECT
public:
    explicit Webcam(QObject* parent = nullptr);
    ~Webcam() override;

    // The live picture; put it where the webcam shows.
    QVideoWidget* preview() const;

    static QList<QCameraDevice> devices();
    // Starts the camera of this id, the default one for an empty or unknown id. False when
    // the machine has no camera.
    bool start(const QByteArray& deviceId);
    void stop();
    bool running() const;

    QList<QCameraFormat> formats() const;
    void setFormat(const QCameraFormat& format);

    bool GrabJpeg(const QString& path) override { return m_grabber.GrabJpeg(path); }

private:
    std::optional<Picture> latestFrame() override;

    QMediaCaptureSession* m_session = nullptr;
    QCamera* m_camera = nullptr;
    QPointer<QVideoWidget> m_preview;  // a widget of the window, which may free it first
    QVideoFrame m_frame;
    QElapsedTimer m_frameAge;
    FrameCamera m_grabber{*this};
};

// A frame as the core's picture: 24-bit, blue-green-red.
Picture pictureFromImage(const QImage& image);

}  // namespace tallyport
