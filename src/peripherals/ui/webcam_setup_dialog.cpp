#include "peripherals/ui/webcam_setup_dialog.h"

#include "peripherals/ui/webcam.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QHBoxLayout>
#include <QInputDialog>
#include <QPushButton>

namespace tallyport {
namespace {

QPushButton* button(const QString& caption, const char* name) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QLatin1String(name));
    return b;
}

QString formatText(const QCameraFormat& f) {
    return QStringLiteral("%1 x %2, %3 fps")
        .arg(f.resolution().width())
        .arg(f.resolution().height())
        .arg(qRound(f.maxFrameRate()));
}

}  // namespace

WebcamSetupDialog::WebcamSetupDialog(Webcam& camera, QWidget* parent)
    : QDialog(parent), m_camera(camera) {
    setObjectName(QStringLiteral("SetupWebcam"));
    setWindowTitle(QStringLiteral("Webcam Setup"));
    m_source = button(QStringLiteral("Video S&ource"), "btnSource");
    m_size = button(QStringLiteral("Video S&ize"), "btnSize");
    QPushButton* exit = button(QStringLiteral("E&xit"), "btnExit");
    connect(m_source, &QPushButton::clicked, this, &WebcamSetupDialog::ShowVideoSourceDialog);
    connect(m_size, &QPushButton::clicked, this, &WebcamSetupDialog::ShowVideoFormatDialog);
    connect(exit, &QPushButton::clicked, this, &QDialog::close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_source);
    layout->addWidget(m_size);
    layout->addWidget(exit);
}

void WebcamSetupDialog::ShowVideoSourceDialog() {
    if (!m_camera.running()) return;
    const QList<QCameraDevice> devices = Webcam::devices();
    QStringList names;
    for (const QCameraDevice& d : devices) names << d.description();
    bool ok = false;
    const QString pick = QInputDialog::getItem(this, QStringLiteral("Video Source"),
                                               QStringLiteral("Camera:"), names, 0, false, &ok);
    const qsizetype i = names.indexOf(pick);
    if (!ok || i < 0) return;
    WriteSettingText(setting::CamSource, QString::fromUtf8(devices[i].id()));
    m_camera.start(devices[i].id());
}

void WebcamSetupDialog::ShowVideoFormatDialog() {
    const QList<QCameraFormat> formats = m_camera.formats();
    if (!m_camera.running() || formats.isEmpty()) return;
    QStringList names;
    for (const QCameraFormat& f : formats) names << formatText(f);
    bool ok = false;
    const QString pick = QInputDialog::getItem(this, QStringLiteral("Video Size"),
                                               QStringLiteral("Size:"), names, 0, false, &ok);
    const qsizetype i = names.indexOf(pick);
    if (ok && i >= 0) m_camera.setFormat(formats[i]);
}

}  // namespace tallyport
