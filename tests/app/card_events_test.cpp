// Card events from a reader simulator over TCP into a console on a throw-away installation:
// the row, its mode and lock, the access rules, the mail queue, the devices and the greeting.
#include "app/card_events.h"
#include "store/log_texts.h"
#include "store/setting_names.h"
#include "support/live_console.h"

using namespace tallyport;
using tallyport::test::LiveConsole;

namespace {

struct Mail {
    QString title, msg, attach;
};

class CardEvents : public LiveConsole {
protected:
    void SetUp() override {
        LiveConsole::SetUp();
        for (const QString& name :
             {setting::EmailEnabled, setting::SpeechEnable, setting::AutoInOut})
            WriteSettingBool(name, false);
        WriteSettingBool(setting::EmailStaffOnly, true);
    }
    std::vector<Mail> mails() {
        std::vector<Mail> out;
        auto st =
            src().prepare(QStringLiteral("SELECT TITLE, MSG, ATTACH FROM emails ORDER BY seq"));
        while (st->step().value_or(false)) out.push_back({st->text(0), st->text(1), st->text(2)});
        return out;
    }
    QString snapshot(int card, const QDateTime& t) {
        return snapshotFileName(console.data().photoFolder(), card, t);
    }
};

TEST_F(CardEvents, RegisteredHolderIsStoredMailedPhotographedAndGreeted) {
    addStaff(12345, QStringLiteral("ANNA"), 2);
    WriteSettingBool(setting::EmailEnabled, true);
    WriteSettingBool(setting::SpeechEnable, true);
    reader(1).setCapture(true);
    const LogRecord row = punch(QStringLiteral("card 6 12345"));
    const QDateTime t(QDate(2024, 3, 5), QTime(14, 7, 9));
    const LogRecord back = storedRow(row.rowId);
    EXPECT_EQ(back.sysTime, t);
    EXPECT_EQ(back.cardNo, 12345);
    EXPECT_EQ(back.mode, ModeIn);
    EXPECT_EQ(back.reader, 1);
    EXPECT_EQ(back.lock, 1);  // COM1: the reader let the holder in
    const auto queued = mails();
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].title, QStringLiteral("[2024/03/05 PM02:07:09] ANNA, OFFICE"));
    EXPECT_EQ(queued[0].msg,
              QStringLiteral("ANNA [12345]\nOFFICE\nMarch 5, 2024 Tuesday  PM02:07:09\n"
                             "IN\nFront door\nFront door\n"));
    EXPECT_EQ(queued[0].attach, snapshot(12345, t));
    EXPECT_TRUE(queued[0].attach.endsWith(QStringLiteral("/240305-140709-12345.jpg")));
    EXPECT_EQ(devices.camera.grabs, QStringList{snapshot(12345, t)});
    EXPECT_EQ(devices.beeper.beeps, 1);
    EXPECT_EQ(devices.speech.spoken,
              (QList<QStringList>{{QStringLiteral("Good Afternoon"), QStringLiteral("ANNA")}}));
    EXPECT_EQ(shown, std::vector<int>{12345});
    EXPECT_EQ(logChanges, 1);
}

// The log cannot take the row: the failure is said, and the rest of the event goes on (the
// holder is shown, the mail is queued), as for any punch.
TEST_F(CardEvents, ARowThatCannotBeStoredIsSaidAndTheEventGoesOn) {
    addStaff(12345, QStringLiteral("ANNA"), 2);
    WriteSettingBool(setting::EmailEnabled, true);
    ASSERT_TRUE(
        att().exec(QStringLiteral("CREATE TRIGGER no_row BEFORE INSERT ON recorder BEGIN SELECT "
                                  "RAISE(ABORT, 'disk full'); END")));
    ASSERT_TRUE(sim.ok(QStringLiteral("card 6 12345")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 3000));
    EXPECT_TRUE(stored.empty());
    EXPECT_EQ(mails().size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return op.saw(QStringLiteral("Database Error.\nQuery failed: disk full")); }, 3000))
        << op.shown().join(u'|').toStdString();
}

// A mail row that cannot be queued is said too; the punch itself is stored.
TEST_F(CardEvents, AMailThatCannotBeQueuedIsSaid) {
    addStaff(12345, QStringLiteral("ANNA"), 2);
    WriteSettingBool(setting::EmailEnabled, true);
    ASSERT_TRUE(
        src().exec(QStringLiteral("CREATE TRIGGER no_mail BEFORE INSERT ON emails BEGIN SELECT "
                                  "RAISE(ABORT, 'mail refused'); END")));
    const LogRecord row = punch(QStringLiteral("card 6 12345"));
    EXPECT_GT(row.rowId, 0);
    EXPECT_TRUE(mails().empty());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return op.saw(QStringLiteral("Database Error.\nQuery failed: mail refused")); },
        3000))
        << op.shown().join(u'|').toStdString();
}

