// "Print Member Card": opening on the remembered settings and the folder's pictures, the style
// remembered on click, the picture buttons, and Save.
#include "reports/ui/card_print_dialog.h"
#include "store/photo_codec.h"
#include "store/photo_files.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/dialog_fixture.h"
#include "test_paths.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace tallyport::test {
namespace {

class CardPrintDialogTest : public DialogFixture {
protected:
    QString file(const QString& name) const { return dir.file(name); }
    void writeJpeg(const QString& name, const Picture& picture) {
        ASSERT_TRUE(SavePictureAsJpeg(picture, file(name)));
    }
    Picture readJpeg(const QString& name) const {
        QFile f(file(name));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return decodeJpeg(f.readAll()).value_or(Picture());
    }
};

TEST_F(CardPrintDialogTest, OpensOnTheRememberedSettingsAndTheFolderPictures) {
    WriteSettingText(setting::CardTitleString, QStringLiteral("VISITOR"));
    WriteSettingBool(setting::CardRemarkEnable(3), true);
    WriteSettingText(setting::CardRemakrString(3), QStringLiteral("Room"));
    WriteSettingBool(setting::CardTransparent, false);
    WriteSettingBool(setting::Card_Style, false);
    writeJpeg(QStringLiteral("cardback.jpg"), Picture(64, 40, 0, 128, 0));
    CardPrintDialog dialog(data.src(), op, dir.path());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Print Member Card"));
    EXPECT_EQ(control<QLineEdit>(&dialog, "edTitle")->text(), QStringLiteral("VISITOR"));
    EXPECT_TRUE(control<QCheckBox>(&dialog, "cbRemark1")->isChecked());
    EXPECT_FALSE(control<QCheckBox>(&dialog, "cbRemark2")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(&dialog, "cbRemark3")->isChecked());
    EXPECT_EQ(control<QLineEdit>(&dialog, "edRemark1")->text(), QStringLiteral("Remark"));
    EXPECT_EQ(control<QLineEdit>(&dialog, "edRemark2")->text(), QString());
    EXPECT_EQ(control<QLineEdit>(&dialog, "edRemark3")->text(), QStringLiteral("Room"));
    EXPECT_FALSE(control<QCheckBox>(&dialog, "cbTransparent")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(&dialog, "cbPreview")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(&dialog, "rbVert")->isChecked());
    EXPECT_EQ(control<QLabel>(&dialog, "imgBack")->width(), 54);
    EXPECT_TRUE(control<QRadioButton>(&dialog, "rballstaff")->isChecked());
    EXPECT_EQ(dialog.pictures().background.width(), 64);
    EXPECT_EQ(dialog.pictures().logo, Picture(100, 100, 255, 255, 255));  // no cardlogo.jpg
    const CardSettings s = dialog.settings();
    EXPECT_EQ(s.style, CardStyle::Vertical);
    EXPECT_EQ(s.remarkLabels[2], QStringLiteral("Room"));
    EXPECT_TRUE(op.shown().isEmpty());
}

TEST_F(CardPrintDialogTest, ADamagedPictureIsSaidOnOpening) {
    QFile damaged(file(QStringLiteral("cardback.jpg")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a picture");
    damaged.close();
    CardPrintDialog dialog(data.src(), op, dir.path());
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("warning: ") +
                                      unreadableCardPictureText(damaged.fileName())});
    EXPECT_EQ(dialog.pictures().background, Picture(100, 100, 255, 255, 255));
}

TEST_F(CardPrintDialogTest, TheStyleIsRememberedWhenClicked) {
    CardPrintDialog dialog(data.src(), op, dir.path());
    EXPECT_EQ(control<QLabel>(&dialog, "imgBack")->width(), 128);
    click(&dialog, "rbVert");
    EXPECT_FALSE(ReadSettingBool(setting::Card_Style, true));
    EXPECT_EQ(control<QLabel>(&dialog, "imgBack")->width(), 54);
    click(&dialog, "rbStyle");
    EXPECT_TRUE(ReadSettingBool(setting::Card_Style, false));
    EXPECT_EQ(control<QLabel>(&dialog, "imgBack")->width(), 128);
    click(&dialog, "bCancel");
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("cardback.jpg"))));  // nothing else saved
}

