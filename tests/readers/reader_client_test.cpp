#include "readers/hex.h"
#include "readers/reader_fixture.h"

#include <QSignalSpy>
#include <QThread>

using namespace tallyport;
using namespace tallyport::test;

namespace {
const char* kCard12345 = "F5 06 00 00 00 30 39 97 FA";
const char* kCard12346 = "F5 06 00 00 00 30 3A 96 FA";
const char* kLock = "F5 05 00 00 01 FA FA";
const char* kUnlock = "F5 05 00 00 00 FB FA";
const char* kSetClock = "F5 0B 00 02 09 07 14 03 05 03 24 A0 FA";  // 2024-03-05 14:07:09, Tuesday
const char* kHeartbeat = "F5 04 00 0C F0 FA";

QStringList hexFrames(const QList<QByteArray>& frames) {
    QStringList out;
    for (const QByteArray& f : frames) out << toHex(f);
    return out;
}
}  // namespace

TEST(ReaderProperties, StartAsDocumented) {
    ReaderClient r;
    r.setPortNo(7);
    EXPECT_EQ(r.Port(), "COM7");
    EXPECT_EQ(r.ID(), 7);
    EXPECT_FALSE(r.Enable());
    EXPECT_EQ(r.Mode(), 2);
    EXPECT_EQ(r.LockTime(), 1);
    EXPECT_FALSE(r.Backout() || r.Responsed() || r.PktMode() || r.PktGood() || r.PktTimeout());
    EXPECT_FALSE(r.isConnected());
    EXPECT_EQ(r.property("Port").toString(), "COM7");
}

TEST(ReaderProperties, CommandToAnUnconnectedClientSendsNothingAndKeepsTheReplyState) {
    ReaderClient r;
    r.setEnable(true);
    r.SendCommand(hex("00 30"));
    r.SendBlock(hex("00 31"));
    EXPECT_FALSE(r.PktMode());
    EXPECT_FALSE(r.Responsed());
    EXPECT_TRUE(r.lastCommand().isEmpty());
    r.Poll();
    EXPECT_TRUE(r.Backout());  // polled while enabled but not connected
}

TEST_F(ReaderOverTcp, CardFrameRaisesOneEventWithTheConsoleTimeInWholeSeconds) {
    connectReader();
    QSignalSpy cards(reader.get(), &ReaderClient::OnCardCode);
    peer.send(hex(kCard12345));
    ASSERT_TRUE(pollUntil([&] { return cards.size() == 1; }));
    const QList<QVariant> args = cards.takeFirst();
    EXPECT_EQ(args[0].toBool(), false);
    EXPECT_EQ(args[1].toInt(), 4);
    EXPECT_EQ(args[2].toInt(), 12345);
    EXPECT_EQ(args[3].toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    EXPECT_EQ(args[4].value<qint8>(), -1);
}

TEST_F(ReaderOverTcp, TwoFramesInOneWriteAreTwoEvents) {
    connectReader();
    QSignalSpy cards(reader.get(), &ReaderClient::OnCardCode);
    peer.send(hex(kCard12345) + hex("00 13") + hex(kCard12346));
    ASSERT_TRUE(pollUntil([&] { return cards.size() == 2; }));
    EXPECT_EQ(cards[0][2].toInt(), 12345);
    EXPECT_EQ(cards[1][2].toInt(), 12346);
}

TEST_F(ReaderOverTcp, FrameSplitOverWritesIsOneEvent) {
    connectReader();
    QSignalSpy cards(reader.get(), &ReaderClient::OnCardCode);
    const QByteArray frame = hex(kCard12345);
    peer.send(frame.left(4));
    pollUntil([] { return false; }, 100);
    EXPECT_EQ(cards.size(), 0);
    peer.send(frame.mid(4));
    ASSERT_TRUE(pollUntil([&] { return cards.size() == 1; }));
    EXPECT_EQ(cards[0][2].toInt(), 12345);
}

TEST_F(ReaderOverTcp, BypassInputFromPortFour) {
    connectReader();
    QSignalSpy bypass(reader.get(), &ReaderClient::OnBypass);
    peer.send(hex("F5 02 50 B0 FA F5 02 70 90 FA"));
    ASSERT_TRUE(pollUntil([&] { return bypass.size() == 2; }));
    EXPECT_EQ(bypass[0], (QList<QVariant>{4, 0}));
    EXPECT_EQ(bypass[1], (QList<QVariant>{4, 1}));
}

TEST_F(ReaderOverTcp, ModelAndAcknowledgementCodes) {
    connectReader();
    peer.send(hex("F5 02 31 CF FA"));
    ASSERT_TRUE(pollUntil([&] { return reader->Responsed(); }));
    EXPECT_EQ(reader->model(), "KT11");
    EXPECT_TRUE(reader->acknowledged());
    peer.send(hex("F5 02 42 BE FA"));
    ASSERT_TRUE(pollUntil([&] { return !reader->acknowledged(); }));
}

TEST_F(ReaderOverTcp, ClockRequestSetsTheClockBetweenLockAndUnlock) {
    struct Case {
        int pin;
        QStringList wire;
    } cases[] = {
        {0, {kLock, kSetClock, kUnlock}},
        {0x1234, {"F5 07 00 00 01 34 12 B2 FA", kSetClock, "F5 07 00 00 00 34 12 B3 FA"}},
    };
    peer.setAutoReply(true);
    connectReader();
    int seen = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pin);
        reader->setControlPinProvider([pin = c.pin] { return pin; });
        peer.send(hex("F5 02 43 BD FA"));
        ASSERT_TRUE(pollUntil([&] { return peer.frames().size() >= seen + 3; }));
        EXPECT_EQ(hexFrames(peer.frames().mid(seen)), c.wire);
        seen += 3;
    }
}

