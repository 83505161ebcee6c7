// The Access Manager's workflows against the reader simulator over TCP.
#include "admin/admin_texts.h"
#include "admin_fixture.h"
#include "base/clock.h"
#include "store/messages.h"

#include <QRegularExpression>

using namespace tallyport;
using namespace tallyport::test;
namespace text = tallyport::admin_text;

namespace {

const QString kLock = "F5 05 00 00 01 FA FA";
const QString kUnlock = "F5 05 00 00 00 FB FA";

using AccessManagerTest = AdminFixture;

TEST_F(AccessManagerTest, GetReadsTheReaderAndTakesThePinFromTheStore) {
    simSays("set line1 Welcome");
    simSays("set options 0xF5");
    simSays("set clock 2024-03-05T14:07:09");
    ASSERT_TRUE(data.SetKeyInt(kInPinKey, 4321));
    ManagerForm form;
    int stored = -1;
    simSays("log fill 7");
    ASSERT_TRUE(run(manager.Get(form, &stored)));
    EXPECT_EQ(form.line1, "Welcome         ");
    EXPECT_EQ(form.line2, "SIMULATOR       ");
    EXPECT_EQ(form.pin, 4321);
    EXPECT_EQ(OptionsByte(form.options), 0x15);
    EXPECT_LT(std::abs(form.clock.secsTo(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)))), 5);
    EXPECT_EQ(stored, 7);
    EXPECT_EQ(op.shown(), QStringList{"information: " + text::SettingsLoaded});
    EXPECT_EQ(view.steps.first(), text::step::Locking);
    EXPECT_EQ(view.steps.last(), "-");  // the status field is hidden at the end
}

TEST_F(AccessManagerTest, AnUnreadableReaderClockIsReplacedByThePcClock) {
    simSays("set clock invalid");
    ManagerForm form;
    ASSERT_TRUE(run(manager.Get(form)));
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_LT(std::abs(form.clock.secsTo(now)), 5);
    const QDateTime inReader = QDateTime::fromString(simState("clock"), Qt::ISODate);
    ASSERT_TRUE(inReader.isValid()) << qPrintable(simState("clock"));
    EXPECT_LT(std::abs(inReader.secsTo(now)), 5);
}

