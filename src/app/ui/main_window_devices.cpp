// The main window's devices: the clock on `clk`, the webcam in its panel, and the commands
// that switch the webcam and the spoken greetings.
#include "app/ui/main_window.h"

#include "peripherals/ui/analog_clock.h"
#include "peripherals/ui/speech_dialog.h"
#include "peripherals/ui/webcam.h"
#include "peripherals/ui/webcam_setup_dialog.h"
#include "peripherals/webcam_settings.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QAction>
#include <QGroupBox>
#include <QLayout>
#include <QVideoWidget>

namespace tallyport {
namespace {

const QString kActCap = QStringLiteral("actcap");
const QString kActSetWeb = QStringLiteral("actsetweb");
const QString kActSpeech = QStringLiteral("actSpeech");

}  // namespace

void MainWindow::connectDeviceCommands() {
    action(kActCap)->setCheckable(true);
    action(kActCap)->setChecked(true);  // the panel starts hidden
    connect(action(kActCap), &QAction::triggered, this, &MainWindow::hideWebcam);
    connect(action(kActSetWeb), &QAction::triggered, this, [this] {
        if (!m_webcam) return;
        WebcamSetupDialog dialog(*m_webcam, this);
        dialog.exec();
    });
    connect(action(kActSpeech), &QAction::triggered, this, [this] {
        SpeechDialog dialog(this);
        dialog.exec();
    });
}

void MainWindow::setupDevices() {
    m_clock = new AnalogClock(this, findChild<QWidget*>(QStringLiteral("clk")));
    m_webcam = new Webcam(this);
    auto* web = findChild<QGroupBox*>(QStringLiteral("gbweb"));
    if (QWidget* placeholder = web->findChild<QWidget*>(QStringLiteral("webview"))) {
        delete web->layout()->replaceWidget(placeholder, m_webcam->preview());
        delete placeholder;
    }
    m_webcam->preview()->setFixedSize(160, 120);
    showWebcam(webcamEnabled());
}

// The camera runs while its panel shows; the picture group shows only with a camera.
void MainWindow::showWebcam(bool visible) {
    m_pancap->setVisible(visible);
    action(kActCap)->setChecked(!visible);
    if (!m_webcam) return;
    const bool running =
        visible && m_webcam->start(ReadSettingText(setting::CamSource, QString()).toUtf8());
    if (!running) m_webcam->stop();
    findChild<QGroupBox*>(QStringLiteral("gbweb"))->setVisible(running);
}

void MainWindow::hideWebcam(bool hidden) {
    storeWebcamHidden(hidden);
    showWebcam(!hidden);
}

void MainWindow::stopDevices() {
    delete m_clock;
    m_clock = nullptr;
    if (m_webcam) m_webcam->stop();
}

}  // namespace tallyport