TEST_F(ReaderOverTcp, PowerUpSetsTheClockThenRaisesTheEvent) {
    peer.setAutoReply(true);
    connectReader();
    QSignalSpy powerups(reader.get(), &ReaderClient::OnPowerup);
    QByteArray lastSentAtPowerup;
    QObject::connect(reader.get(), &ReaderClient::OnPowerup,
                     [&] { lastSentAtPowerup = reader->lastCommand(); });
    peer.send(hex("F5 02 52 AE FA") + hex(kCard12345));
    QSignalSpy cards(reader.get(), &ReaderClient::OnCardCode);
    ASSERT_TRUE(pollUntil([&] { return powerups.size() == 1; }));
    EXPECT_EQ(powerups[0][0].toInt(), 4);
    EXPECT_EQ(toHex(lastSentAtPowerup), "00 00 00");  // the unlock went out first
    ASSERT_TRUE(peerGot(3));
    EXPECT_EQ(hexFrames(peer.frames()), (QStringList{kLock, kSetClock, kUnlock}));
    EXPECT_EQ(cards.size(), 1);  // the frame behind the request is not lost
}

TEST_F(ReaderOverTcp, HeartbeatGoesOutOnceWhenTheMinuteTurns) {
    peer.setAutoReply(true);
    clock.set(QDateTime(QDate(2024, 3, 5), QTime(10, 5, 59)));
    reader = std::make_unique<ReaderClient>();  // last activity: its creation
    reader->setRemoteHost("127.0.0.1");
    reader->setRemotePort(QString::number(peer.port()));
    connectReader();
    const auto pollAt = [&](QTime t) {
        clock.set(QDateTime(QDate(2024, 3, 5), t));
        pollUntil([] { return false; }, 60);
    };
    pollAt(QTime(10, 5, 59));
    EXPECT_TRUE(peer.frames().isEmpty());
    pollAt(QTime(10, 6, 0));
    ASSERT_TRUE(peerGot(1));
    EXPECT_EQ(toHex(peer.frames()[0]), kHeartbeat);

    QSignalSpy cards(reader.get(), &ReaderClient::OnCardCode);
    clock.set(QDateTime(QDate(2024, 3, 5), QTime(10, 6, 30)));
    peer.send(hex(kCard12345));
    ASSERT_TRUE(pollUntil([&] { return cards.size() == 1; }));
    pollAt(QTime(10, 6, 59));
    EXPECT_EQ(peer.frames().size(), 1);
    pollAt(QTime(10, 7, 0));
    ASSERT_TRUE(peerGot(2));
    EXPECT_EQ(toHex(peer.frames()[1]), kHeartbeat);

    reader->setEnable(false);  // a disabled client sends nothing however often it is polled
    pollAt(QTime(10, 9, 0));
    pollAt(QTime(10, 10, 0));
    EXPECT_EQ(peer.frames().size(), 2);
    EXPECT_FALSE(reader->Backout());
}