TEST_F(AccessManagerTest, PutSendsTheFormInTheOrderOfTheSettings) {
    reader.setMode(0);
    reader.setLockTime(300);
    ManagerForm form;
    form.line1 = "Main entrance, north side";
    form.line2 = "Hi";
    form.pin = 0;
    form.options = optionsFromByte(0x06);
    form.setClock = false;
    form.timetable[2] = {1, QTime(7, 45)};
    simSays("clear");
    ASSERT_TRUE(run(manager.Put(form)));
    EXPECT_EQ(form.line1, "Main entrance, n");  // put back into the form
    EXPECT_EQ(form.line2, "Hi              ");
    EXPECT_EQ(simState("line1"), "\"Main entrance, n\"");
    EXPECT_EQ(simState("options"), "0x06");
    EXPECT_EQ(simState("locktime"), "44");
    EXPECT_EQ(simState("mode"), "0xc0");  // a clock reader with a used timetable row
    EXPECT_EQ(simState("timetable"),
              "00 00 00 00 00 00 01 07 45 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    const QStringList frames = simFrames();
    ASSERT_EQ(frames.size(), 9);
    EXPECT_EQ(frames.first(), kLock);
    EXPECT_TRUE(frames[3].startsWith("F5 07 00 08 08 00 00"));  // PIN 0: two zero bytes
    EXPECT_EQ(frames.last(), kUnlock);
    EXPECT_EQ(op.shown(), QStringList{"information: " + text::SettingsSent});

    form.timetable[2].mode = 0;  // no row used: plain clock mode
    ASSERT_TRUE(run(manager.Put(form)));
    EXPECT_EQ(simState("mode"), "0x80");
}

TEST_F(AccessManagerTest, SyncClockSetsTheReaderToThePcClock) {
    simSays("set clock 2001-01-01T00:00:00");
    ASSERT_TRUE(run(manager.SyncClock()));
    const QDateTime inReader = QDateTime::fromString(simState("clock"), Qt::ISODate);
    EXPECT_LT(std::abs(inReader.secsTo(QDateTime::currentDateTime())), 5);
    EXPECT_EQ(op.shown(), QStringList{"information: " + text::ClockSet});
}

TEST_F(AccessManagerTest, DownloadMergesTheLogCountsAndClearsOnlyWhenAsked) {
    addLog("2024-01-01 08:02:00", 3);  // the third record is in the log already
    simSays("log fill 40 from=2024-01-01T08:00:00 step=60 invalid-every=10");
    simSays("log add 77 mode=2 time=2024-01-01T09:00:00");
    DownloadResult r = run(manager.Download(false));
    EXPECT_EQ(r.end, DownloadEnd::Done);
    EXPECT_EQ(op.shown(), (QStringList{"work: " + text::DownloadingCaption(41),
                                       "information: Added = 36, Duplicated = 1, Invalid = 4"}));
    EXPECT_EQ(simState("records"), "41");  // not cleared
    EXPECT_EQ(logRows(), 37);
    const auto out = data.att().queryOne(
        "SELECT MODE, READER, LOCK FROM recorder WHERE CARDNO = 77 AND SYSTIME = ?",
        [](const Statement& st) {
            return QList<int>{st.integer(0), st.integer(1), st.integer(2)};
        },
        QStringLiteral("2024-01-01 09:00:00"));
    ASSERT_TRUE(out && *out);
    EXPECT_EQ(**out, (QList<int>{2, 1, 0}));

    op.clear();
    r = run(manager.Download(true));  // the second time nothing is new
    EXPECT_EQ(op.shown().last(), "information: Added = 0, Duplicated = 37, Invalid = 4");
    EXPECT_EQ(logRows(), 37);
    EXPECT_EQ(simState("records"), "0");
}

TEST_F(AccessManagerTest, DownloadEndsWhereTheSequenceBitsBreak) {
    const struct {
        const char* setUp;
        int added;
        int blocksRead;
    } cases[] = {
        {"log fill 33", 33, 2},  // exactly one block: the next block's record 0 ends it
        {"log fill 34", 34, 2},
        {"fault count 5", 0, 1},  // announced, but record 0 is out of turn
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setUp);
        simSays("log clear");
        simSays("fault off");
        simSays(c.setUp);
        simSays("clear");
        const DownloadResult r = run(manager.Download(false));
        EXPECT_EQ(r.end, DownloadEnd::Done);
        EXPECT_EQ(r.counts.added, c.added);
        EXPECT_EQ(r.counts.taken(), c.added);
        EXPECT_EQ(simFrames().filter(" 0A 00 ").size(), c.blocksRead);
        ASSERT_TRUE(data.att().exec("DELETE FROM recorder"));
    }
}

// A block answered by its two-byte acknowledgement, or by another block (a late reply), is
// asked for again: every record is read once before the reader is cleared.
TEST_F(AccessManagerTest, ABlockAnsweredAmissIsAskedForAgainBeforeTheReaderIsCleared) {
    reader.setReplyWait(300);
    for (const char* fault : {"short 0A 1", "wrong 0A 1", "wrong 0A 0"}) {
        SCOPED_TRACE(fault);
        simSays("log fill 100 from=2024-01-01T08:00:00");
        simSays(QStringLiteral("fault ") + fault);
        op.clear();
        const DownloadResult r = run(manager.Download(true));
        EXPECT_EQ(r.end, DownloadEnd::Done);
        EXPECT_EQ(op.shown().value(1), "information: Added = 100, Duplicated = 0, Invalid = 0");
        EXPECT_EQ(simState("records"), "0");
        EXPECT_EQ(logRows(), 100);
        ASSERT_TRUE(data.att().exec("DELETE FROM recorder"));
    }
}

