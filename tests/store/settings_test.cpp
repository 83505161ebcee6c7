#include "store/settings.h"
#include "store/setting_names.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QSettings>

using namespace tallyport;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(settingsFilePath()); }

    // Changes the stored text as a person editing the file would.
    static void storeRaw(const QString& name, const QString& text) {
        QSettings s(settingsFilePath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("TallyportTime/") + name, text);
    }
    static QString fileText() {
        QFile f(settingsFilePath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST_F(SettingsTest, LivesInTheUsersConfigFolderUnderItsSection) {
    EXPECT_TRUE(settingsFilePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    EXPECT_TRUE(settingsFilePath().endsWith(QStringLiteral("/ZOLT/TallyportTime.conf")));
    WriteSettingInt(setting::WebPortNo, 8080);
    EXPECT_TRUE(fileText().contains(QStringLiteral("[TallyportTime]\nWebPortNo=8080")));
}

TEST_F(SettingsTest, IntegerFallsBackToTheDefaultWhenAbsentOrNotDecimal) {
    EXPECT_EQ(ReadSettingInt(setting::WebPortNo, 80), 80);
    WriteSettingInt(setting::WebPortNo, 8080);
    EXPECT_EQ(ReadSettingInt(setting::WebPortNo, 80), 8080);
    WriteSettingInt(setting::WebPortNo, -5);
    EXPECT_EQ(ReadSettingInt(setting::WebPortNo, 80), -5);
    for (const char* bad : {"80a", "", "0x50", "99999999999"}) {
        storeRaw(setting::WebPortNo, QString::fromLatin1(bad));
        EXPECT_EQ(ReadSettingInt(setting::WebPortNo, 80), 80) << bad;
    }
}

TEST_F(SettingsTest, YesNoIsStoredAsOneOrZeroAndAnyNonZeroReadsAsYes) {
    WriteSettingBool(setting::AutoInOut, true);
    EXPECT_TRUE(fileText().contains(QStringLiteral("AutoInOut=1")));
    WriteSettingBool(setting::AutoInOut, false);
    EXPECT_TRUE(fileText().contains(QStringLiteral("AutoInOut=0")));
    EXPECT_FALSE(ReadSettingBool(setting::AutoInOut, true));
    storeRaw(setting::AutoInOut, QStringLiteral("2"));
    EXPECT_TRUE(ReadSettingBool(setting::AutoInOut, false));
    storeRaw(setting::AutoInOut, QStringLiteral("yes"));
    EXPECT_TRUE(ReadSettingBool(setting::AutoInOut, true));
    EXPECT_FALSE(ReadSettingBool(setting::AutoInOut, false));
}

TEST_F(SettingsTest, TextKeepsAnEmptyValueAndOnlyAbsentGivesTheDefault) {
    EXPECT_EQ(ReadSettingText(setting::CardRemakrString(2), QString()), QString());
    EXPECT_EQ(ReadSettingText(setting::WebTitle, QStringLiteral("Tallyport")),
              QStringLiteral("Tallyport"));
    WriteSettingText(setting::WebTitle, QString());
    EXPECT_EQ(ReadSettingText(setting::WebTitle, QStringLiteral("Tallyport")), QString());
    WriteSettingText(setting::EmailRecipant, QStringLiteral("a@x.org; b@y.org, c=d"));
    EXPECT_EQ(ReadSettingText(setting::EmailRecipant, {}), QStringLiteral("a@x.org; b@y.org, c=d"));
    storeRaw(setting::LastDataPath, QStringLiteral("/home/ann/Ärger"));
    EXPECT_EQ(ReadSettingText(setting::LastDataPath, {}), QStringLiteral("/home/ann/Ärger"));
}

TEST_F(SettingsTest, TimeOfDayReadsWhatWasWrittenAndRefusesImpossibleTimes) {
    const QTime def(9, 0, 0);
    EXPECT_EQ(ReadSettingTime(setting::LastStdStart, def), def);
    WriteSettingTime(setting::LastStdStart, QTime(17, 30, 5));
    EXPECT_EQ(ReadSettingTime(setting::LastStdStart, def), QTime(17, 30, 5));
    storeRaw(setting::LastStdStart, QStringLiteral("9:0:0"));
    EXPECT_EQ(ReadSettingTime(setting::LastStdStart, QTime(1, 1)), QTime(9, 0, 0));
    for (const char* bad : {"25:99:00", "", "noon", "12:60", "12:30:61", "-1:00:00"}) {
        storeRaw(setting::LastStdStart, QString::fromLatin1(bad));
        EXPECT_EQ(ReadSettingTime(setting::LastStdStart, def), def) << bad;
    }
}

TEST_F(SettingsTest, AValueWrittenIsSeenByTheNextReadWithNoCacheBetween) {
    WriteSettingInt(setting::EmailIntervals, 5);
    storeRaw(setting::EmailIntervals, QStringLiteral("7"));
    EXPECT_EQ(ReadSettingInt(setting::EmailIntervals, 0), 7);
}

}  // namespace