TEST_F(CardPrintDialogTest, ClearThenSaveStoresAWhitePictureAndTheSettings) {
    writeJpeg(QStringLiteral("cardback.jpg"), Picture(64, 40, 0, 0, 255));
    CardPrintDialog dialog(data.src(), op, dir.path());
    click(&dialog, "bClearBack");
    control<QLineEdit>(&dialog, "edTitle")->setText(QStringLiteral("CONTRACTOR"));
    setChecked(&dialog, "cbLogo", true);
    setChecked(&dialog, "cbRemark4", true);
    click(&dialog, "bSave");
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("information: Settings are saved.")});
    const Picture back = readJpeg(QStringLiteral("cardback.jpg"));
    ASSERT_EQ(back.width(), 100);
    ASSERT_EQ(back.height(), 100);
    for (int y : {0, 50, 99})
        for (int x : {0, 50, 99}) EXPECT_GE(back.row(y)[3 * x], 250);
    EXPECT_EQ(readJpeg(QStringLiteral("cardlogo.jpg")).width(), 100);
    EXPECT_EQ(ReadSettingText(setting::CardTitleString, {}), QStringLiteral("CONTRACTOR"));
    EXPECT_TRUE(ReadSettingBool(setting::CardLogoEnable, false));
    EXPECT_TRUE(ReadSettingBool(setting::CardRemarkEnable(4), false));
    EXPECT_TRUE(ReadSettingBool(setting::CardBackEnable, false));
}

TEST_F(CardPrintDialogTest, ASaveThatFailsSaysSo) {
    CardPrintDialog dialog(data.src(), op, dir.file(QStringLiteral("no such folder")));
    click(&dialog, "bSave");
    ASSERT_EQ(op.shown(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(op.shown(QStringLiteral("error"))[0].startsWith(
        QStringLiteral("Settings cannot be saved.")));
    EXPECT_FALSE(op.saw(QStringLiteral("Settings are saved.")));
}

// With the console's reporter of settings that cannot be stored in place, a Save that cannot
// store them is said once, by the dialog.
TEST_F(CardPrintDialogTest, ASettingsFileThatCannotBeWrittenIsSaidOnceOnSave) {
    setSettingsFailureReporter(
        [this](const QString& text, const QString& reason) { op.errorDetail(text, reason); });
    const QString path = settingsFilePath();
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkpath(path));  // a folder where the file should be
    CardPrintDialog dialog(data.src(), op, dir.path());
    click(&dialog, "bSave");
    const QStringList errors = op.shown(QStringLiteral("error"));
    EXPECT_TRUE(QDir(path).removeRecursively());
    setSettingsFailureReporter({});
    ASSERT_EQ(errors.size(), 1) << errors.join(u'\n').toStdString();
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Settings cannot be saved.")));
    EXPECT_TRUE(errors[0].contains(path));
    EXPECT_FALSE(op.saw(QStringLiteral("Settings are saved.")));
    // Elsewhere a store that cannot be written is still told.
    ASSERT_TRUE(QDir().mkpath(path));
    QStringList told;
    setSettingsFailureReporter([&told](const QString& text, const QString&) { told << text; });
    EXPECT_FALSE(writeCardStyle(CardStyle::Vertical));
    EXPECT_TRUE(QDir(path).removeRecursively());
    setSettingsFailureReporter({});
    EXPECT_EQ(told, QStringList{QStringLiteral("Settings cannot be saved.")});
}

TEST_F(CardPrintDialogTest, LoadAndRotateThePictures) {
    CardPrintDialog dialog(data.src(), op, dir.path());
    op.answerFile(QStringLiteral(TALLYPORT_TEST_DATA_DIR "/photos/rgb24.bmp"));
    click(&dialog, "bLoadImage");
    ASSERT_EQ(dialog.pictures().background.width(), 3);  // at its own size
    ASSERT_EQ(dialog.pictures().background.height(), 2);
    click(&dialog, "bRotateBack");
    EXPECT_EQ(dialog.pictures().background.width(), 2);
    EXPECT_EQ(dialog.pictures().background.height(), 3);
    EXPECT_EQ(op.shown(QStringLiteral("progress")), QStringList{QStringLiteral("Rotating /1")});
    op.answerFile(dir.file(QStringLiteral("logo.png")));
    click(&dialog, "bLoadLogo");
    EXPECT_TRUE(op.saw(QStringLiteral("Unknown file extension.")));
    EXPECT_EQ(dialog.pictures().logo.width(), 100);  // unchanged
}

}  // namespace
}  // namespace tallyport::test