// A record the reader stores while it is downloaded was not counted, and may not have been
// read: the reader keeps them all, and what was read is in the log.
TEST_F(AccessManagerTest, ARecordStoredDuringTheDownloadKeepsTheReaderUncleared) {
    simSays("log fill 300");
    simSays("delay 10");
    simSays("clear");
    Task<DownloadResult> download = manager.Download(true);
    bool finished = false;
    download.start([&] { finished = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return simFrames().filter(" 0A 00 ").size() >= 2; }, 5000));
    simSays("log add 5555 time=2024-03-05T13:00:00");
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 10000));
    const DownloadResult r = download.result();
    EXPECT_EQ(r.end, DownloadEnd::NotCleared);
    ASSERT_EQ(op.shown("warning").size(), 1);
    EXPECT_TRUE(
        op.shown("warning")[0].endsWith(" of 300 records read; the reader was not cleared."));
    EXPECT_TRUE(op.shown("information").isEmpty());
    EXPECT_EQ(simState("records"), "301");
    EXPECT_EQ(logRows(), r.counts.added);
    EXPECT_GE(r.counts.added, 300);
    EXPECT_TRUE(simFrames().filter(QRegularExpression("^F5 07 00 05 ")).isEmpty());  // no clear
}

TEST_F(AccessManagerTest, DownloadRefusesAnUnreliableLinkAndAnEmptyReader) {
    EXPECT_EQ(run(manager.Download(true)).end, DownloadEnd::NothingStored);
    EXPECT_EQ(op.shown(), QStringList{"information: " + text::NoRecordToDownload});
    simSays("log fill 10");
    simSays("fault capacity");
    op.clear();
    simSays("clear");
    EXPECT_EQ(run(manager.Download(true)).end, DownloadEnd::Unreliable);
    EXPECT_EQ(op.shown(), QStringList{"error: " + text::LinkNotReliable});
    EXPECT_EQ(simFrames().filter(" 0A 00 ").size(), 0);  // nothing read
    EXPECT_EQ(simFrames().last(), kUnlock);
    EXPECT_EQ(logRows(), 0);
}

TEST_F(AccessManagerTest, ALineThatDropsMidwayIsReconnectedAndTheDownloadCompletes) {
    simSays("log fill 200");
    simSays("fault drop 3");
    const DownloadResult r = run(manager.Download(true));
    EXPECT_EQ(r.end, DownloadEnd::Done);
    EXPECT_EQ(r.counts.added, 200);
    EXPECT_EQ(logRows(), 200);
    EXPECT_EQ(simState("records"), "0");
    EXPECT_EQ(op.shown("error"), QStringList{});
}

