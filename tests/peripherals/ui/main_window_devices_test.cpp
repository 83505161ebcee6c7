#include "app/ui/main_window.h"
#include "peripherals/ui/webcam.h"
#include "store/setting_names.h"
#include "support/dialog_fixture.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace tallyport::test {
namespace {

using MainWindowDevices = ConsoleFixture;

QAction* unlocked(MainWindow& w, const char* name) {
    QAction* a = w.action(QLatin1String(name));
    a->setEnabled(true);  // as after a login
    return a;
}

TEST_F(MainWindowDevices, HideWebcamFlipsThePanelAndItsSettings) {
    WriteSettingBool(setting::CamEnable, true);
    WriteSettingText(setting::CamSource, QStringLiteral("/dev/video7"));
    MainWindow w(console());
    auto* pancap = w.findChild<QWidget*>(QStringLiteral("pancap"));
    QAction* actcap = unlocked(w, "actcap");
    ASSERT_TRUE(actcap->isCheckable());
    EXPECT_FALSE(actcap->isChecked());
    EXPECT_FALSE(pancap->isHidden());
    ASSERT_NE(w.webcam(), nullptr);
    // No camera here: the live picture group stays hidden and a grab answers no.
    if (Webcam::devices().isEmpty()) {
        EXPECT_TRUE(w.findChild<QGroupBox*>(QStringLiteral("gbweb"))->isHidden());
    }

    actcap->trigger();
    EXPECT_TRUE(actcap->isChecked());
    EXPECT_TRUE(pancap->isHidden());
    EXPECT_FALSE(ReadSettingBool(setting::CamEnable, true));
    EXPECT_EQ(ReadSettingText(setting::CamSource, QStringLiteral("unset")), QString());

    actcap->trigger();
    EXPECT_FALSE(actcap->isChecked());
    EXPECT_FALSE(pancap->isHidden());
    EXPECT_TRUE(ReadSettingBool(setting::CamEnable, false));
}

TEST_F(MainWindowDevices, PanelStartsHiddenAndTickedWhenDisabled) {
    MainWindow w(console());
    EXPECT_TRUE(w.findChild<QWidget*>(QStringLiteral("pancap"))->isHidden());
    EXPECT_TRUE(w.action(QStringLiteral("actcap"))->isChecked());
}

TEST_F(MainWindowDevices, EnableSpeechFeedbackOpensTheSwitch) {
    MainWindow w(console());
    OnNextModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Speech Options"));
        dialog->findChild<QCheckBox*>(QStringLiteral("cbEnable"))->setChecked(true);
        dialog->findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    });
    unlocked(w, "actSpeech")->trigger();
    EXPECT_TRUE(ReadSettingBool(setting::SpeechEnable, false));
}

}  // namespace
}  // namespace tallyport::test
