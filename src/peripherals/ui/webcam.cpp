#include "peripherals/ui/webcam.h"

#include <QCamera>
#include <QImage>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>
#include <QVideoWidget>
#include <cstring>

namespace tallyport {
namespace {

// A frame older than this belongs to a camera that stopped or was unplugged.
constexpr qint64 kStaleFrameMs = 2000;

}  // namespace

Picture pictureFromImage(const QImage& image) {
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    if (bgr.isNull() || !checkPictureSize(bgr.width(), bgr.height())) return {};
    Picture picture(bgr.width(), bgr.height());
    for (int y = 0; y < bgr.height(); ++y)
        std::memcpy(picture.row(y), bgr.constScanLine(y), picture.stride());
    return picture;
}

Webcam::Webcam(QObject* parent) : QObject(parent) {
    m_session = new QMediaCaptureSession(this);
    m_preview = new QVideoWidget;
    m_preview->setObjectName(QStringLiteral("webview"));
    m_session->setVideoOutput(m_preview);
    connect(m_preview->videoSink(), &QVideoSink::videoFrameChanged, this,
            [this](const QVideoFrame& frame) {
                m_frame = frame;
                m_frameAge.start();
            });
}

// The preview is a widget of the window it was put in, or ours while it is in none.
Webcam::~Webcam() {
    stop();
    m_session->setVideoOutput(nullptr);
    if (m_preview && !m_preview->parent()) delete m_preview;
}

QVideoWidget* Webcam::preview() const {
    return m_preview;
}

QList<QCameraDevice> Webcam::devices() {
    return QMediaDevices::videoInputs();
}

bool Webcam::start(const QByteArray& deviceId) {
    stop();
    const QList<QCameraDevice> all = devices();
    if (all.isEmpty()) return false;
    QCameraDevice chosen = QMediaDevices::defaultVideoInput();
    for (const QCameraDevice& d : all)
        if (!deviceId.isEmpty() && d.id() == deviceId) chosen = d;
    if (chosen.isNull()) chosen = all.first();
    m_camera = new QCamera(chosen, this);
    m_session->setCamera(m_camera);
    m_camera->start();
    return true;
}

void Webcam::stop() {
    if (!m_camera) return;
    m_camera->stop();
    m_session->setCamera(nullptr);
    delete m_camera;
    m_camera = nullptr;
    m_frame = QVideoFrame();
}

bool Webcam::running() const {
    return m_camera && m_camera->isActive();
}

QList<QCameraFormat> Webcam::formats() const {
    return m_camera ? m_camera->cameraDevice().videoFormats() : QList<QCameraFormat>{};
}

void Webcam::setFormat(const QCameraFormat& format) {
    if (m_camera) m_camera->setCameraFormat(format);
}

std::optional<Picture> Webcam::latestFrame() {
    if (!m_camera || !m_frame.isValid() || m_frameAge.elapsed() > kStaleFrameMs)
        return std::nullopt;
    Picture picture = pictureFromImage(m_frame.toImage());
    if (picture.isEmpty()) return std::nullopt;
    return picture;
}

}  // namespace tallyport