// A log that refuses a row: "Database Error." with the reason, nothing cleared, and the
// reader unlocked so that it goes on working on its own.
TEST_F(AccessManagerTest, ALogThatRefusesARowStopsTheDownloadWithoutClearing) {
    ASSERT_TRUE(
        data.att().exec("CREATE TRIGGER refuse BEFORE INSERT ON recorder "
                        "WHEN NEW.CARDNO = 9999 BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    simSays("log fill 5");
    simSays("log add 9999");
    simSays("clear");
    const DownloadResult r = run(manager.Download(true));
    EXPECT_EQ(r.end, DownloadEnd::StoreFailed);
    ASSERT_EQ(op.shown("error").size(), 1);
    EXPECT_TRUE(op.shown("error")[0].startsWith(msg::DatabaseError));
    EXPECT_TRUE(op.shown("error")[0].contains("refused"));
    EXPECT_TRUE(op.shown("information").isEmpty());
    EXPECT_EQ(simState("records"), "6");  // not cleared
    EXPECT_EQ(simFrames().last(), kUnlock);
    EXPECT_EQ(simState("locked"), "no");
}

TEST_F(AccessManagerTest, ClearAsksFirstAndSaysWhatItDid) {
    simSays("log fill 5");
    op.answerYesNo(false);
    simSays("clear");
    EXPECT_FALSE(run(manager.Clear()));
    EXPECT_TRUE(simFrames().isEmpty());
    EXPECT_EQ(op.shown(), QStringList{"yesno: " + text::ConfirmClear});
    op.clear();
    op.answerYesNo(true);
    EXPECT_TRUE(run(manager.Clear()));
    EXPECT_EQ(op.shown().last(), "information: " + text::AllCleared);
    EXPECT_EQ(simState("records"), "0");
    op.answerYesNo(true);
    EXPECT_TRUE(run(manager.Clear()));
    EXPECT_EQ(op.shown().last(), "information: " + text::NoRecordToClear);
}

TEST_F(AccessManagerTest, UploadSendsEveryHolderWithTheRightToThisReader) {
    const struct {
        int holders;
        int blocks;
    } cases[] = {{0, 1}, {11, 2}, {12, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.holders);
        ASSERT_TRUE(data.src().exec("DELETE FROM staffs"));
        for (int i = 1; i <= c.holders; ++i)
            ASSERT_TRUE(
                data.src().run("INSERT INTO staffs(CARDNO, NAME, COM1) VALUES (?, ?, ?)", 500 + i,
                               QStringLiteral("Holder %1").arg(i, 2, 10, QChar('0')), i % 2));
        op.clear();
        ASSERT_TRUE(run(manager.Upload()));
        EXPECT_EQ(op.shown(), (QStringList{"work: " + text::UploadingCaption,
                                           "information: " + text::Uploaded}));
        const QStringList table = simSays("access");
        EXPECT_EQ(table.value(0),
                  QStringLiteral("access blocks=%1 entries=%2").arg(c.blocks).arg(c.holders));
        if (c.holders > 0) {
            EXPECT_EQ(table.value(1), "entry 0 allowed=1 card=501 name=\"Holder 01       \"");
            EXPECT_EQ(table.value(2), "entry 1 allowed=0 card=502 name=\"Holder 02       \"");
        }
    }
}

// Cancel after the first block ends the reader's table there at once; a block the reader
// does not answer leaves a table without its end. Either way the operator hears that the
// reader holds part of the table.
TEST_F(AccessManagerTest, AnUploadStoppedPartWaySaysTheReaderHoldsAPartialTable) {
    for (int i = 1; i <= 30; ++i)
        ASSERT_TRUE(data.src().run("INSERT INTO staffs(CARDNO, NAME, COM1) VALUES (?, ?, 1)",
                                   600 + i, QStringLiteral("Holder %1").arg(i)));
    op.cancelNextWork();
    EXPECT_FALSE(run(manager.Upload()));
    EXPECT_EQ(op.shown(), (QStringList{"work: " + text::UploadingCaption,
                                       "warning: " + text::PartialTableText(12, 30)}));
    const QStringList table = simSays("access");
    EXPECT_EQ(table.value(0), "access blocks=2 entries=12");  // block 1 all FF: the end
    EXPECT_EQ(simState("locked"), "no");

    reader.setReplyWait(150);
    simSays("fault silent 09 2 times=3");
    op.clear();
    EXPECT_FALSE(run(manager.Upload()));
    EXPECT_EQ(op.shown(),
              (QStringList{"work: " + text::UploadingCaption, "error: " + text::NoResponse,
                           "warning: " + text::PartialTableText(24, 30)}));
}

// While an automatic download holds the reader, a workflow waits and says so.
TEST_F(AccessManagerTest, AWorkflowBehindAnotherSequenceSaysItWaitsForTheReader) {
    simSays("clear");
    auto other = std::make_unique<ReaderHold>(reader);
    Task<bool> sync = manager.SyncClock();
    bool finished = false;
    sync.start([&] { finished = true; });
    QTest::qWait(100);
    EXPECT_FALSE(finished);
    EXPECT_EQ(view.steps, QStringList{text::step::Waiting});
    EXPECT_TRUE(simFrames().isEmpty());
    other.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 5000));
    EXPECT_TRUE(sync.result());
    EXPECT_EQ(view.steps.value(1), text::step::Locking);
}

// A reply of another kind or length (a two-byte acknowledgement, the reply to another command)
// is no answer: the command is sent again, and what the form gets is what the reader holds.
TEST_F(AccessManagerTest, RepliesThatDoNotFitTheCommandAreAskedForAgain) {
    reader.setMode(0);
    ManagerForm sent;
    sent.line1 = "Welcome";
    sent.options = optionsFromByte(0x15);
    sent.setClock = false;
    sent.timetable[1] = {2, QTime(12, 30)};
    ASSERT_TRUE(run(manager.Put(sent)));
    simSays("log fill 7");
    reader.setReplyWait(300);
    const QDateTime readerClock(QDate(2024, 3, 5), QTime(14, 7, 9));
    for (const char* fault :
         {"short 01", "wrong 01", "short 03", "wrong 03", "short 0700", "wrong 0700", "wrong 0701",
          "short 0704", "wrong 0704", "short 0706", "wrong 0706"}) {
        SCOPED_TRACE(fault);
        simSays("set clock " + readerClock.toString(Qt::ISODate));
        simSays(QStringLiteral("fault ") + fault);
        simSays("clear");
        op.clear();
        ManagerForm form;
        int stored = -1;
        ASSERT_TRUE(run(manager.Get(form, &stored)));
        EXPECT_EQ(form.line1, "Welcome         ");
        EXPECT_EQ(form.line2, kDefaultLogoLine2);
        EXPECT_EQ(OptionsByte(form.options), 0x15);
        EXPECT_EQ(form.timetable, sent.timetable);
        EXPECT_LT(std::abs(form.clock.secsTo(readerClock)), 3);
        EXPECT_TRUE(simFrames().filter("F5 0B 00 02 ").isEmpty());  // its clock was readable
        EXPECT_EQ(stored, 7);
        EXPECT_EQ(op.shown(), QStringList{"information: " + text::SettingsLoaded});
    }
}