// Between the commands of an administration sequence the client adds nothing of its own: the
// heartbeat and the clock setting the reader asked for wait until the sequence lets go.
TEST_F(ReaderOverTcp, AHeldReaderSendsNothingOfItsOwnUntilReleased) {
    peer.setAutoReply(true);
    clock.set(QDateTime(QDate(2024, 3, 5), QTime(10, 5, 59)));
    reader = std::make_unique<ReaderClient>();
    reader->setRemoteHost("127.0.0.1");
    reader->setRemotePort(QString::number(peer.port()));
    connectReader();
    reader->hold();
    clock.set(QDateTime(QDate(2024, 3, 5), QTime(10, 6, 0)));
    pollUntil([] { return false; }, 60);
    peer.send(hex("F5 02 43 BD FA"));
    pollUntil([] { return false; }, 200);
    EXPECT_TRUE(peer.frames().isEmpty());
    QSignalSpy released(reader.get(), &ReaderClient::released);
    reader->release();
    EXPECT_EQ(released.size(), 1);
    ASSERT_TRUE(peerGot(3));
    EXPECT_EQ(hexFrames(peer.frames()).mid(0, 2),
              (QStringList{kLock, "F5 0B 00 02 00 06 10 03 05 03 24 AE FA"}));
}

TEST_F(ReaderOverTcp, ReplyTimes) {
    reader->setDrainWait(20);  // the peer stays silent
    connectReader();
    reader->SendCommandTimed(hex("00 30"), 0);
    EXPECT_EQ(reader->replyTime(), 3000);
    EXPECT_EQ(toHex(reader->lastCommand()), "F5 04 00 30 CC FA");  // the whole frame
    reader->SendCommandTimed(hex("00 30"), 750);
    EXPECT_EQ(reader->replyTime(), 750);
    reader->SendBlock(hex("00 31 05"));
    EXPECT_EQ(reader->replyTime(), 4000);
    EXPECT_EQ(reader->lastCommandCode(), 0x31);
    reader->SendCommand(hex("00 32"));
    EXPECT_EQ(reader->replyTime(), 3000);
    EXPECT_EQ(toHex(reader->lastCommand()), "00 32");
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.received().size() >= 6 + 6 + 7 + 6; }, 2000));
    EXPECT_TRUE(peer.received().contains(hex("F5 00 00 31 05 CA FA")));
}

TEST_F(ReaderOverTcp, ReplyArrivesAndStaysInTheFrameBuffer) {
    connectReader();
    reader->SendCommand(hex("00 40"));
    ASSERT_TRUE(peerGot(1));
    peer.send(hex("F5 08 00 40 25 61 08 30 FA FA"));
    ASSERT_TRUE(reader->awaitReply());
    EXPECT_TRUE(reader->PktGood());
    EXPECT_FALSE(reader->PktMode() || reader->PktTimeout());
    EXPECT_EQ(reader->FrameByte(2), 0x40);
    EXPECT_EQ(reader->FrameWord(3), 0x6125);
    EXPECT_EQ(reader->FrameTimeOfDay(3), QTime(0, 0));  // 25 h and 61 min are out of range
    EXPECT_EQ(reader->FrameTimeOfDay(5), QTime(8, 30));
}

TEST_F(ReaderOverTcp, HeartbeatEchoWhileAReplyIsAwaitedIsTheReply) {
    connectReader();
    reader->SendCommand(hex("00 40"));
    peer.send(hex(kHeartbeat));
    ASSERT_TRUE(reader->awaitReply());
    EXPECT_EQ(reader->FrameByte(2), 0x0C);
}

TEST_F(ReaderOverTcp, SilentReaderTimesOut) {
    connectReader();
    reader->SendCommandTimed(hex("00 40"), 100);
    EXPECT_FALSE(reader->awaitReply());
    EXPECT_TRUE(reader->PktTimeout());
    EXPECT_FALSE(reader->PktMode() || reader->PktGood());
}

