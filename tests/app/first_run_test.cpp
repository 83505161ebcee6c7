#include "app/first_run.h"
#include "store/passwd.h"
#include "store/settings.h"
#include "support/store_fixture.h"

#include <QDir>
#include <QSignalSpy>

namespace tallyport::test {
namespace {

class FirstRunTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        WriteSettingText(setting::FirstRunGuide, QString());
        WriteSettingText(setting::FirstRunGuideClosed, QString());
    }
    void setPassword() {
        ASSERT_TRUE(data.SetKeyValue(kLoginPasswordKey, ScramblePassword(QStringLiteral("pw"))));
    }
    void enableReader(int port) {
        ASSERT_TRUE(
            data.src().run(QStringLiteral("UPDATE reader SET enable = 1 WHERE PortNo = ?"), port));
    }
    QString remembered() { return ReadSettingText(setting::FirstRunGuide, QString()); }
    QString folder() { return QDir(dir.path()).canonicalPath(); }
};

TEST_F(FirstRunTest, AFreshFolderOpensTheGuideAndEachStepTicksAsItIsDone) {
    FirstRunGuide guide(data);
    QSignalSpy changed(&guide, &FirstRunGuide::changed);
    guide.start();
    ASSERT_TRUE(guide.shown());
    EXPECT_EQ(guide.state(), FirstRunState{});
    EXPECT_EQ(remembered(), folder());

    setPassword();
    guide.refresh();
    EXPECT_EQ(guide.state(), (FirstRunState{.password = true}));
    addGroup(2, QStringLiteral("OFFICE"));
    guide.refresh();
    EXPECT_TRUE(guide.state().groups);
    addStaff(4711, QStringLiteral("ANNA"), 2);
    guide.refresh();
    EXPECT_TRUE(guide.state().holders);
    EXPECT_TRUE(guide.shown());  // no reader yet: cards could not be read
    const int before = int(changed.count());

    enableReader(3);
    guide.refresh();
    EXPECT_FALSE(guide.shown());
    EXPECT_EQ(changed.count(), before + 1);
    EXPECT_TRUE(remembered().isEmpty());
    guide.refresh();  // once ended it stays so
    EXPECT_FALSE(guide.shown());
}

TEST_F(FirstRunTest, AReaderAndAHolderEndItWithoutAPasswordOrGroups) {
    FirstRunGuide guide(data);
    guide.start();
    addStaff(1, QStringLiteral("BOB"), 1);
    enableReader(1);
    guide.refresh();
    EXPECT_FALSE(guide.shown());
    EXPECT_FALSE(guide.state().password);
    EXPECT_FALSE(guide.state().groups);
}

// The grid it stands in for is no longer empty: the rows show.
TEST_F(FirstRunTest, TheFirstLoggedCardEndsIt) {
    FirstRunGuide guide(data);
    guide.start();
    ASSERT_TRUE(guide.shown());
    addLog(QStringLiteral("2024-05-06 07:08:09"), 4711);
    guide.refresh();
    EXPECT_FALSE(guide.shown());
}

// A folder in use shows no guide; a guide left open comes back on its own folder only.
TEST_F(FirstRunTest, OnlyAFreshFolderOrOneWhoseGuideWasLeftOpenShowsIt) {
    setPassword();
    {
        FirstRunGuide guide(data);
        guide.start();
        EXPECT_FALSE(guide.shown());
    }
    ASSERT_TRUE(data.SetKeyValue(kLoginPasswordKey, QString()));
    addLog(QStringLiteral("2024-05-06 07:08:09"), 4711);  // imported, or read before
    {
        FirstRunGuide guide(data);
        guide.start();
        EXPECT_FALSE(guide.shown());
        EXPECT_TRUE(guide.state().logged);
    }
    ASSERT_TRUE(data.att().exec(QStringLiteral("DELETE FROM recorder")));
    setPassword();
    WriteSettingText(setting::FirstRunGuide, QStringLiteral("/another/folder"));
    {
        FirstRunGuide guide(data);
        guide.start();
        EXPECT_FALSE(guide.shown());
    }
    WriteSettingText(setting::FirstRunGuide, folder());
    FirstRunGuide guide(data);
    guide.start();
    EXPECT_TRUE(guide.shown());
    EXPECT_TRUE(guide.state().password);
}

// Closed on a folder that is still empty, it does not come back there; another new folder
// gets its own.
TEST_F(FirstRunTest, ClosedItStaysClosedOnThatFolderOnly) {
    {
        FirstRunGuide guide(data);
        guide.start();
        guide.close();
        EXPECT_FALSE(guide.shown());
    }
    EXPECT_TRUE(remembered().isEmpty());
    FirstRunGuide again(data);
    again.start();
    EXPECT_FALSE(again.shown());

    TempDataDir otherDir;
    DataModule other(op);
    other.setDataFolder(otherDir.path());
    ASSERT_TRUE(other.prepareDataFolder().value_or(false));
    ASSERT_TRUE(other.OpenDatabases());
    FirstRunGuide fresh(other);
    fresh.start();
    EXPECT_TRUE(fresh.shown());
}

TEST_F(FirstRunTest, AStoreThatDoesNotAnswerIsNotTakenForAnEmptyOne) {
    ASSERT_TRUE(data.src().exec(QStringLiteral("DROP TABLE staffs")));
    EXPECT_FALSE(readFirstRunState(data).has_value());
    data.CloseDatabases();
    EXPECT_FALSE(readFirstRunState(data).has_value());
    FirstRunGuide guide(data);
    guide.start();
    EXPECT_FALSE(guide.shown());
}

}  // namespace
}  // namespace tallyport::test
