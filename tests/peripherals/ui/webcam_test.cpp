#include "peripherals/ui/webcam.h"
#include "peripherals/ui/speech_dialog.h"
#include "peripherals/ui/webcam_setup_dialog.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>

using namespace tallyport;

namespace {

// This machine has no camera; the console's camera must then answer no and write nothing.
TEST(Webcam, WithoutACameraGrabAnswersNoAndWritesNothing) {
    if (!Webcam::devices().isEmpty()) GTEST_SKIP() << "a camera is connected here";
    test::TempDataDir dir;
    Webcam camera;
    EXPECT_FALSE(camera.start(QByteArray()));
    EXPECT_FALSE(camera.running());
    const QString path = dir.file(QStringLiteral("260301-085959-4711.jpg"));
    EXPECT_FALSE(camera.GrabJpeg(path));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(Webcam, FrameImagesBecomeBlueGreenRedPictures) {
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 30));
    const Picture p = pictureFromImage(image);
    ASSERT_EQ(p.width(), 4);
    EXPECT_EQ(p.row(1)[3], 30);  // blue first
    EXPECT_EQ(p.row(1)[5], 10);
    EXPECT_TRUE(pictureFromImage(QImage()).isEmpty());
}

// Without a camera the source and size buttons do nothing: no dialog, no setting.
TEST(Webcam, SetupButtonsDoNothingWithoutACamera) {
    QFile::remove(settingsFilePath());
    Webcam camera;
    WebcamSetupDialog dialog(camera);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Webcam Setup"));
    EXPECT_EQ(dialog.sourceButton()->text(), QStringLiteral("Video S&ource"));
    EXPECT_EQ(dialog.sizeButton()->text(), QStringLiteral("Video S&ize"));
    dialog.sourceButton()->click();
    dialog.sizeButton()->click();
    EXPECT_EQ(ReadSettingText(setting::CamSource, QStringLiteral("unset")),
              QStringLiteral("unset"));
}

TEST(SpeechDialog, OkStoresTheSwitchAndCancelLeavesItOff) {
    QFile::remove(settingsFilePath());
    {
        SpeechDialog dialog;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Speech Options"));
        EXPECT_FALSE(dialog.enableBox()->isChecked());
        dialog.enableBox()->setChecked(true);
        dialog.reject();
    }
    EXPECT_FALSE(ReadSettingBool(setting::SpeechEnable, false));
    {
        SpeechDialog dialog;
        dialog.enableBox()->setChecked(true);
        dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    }
    EXPECT_TRUE(ReadSettingBool(setting::SpeechEnable, false));
    SpeechDialog reopened;
    EXPECT_TRUE(reopened.enableBox()->isChecked());
}

}  // namespace