TEST_F(CardEvents, UnregisteredCardIsMailedOnlyWhenNotStaffOnly) {
    WriteSettingBool(setting::EmailEnabled, true);
    WriteSettingBool(setting::SpeechEnable, true);
    punch(QStringLiteral("card 6 4711"));
    EXPECT_TRUE(mails().empty());
    WriteSettingBool(setting::EmailStaffOnly, false);
    punch(QStringLiteral("card 6 4711"));
    const auto queued = mails();
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].title, QStringLiteral("[2024/03/05 PM02:07:09] 4711"));
    EXPECT_EQ(queued[0].msg, QStringLiteral("4711 [4711]\n\nMarch 5, 2024 Tuesday  PM02:07:09\n"
                                            "IN\nFront door\nDENIED\n"));
    EXPECT_EQ(devices.speech.spoken, (QList<QStringList>(2, {QStringLiteral("no registration")})));
    EXPECT_EQ(count(att(), QStringLiteral("recorder")), 2);
}

TEST_F(CardEvents, OfflineFrameStoresOneRowAndNothingElse) {
    addStaff(12345, QStringLiteral("ANNA"), 2);
    WriteSettingBool(setting::EmailEnabled, true);
    WriteSettingBool(setting::SpeechEnable, true);
    reader(1).setCapture(true);
    reader(1).setLock(1);
    const LogRecord row =
        punch(QStringLiteral("card 11 12345 mode=1 offline time=2024-03-01T08:00:00"));
    QTest::qWait(150);
    EXPECT_EQ(stored.size(), 1u);
    EXPECT_EQ(storedRow(row.rowId).sysTime, QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
    EXPECT_EQ(storedRow(row.rowId).mode, ModeIn);
    EXPECT_EQ(storedRow(row.rowId).lock, 0);
    EXPECT_EQ(count(att(), QStringLiteral("recorder")), 1);
    EXPECT_TRUE(mails().empty());
    EXPECT_TRUE(devices.camera.grabs.isEmpty());
    EXPECT_EQ(devices.beeper.beeps, 0);
    EXPECT_TRUE(devices.speech.spoken.isEmpty());
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(logChanges, 0);
}

TEST_F(CardEvents, ModeByteOutsideTheCodesIsStoredAsReceivedAndShownNA) {
    addStaff(12345, QStringLiteral("ANNA"), 2);
    WriteSettingBool(setting::EmailEnabled, true);
    const LogRecord row = punch(QStringLiteral("card 11 12345 mode=5 time=2024-03-05T09:00:00"));
    EXPECT_EQ(storedRow(row.rowId).mode, 5);
    EXPECT_EQ(mails().at(0).msg.split('\n').at(3), QStringLiteral("N/A"));
    EXPECT_EQ(eventLine(row, QStringLiteral("ANNA (OFFICE)"), QStringLiteral("Front door")),
              QStringLiteral("2024-03-05 09:00:00\t12345\tANNA (OFFICE)\tN/A\tFront door"));
}

TEST_F(CardEvents, GreetingFollowsTheHourOfTheFrame) {
    addStaff(12345, QStringLiteral("ANNA"), 2);
    WriteSettingBool(setting::SpeechEnable, true);
    const struct {
        const char* time;
        const char* greeting;
    } cases[] = {{"2024-03-05T18:59:59", "Good Afternoon"},
                 {"2024-03-05T19:00:00", "Good Evening"},
                 {"2024-03-05T00:30:00", "Good Morning"},
                 {"2024-03-05T21:00:00", "Good Night"},
                 {"2024-03-05T12:00:00", "Good Afternoon"}};
    for (const auto& c : cases) {
        devices.speech.spoken.clear();
        punch(QStringLiteral("card 11 12345 mode=1 time=%1").arg(c.time));
        EXPECT_EQ(devices.speech.spoken,
                  (QList<QStringList>{{QString::fromLatin1(c.greeting), QStringLiteral("ANNA")}}))
            << c.time;
    }
}

TEST_F(CardEvents, ClockOnlyReaderTakesTheAutomaticDirectionOnlyWhenTheModeIsOn) {
    addStaff(12345, QStringLiteral("ANNA"), 2);
    pointReader(1, 0, QStringLiteral("Front door"));
    reader(1).setLock(1);
    EXPECT_EQ(punch(QStringLiteral("card 6 12345")).mode, ModeClock);
    WriteSettingBool(setting::AutoInOut, true);
    console.autoInOut().Evaluate(QTime(14, 7, 9));  // no IN periods: OUT
    ASSERT_FALSE(console.autoInOut().isIn());
    const LogRecord row = punch(QStringLiteral("card 6 12345"));
    EXPECT_EQ(storedRow(row.rowId).mode, ModeOut);
    EXPECT_EQ(storedRow(row.rowId).lock, 0);  // a clock-only reader opens no door
    // A mode byte in the frame wins over reader and schedule.
    EXPECT_EQ(punch(QStringLiteral("card 11 12345 mode=1 time=2024-03-05T14:07:09")).mode, ModeIn);
}

// With no lock port configured a reader opens its own door for the holders it lets in, as it
// decides from its uploaded table: the row names the reader for a holder with that reader's
// right, DENIED for one without it and for an unknown card; a clock-only reader opens nothing.
TEST_F(CardEvents, ReaderWithoutLockPortOpensItsOwnDoorForHoldersWithItsRight) {
    ASSERT_EQ(reader(1).Lock(), 0);
    WriteSettingBool(setting::EmailEnabled, true);
    WriteSettingBool(setting::EmailStaffOnly, false);
    addStaff(100, QStringLiteral("ANNA"), 2, true, false);
    addStaff(200, QStringLiteral("BORIS"), 2, false, true);
    const struct {
        int readerMode, card, lock;
        const char* lockText;
    } cases[] = {{ModeIn, 100, 1, "Front door"},
                 {ModeIn, 200, 0, "DENIED"},
                 {ModeIn, 4711, 0, "DENIED"},
                 {ModeClock, 100, 0, "DENIED"}};
    for (const auto& c : cases) {
        pointReader(1, c.readerMode, QStringLiteral("Front door"));
        const LogRecord row = punch(QStringLiteral("card 6 %1").arg(c.card));
        EXPECT_EQ(storedRow(row.rowId).lock, c.lock) << c.card << " mode " << c.readerMode;
        EXPECT_EQ(lockText(storedRow(row.rowId).lock, [this](int p) { return reader(p).Desc(); }),
                  QString::fromLatin1(c.lockText))
            << c.card;
        EXPECT_TRUE(mails().back().msg.endsWith(QStringLiteral("\n%1\n").arg(c.lockText)))
            << qPrintable(mails().back().msg);
    }
}

TEST_F(CardEvents, LockPortOpensOnlyWhenTheHolderMayUseBothReaders) {
    reader(1).setLock(2);
    WriteSettingBool(setting::EmailEnabled, true);
    addStaff(100, QStringLiteral("ANNA"), 2, true, true);
    addStaff(200, QStringLiteral("BORIS"), 2, true, false);
    addStaff(300, QStringLiteral("CLARA"), 2, false, true);
    const struct { int card, lock; } cases[] = {{100, 2}, {200, 0}, {300, 0}, {4711, 0}};
    for (const auto& c : cases) {
        const LogRecord row = punch(QStringLiteral("card 6 %1").arg(c.card));
        EXPECT_EQ(storedRow(row.rowId).lock, c.lock) << c.card;
        EXPECT_EQ(row.lock, c.lock) << c.card;
    }
    EXPECT_TRUE(mails().at(0).msg.endsWith(QStringLiteral("Front door\nBack door\n")));
    EXPECT_TRUE(mails().at(1).msg.endsWith(QStringLiteral("Front door\nDENIED\n")));
    reader(1).setLock(9);  // names no reader: no door
    EXPECT_EQ(punch(QStringLiteral("card 6 100")).lock, 0);
}

TEST_F(CardEvents, AntiPassbackRefusesASecondPassInTheSameDirection) {
    addStaff(100, QStringLiteral("ANNA"), 2, true, true);
    reader(1).setLock(2);
    reader(2).setAPB(true);
    const struct { int mode, lock; } steps[] = {{1, 2}, {1, 0}, {2, 2}, {2, 0}, {1, 2}};
    for (const auto& s : steps) {
        const LogRecord row =
            punch(QStringLiteral("card 11 100 mode=%1 time=2024-03-05T10:00:00").arg(s.mode));
        EXPECT_EQ(storedRow(row.rowId).lock, s.lock) << s.mode;
    }
    EXPECT_EQ(
        src().scalarInt(QStringLiteral("SELECT STATE FROM apb WHERE CARDNO = 100"))->value_or(-1),
        1);
    EXPECT_EQ(count(src(), QStringLiteral("apb")), 1);
}

TEST_F(CardEvents, BypassStoresAMotionRowWhoseSnapshotCarriesTheSameCard) {
    reader(1).setMotionCapture(true);
    reader(1).setMultipleShot(true);
    reader(1).setMotion(1);
    punch(QStringLiteral("code P"));
    const LogRecord row = stored.back();
    EXPECT_EQ(row.cardNo, kMotionCard);
    EXPECT_EQ(storedRow(row.rowId).cardNo, kMotionCard);
    EXPECT_EQ(devices.camera.grabs, QStringList{snapshot(kMotionCard, row.sysTime)});
    EXPECT_EQ(shown, std::vector<int>{kMotionCard});
    EXPECT_TRUE(console.cardEvents().motiontimer().isActive());
    EXPECT_EQ(console.cardEvents().motiontimer().interval(), 1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return stored.size() == 2; }, 3000));  // the repeat
    ASSERT_TRUE(sim.ok(QStringLiteral("code p")));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !console.cardEvents().motiontimer().isActive(); }, 2000));
    reader(1).setMotion(0);  // no interval: one shot, no busy loop
    punch(QStringLiteral("code P"));
    EXPECT_FALSE(console.cardEvents().motiontimer().isActive());
}

}  // namespace
