#include "peripherals/frame_camera.h"
#include "peripherals/webcam_settings.h"
#include "store/photo_codec.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

using namespace tallyport;

namespace {

class FakeFrames final : public FrameSource {
public:
    std::optional<Picture> frame;
    std::optional<Picture> latestFrame() override { return frame; }
};

Picture halves() {
    Picture p(64, 48, 0, 0, 255);  // red
    for (int y = 24; y < 48; ++y)
        for (int x = 0; x < 64; ++x) p.row(y)[x * 3] = 255, p.row(y)[x * 3 + 2] = 0;  // blue
    return p;
}

TEST(FrameCamera, WithoutAFrameAnswersNoAndWritesNothing) {
    test::TempDataDir dir;
    FakeFrames frames;
    FrameCamera camera(frames);
    const QString path = dir.file(QStringLiteral("260301-085959-4711.jpg"));
    EXPECT_FALSE(camera.GrabJpeg(path));
    EXPECT_FALSE(QFile::exists(path));
    frames.frame = Picture();  // an empty frame is no frame
    EXPECT_FALSE(camera.GrabJpeg(path));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(FrameCamera, WritesTheNewestFrameAsAJpegThatDecodesBack) {
    test::TempDataDir dir;
    FakeFrames frames;
    frames.frame = halves();
    FrameCamera camera(frames);
    const QString path = dir.file(QStringLiteral("260301-085959-4711.jpg"));
    ASSERT_TRUE(camera.GrabJpeg(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const Result<Picture> back = decodeJpeg(f.readAll());
    ASSERT_TRUE(back.has_value()) << back.error().text.toStdString();
    ASSERT_EQ(back->width(), 64);
    ASSERT_EQ(back->height(), 48);
    EXPECT_GT(back->row(5)[32 * 3 + 2], 200);  // top stays red
    EXPECT_GT(back->row(40)[32 * 3], 200);     // bottom stays blue
}

TEST(FrameCamera, AFolderThatCannotBeWrittenAnswersNo) {
    test::TempDataDir dir;
    FakeFrames frames;
    frames.frame = halves();
    FrameCamera camera(frames);
    EXPECT_FALSE(camera.GrabJpeg(dir.file(QStringLiteral("missing/260301-085959-4711.jpg"))));
    EXPECT_TRUE(
        QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

// "Hide Webcam": hiding forgets the source and turns the panel off, showing turns it on.
TEST(WebcamSettings, HideClearsTheSourceAndShowEnables) {
    QFile::remove(settingsFilePath());
    WriteSettingBool(setting::CamEnable, true);
    WriteSettingText(setting::CamSource, QStringLiteral("/dev/video0"));
    storeWebcamHidden(true);
    EXPECT_FALSE(webcamEnabled());
    EXPECT_EQ(ReadSettingText(setting::CamSource, QStringLiteral("unset")), QString());
    storeWebcamHidden(false);
    EXPECT_TRUE(webcamEnabled());
    EXPECT_EQ(ReadSettingText(setting::CamSource, QStringLiteral("unset")), QString());
}

}  // namespace