TEST_F(AccessManagerTest, ASilentReaderIsTriedThreeTimesAndNothingElseIsSent) {
    reader.setReplyWait(150);
    simSays("silent");
    simSays("clear");
    ManagerForm form;
    EXPECT_FALSE(run(manager.Get(form)));
    EXPECT_EQ(op.shown(), QStringList{"error: " + text::NoResponse});
    EXPECT_EQ(simFrames(), QStringList(3, kLock));  // no unlock after a failed lock
}

TEST_F(AccessManagerTest, AnAbsentReaderSaysTheReconnectFailureOnly) {
    reader.setReplyWait(150);
    reader.setRemotePort(QString::number(sim.port() == 1 ? 2 : 1));  // nobody listens there
    simSays("silent");
    EXPECT_FALSE(run(manager.SyncClock()));
    EXPECT_EQ(op.shown(),
              QStringList{"error: Failed to connect reader (Front door). Please retry later!"});
}

TEST_F(AccessManagerTest, SystemPinsAreStoredAndSentAndTheUnlockCarriesTheNewControlPin) {
    ASSERT_TRUE(run(manager.PutSystemPins(1111, 0x2222)));
    EXPECT_EQ(data.GetKeyInt(kMasterPinKey), 1111);
    EXPECT_EQ(data.GetKeyInt(kControlPinKey), 0x2222);
    EXPECT_EQ(simState("accesspin"), "1111");
    EXPECT_EQ(simState("controlpin"), QString::number(0x2222));
    EXPECT_EQ(simState("locked"), "no");  // the unlock with the new PIN was taken
    EXPECT_EQ(op.shown(), QStringList{"information: " + text::PinsSent});
}

TEST_F(AccessManagerTest, SystemPinsReachAReaderThatHasTheTypedControlPinAlready) {
    simSays("set controlpin 777");  // the store still says 0: the plain lock goes unanswered
    reader.setReplyWait(150);
    ASSERT_TRUE(run(manager.PutSystemPins(5, 777)));
    EXPECT_EQ(op.shown(), QStringList{"information: " + text::PinsSent});
    EXPECT_EQ(simState("accesspin"), "5");
}

TEST_F(AccessManagerTest, SystemPinsOnASilentReaderWithAnUnchangedControlPin) {
    reader.setReplyWait(100);
    simSays("silent");
    EXPECT_FALSE(run(manager.PutSystemPins(1, 0)));
    // The lock fails without a word; the first PIN command says it.
    EXPECT_EQ(op.shown(), QStringList{"error: " + text::NoResponse});
    EXPECT_EQ(data.GetKeyInt(kMasterPinKey), 1);
}

TEST_F(AccessManagerTest, SystemPinsOnASilentReaderWithAnotherControlPin) {
    reader.setReplyWait(100);
    simSays("silent");
    simSays("clear");
    EXPECT_FALSE(run(manager.PutSystemPins(1, 42)));
    EXPECT_EQ(op.shown(), QStringList{"error: " + text::NoResponse});
    EXPECT_EQ(data.GetKeyInt(kControlPinKey), 0);  // not stored: nothing reached the reader
    const QStringList frames = simFrames();
    EXPECT_EQ(frames.filter(kLock).size(), 3);
    EXPECT_EQ(frames.filter("F5 07 00 00 01 2A 00").size(), 3);  // the lock with the typed PIN
}

}  // namespace