TEST_F(ReaderOverTcp, LongReplyOverTwoWritesCarriesLogRecords) {
    connectReader();
    QByteArray body(269, '\0');
    body.replace(5, 8, hex("00 00 30 39 0D 6E F0 33"));   // record 0: IN, number 0
    body.replace(13, 8, hex("41 00 30 3A 0D 6E F0 33"));  // record 1: OUT, number 1
    body.replace(21, 8, hex("47 00 30 3B 0D 6E F0 33"));  // record 2: numbered 7, out of turn
    const QByteArray frame = *readers::frameLongCommand(body);
    reader->SendBlock(hex("00 33 00 00"));
    peer.send(frame.left(100));
    peer.send(frame.mid(100));
    ASSERT_TRUE(reader->awaitReply());
    const readers::LogRecord first = reader->DecodeLogRecord(0);
    EXPECT_TRUE(first.valid);
    EXPECT_EQ(first.mode, 1);
    EXPECT_EQ(first.card, 12345);
    EXPECT_EQ(first.time, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    EXPECT_EQ(reader->DecodeLogRecord(1).mode, 2);
    EXPECT_TRUE(reader->CheckLogIndex(0));
    EXPECT_TRUE(reader->CheckLogIndex(1));
    EXPECT_FALSE(reader->CheckLogIndex(2));
    EXPECT_FALSE(reader->DecodeLogRecord(3).valid);
}

TEST_F(ReaderOverTcp, CardArrivingBetweenCommandsIsNotDrainedAway) {
    peer.setAutoReply(true);
    connectReader();
    QSignalSpy cards(reader.get(), &ReaderClient::OnCardCode);
    reader->SendCommand(hex("00 40"));
    ASSERT_TRUE(reader->awaitReply());
    peer.send(hex(kCard12345));
    QTest::qWait(50);
    reader->SendCommand(hex("00 41"));  // its drain takes the card frame
    ASSERT_TRUE(reader->awaitReply());
    EXPECT_EQ(cards.size(), 1);
}

namespace {
// A log block reply: the head, then record 0 (IN, card `card`, 2024-03-05 14:07:09) and, from
// record 1 on, sequence bits out of turn.
QByteArray blockReply(const char* head, int card) {
    QByteArray body(readers::kLongReplyBody, '\x1F');
    body.replace(0, 5, hex(head));
    body.replace(5, 8, hex("00 00 00 00 0D 6E F0 33"));
    body[7] = char(card >> 8);
    body[8] = char(card & 0xFF);
    return *readers::frameLongCommand(body);
}
const char* kCard1001Stamped = "F5 0B 01 33 F0 6E 0D 00 00 00 03 E9 75 FA";  // mode 1, card 1001
}  // namespace

// A card read the reader sends right behind a reply is read in the same go; the reply must be
// read as it came, not with the card frame's bytes over its first records.
TEST_F(ReaderOverTcp, ACardReadRightBehindABlockLeavesTheBlockAsItCame) {
    connectReader();
    QSignalSpy cards(reader.get(), &ReaderClient::OnCardCode);
    reader->SendCommand(hex("00 0A 00 00 00"));
    ASSERT_TRUE(peerGot(1));
    peer.send(blockReply("00 0A 00 00 00", 4300) + hex(kCard1001Stamped));
    ASSERT_TRUE(reader->awaitReply());
    ASSERT_TRUE(pollUntil([&] { return cards.size() == 1; }));
    EXPECT_EQ(cards[0][2].toInt(), 1001);
    EXPECT_TRUE(reader->CheckLogIndex(0));
    const readers::LogRecord first = reader->DecodeLogRecord(0);
    EXPECT_EQ(first.card, 4300);
    EXPECT_EQ(first.time, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    EXPECT_FALSE(reader->CheckLogIndex(1));
}

// What arrives while a block is awaited: its two-byte acknowledgement and the block before it
// (a late reply) are passed over; the block asked for ends the wait. Without it the wait
// runs out.
TEST_F(ReaderOverTcp, OnlyAReplyThatFitsTheCommandEndsTheWait) {
    connectReader();
    const readers::ReplyForm block1{readers::ReplyForm::Kind::Long, readers::kLongReplyBody,
                                    hex("00 0A 00 01 00")};
    reader->SendCommand(hex("00 0A 00 01 00"), block1);
    ASSERT_TRUE(peerGot(1));
    peer.send(hex("F5 04 00 0A F2 FA") + blockReply("00 0A 00 00 00", 4300) +
              blockReply("00 0A 00 01 00", 4301));
    ASSERT_TRUE(reader->awaitReply());
    EXPECT_EQ(reader->DecodeLogRecord(0).card, 4301);

    const readers::ReplyForm block2{readers::ReplyForm::Kind::Long, readers::kLongReplyBody,
                                    hex("00 0A 00 02 00")};
    reader->SendCommandTimed(hex("00 0A 00 02 00"), 200, block2);
    peer.send(hex("F5 04 00 0A F2 FA") + blockReply("00 0A 00 01 00", 4301));
    EXPECT_FALSE(reader->awaitReply());
    EXPECT_TRUE(reader->PktTimeout());
}

// The reader ended the line after its last reply; the next command's drain is the first to
// read the end. Nothing was sent, and the earlier reply does not answer the new command.
TEST_F(ReaderOverTcp, ALineThatDropsDuringTheDrainLeavesTheNextCommandWithoutAReply) {
    peer.setAutoReply(true);
    connectReader();
    reader->SendCommand(hex("00 40"));
    ASSERT_TRUE(reader->awaitReply());
    peer.closeConnection();
    QThread::msleep(200);  // the end of the stream is here, and nothing has read it yet
    ASSERT_TRUE(reader->isConnected());
    reader->SendCommand(hex("00 41"));
    EXPECT_FALSE(reader->awaitReply());
    EXPECT_FALSE(reader->PktGood());
    EXPECT_EQ(peer.frames().size(), 1);
}
