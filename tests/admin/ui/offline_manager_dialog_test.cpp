// The Access Manager dialog on a running console whose readers talk to the simulator over TCP.
#include "admin/ui/offline_manager_dialog.h"
#include "store/setting_names.h"
#include "support/dialog_fixture.h"
#include "support/live_console.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace tallyport;
using namespace tallyport::test;

namespace {

class OfflineManagerDialogTest : public LiveConsole {
protected:
    void SetUp() override {
        ClearSettings();
        LiveConsole::SetUp();
    }
    void TearDown() override {
        ExpectNoModalAwaited();
        LiveConsole::TearDown();
    }
    QStringList locks(int port) {
        QStringList out;
        for (const QString& l : sim.command(QStringLiteral("@%1 frames").arg(sim.port(port - 1))))
            if (l.endsWith("F5 05 00 00 01 FA FA")) out << l;
        return out;
    }
};

QStringList items(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    return out;
}

TEST_F(OfflineManagerDialogTest, TheLayoutFollowsTheModeOfTheChosenReader) {
    pointReader(1, 0, QStringLiteral("Clock"));
    pointReader(2, 2, QStringLiteral("Back door"));
    OfflineManagerDialog dialog(console.readers(), console.data(), op);
    ASSERT_EQ(items(dialog.cbPortList), (QStringList{"Clock", "Back door"}));

    dialog.readerListClick();
    EXPECT_EQ(dialog.windowTitle(), "Clock");
    EXPECT_EQ(op.shown(), QStringList{"information: Settings are loaded successfully."});
    EXPECT_TRUE(dialog.gbOptions->isHidden());
    EXPECT_TRUE(dialog.gbPasswd->isHidden());
    EXPECT_FALSE(dialog.gbAutoTime->isHidden());
    EXPECT_EQ(dialog.gbAutoTime->title(), "Auto IN/OUT Timetable");
    EXPECT_EQ(items(dialog.cbMode[0]), (QStringList{"Not Used", "IN", "OUT"}));

    dialog.cbPortList->setCurrentIndex(1);
    dialog.readerListClick();
    EXPECT_EQ(dialog.windowTitle(), "Back door");
    EXPECT_FALSE(dialog.gbOptions->isHidden());
    EXPECT_FALSE(dialog.cbKeypad->isHidden());
    EXPECT_EQ(dialog.cbKeypad->text(), "Keypad Bypass");
    EXPECT_FALSE(dialog.cbCard->isHidden());
    EXPECT_FALSE(dialog.cbReverse->isHidden());
    EXPECT_TRUE(dialog.cbMagnet->isHidden());
    EXPECT_TRUE(dialog.gbAutoTime->isHidden());
}

TEST_F(OfflineManagerDialogTest, WhileADownloadWaitsNoSecondSequenceCanStart) {
    ASSERT_TRUE(sim.ok(QStringLiteral("@%1 log fill 300").arg(sim.port(0))));
    ASSERT_TRUE(sim.ok(QStringLiteral("@%1 delay 30").arg(sim.port(0))));
    OfflineManagerDialog dialog(console.readers(), console.data(), op);
    dialog.cbClearAfter->setChecked(false);
    dialog.show();
    bool busy = false, downloadEnabled = true, closeEnabled = true, stillOpen = false;
    QTimer::singleShot(60, &dialog, [&] {
        busy = dialog.busy();
        downloadEnabled = dialog.bdownload->isEnabled();
        closeEnabled = dialog.Button1->isEnabled();
        dialog.bdownload->click();  // a second click, and Escape, change nothing
        dialog.bclrrec->click();
        dialog.close();
        stillOpen = dialog.isVisible();
    });
    dialog.bdownload->click();
    EXPECT_TRUE(busy);
    EXPECT_FALSE(downloadEnabled);
    EXPECT_FALSE(closeEnabled);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(op.shown("information"), QStringList{"Added = 300, Duplicated = 0, Invalid = 0"});
    EXPECT_TRUE(op.shown("yesno").isEmpty());  // Clear never asked
    EXPECT_EQ(locks(1).size(), 1);
    EXPECT_EQ(count(att(), "recorder"), 300);
    EXPECT_TRUE(dialog.eStatus->isHidden());
    EXPECT_TRUE(dialog.bdownload->isEnabled());
}

TEST_F(OfflineManagerDialogTest, CloseStoresTheSettingsTheWindowsCloseButtonDoesNot) {
    ASSERT_TRUE(sim.ok(QStringLiteral("@%1 set line1 HELLO").arg(sim.port(0))));
    {
        OfflineManagerDialog dialog(console.readers(), console.data(), op);
        dialog.readerListClick();
        dialog.cbClearAfter->setChecked(false);
        dialog.close();
    }
    EXPECT_TRUE(ReadSettingBool(setting::OL_ClearAfter, true));
    OfflineManagerDialog dialog(console.readers(), console.data(), op);
    dialog.readerListClick();
    dialog.cbClearAfter->setChecked(false);
    dialog.Button1->click();
    EXPECT_FALSE(ReadSettingBool(setting::OL_ClearAfter, true));
    EXPECT_EQ(ReadSettingText(setting::LogoLine1, {}), "HELLO           ");
}

TEST_F(OfflineManagerDialogTest, SystemPinLayoutShowsThePinsOnly) {
    ASSERT_TRUE(console.data().SetKeyInt(kMasterPinKey, 1234));
    OfflineManagerDialog dialog(console.readers(), console.data(), op);
    dialog.enterPinLayout();
    EXPECT_EQ(dialog.windowTitle(), "Front door");
    EXPECT_EQ(dialog.semasterpin->value(), 1234);
    EXPECT_EQ(dialog.secontrolpin->value(), 0);
    EXPECT_FALSE(dialog.gbmasterpin->isHidden());
    EXPECT_TRUE(dialog.gbRecord->isHidden());
    EXPECT_TRUE(dialog.gbAccess->isHidden());
    EXPECT_TRUE(dialog.gbSettings->isHidden());
    EXPECT_TRUE(op.shown().isEmpty());  // no Get in this layout

    dialog.semasterpin->setValue(4321);
    dialog.secontrolpin->setValue(77);
    dialog.Button3->click();
    EXPECT_EQ(op.shown(), QStringList{"information: System PINs are sent successfully."});
    EXPECT_EQ(console.data().GetKeyInt(kControlPinKey), 77);
}

}  // namespace
