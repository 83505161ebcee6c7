#pragma once

#include <QDialog>

class QPushButton;

namespace tallyport {

class Webcam;

// "Webcam Setup": the video source (which camera; remembered as "CamSource") and the video
// size (the camera's picture format). Without a running camera both buttons do nothing.
class WebcamSetupDialog : public QDialog {
    Q_OBJECT
public:
    WebcamSetupDialog(Webcam& camera, QWidget* parent = nullptr);

    QPushButton* sourceButton() const { return m_source; }
    QPushButton* sizeButton() const { return m_size; }

private:
    void ShowVideoSourceDialog();
    void ShowVideoFormatDialog();

    Webcam& m_camera;
    QPushButton* m_source = nullptr;
    QPushButton* m_size = nullptr;
};

}  // namespace tallyport
