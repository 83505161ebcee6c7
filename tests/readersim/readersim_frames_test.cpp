// What the simulated reader puts on the wire: the frames its control lines ask for, and its
// answers to the console's commands, checked byte for byte over real TCP.

#include "sim_fixture.h"

#include <gtest/gtest.h>
#include <QDateTime>

using namespace tallyport::testing;

namespace {

class ReaderSimWire : public ConnectedReaderTest {
protected:
    // Sends the command frame and collects what comes back: the expected count of bytes
    // and whatever follows within a short while, or all that comes within the window.
    QByteArray exchange(const QByteArray& frame, qsizetype expected = -1) {
        client->write(frame);
        client->flush();
        QByteArray all;
        if (expected > 0) all = readBytes(*client, expected);
        for (const QByteArray& c : readChunks(*client, expected > 0 ? 50 : 250)) all += c;
        return all;
    }
};

// A reply as the console accepts it: L + body + checksum = 0 (mod 256), or for L = 0 the
// 269 body bytes + checksum = 0; the end byte last.
bool wellFormedReply(const QByteArray& f) {
    if (f.size() < 5 || uint8_t(f[0]) != 0xF5 || uint8_t(f.back()) != 0xFA) return false;
    const int l = uint8_t(f[1]);
    if (l == 0 ? f.size() != 273 : f.size() != l + 2) return false;
    uint8_t sum = 0;
    for (qsizetype i = l == 0 ? 2 : 1; i < f.size() - 1; ++i) sum = uint8_t(sum + uint8_t(f[i]));
    return sum == 0;
}

QByteArray longCommand(const QByteArray& body) {
    uint8_t sum = 0;
    for (char b : body) sum = uint8_t(sum + uint8_t(b));
    return hexBytes("F500") + body + char(uint8_t(-sum)) + char(0xFA);
}

TEST_F(ReaderSimWire, ControlLinesSendByteExactFrames) {
    const struct {
        const char* line;
        const char* wire;
    } cases[] = {
        {"card 6 12345", "F5 06 00 00 00 30 39 97 FA"},
        {"card 6 0xFFFFFF", "F5 06 00 00 FF FF FF 03 FA"},
        {"card 11 12345 mode=1 offline time=2024-03-05T14:07:09",
         "F5 0B 81 33 F0 6E 0D 00 00 00 30 39 78 FA"},
        {"card 11 12345 mode=2 stamp=871394829", "F5 0B 02 33 F0 6E 0D 00 00 00 30 39 F7 FA"},
        {"card 13 12345 mode=2 stamp=871394829", "F5 0C 00 0D 02 33 F0 6E 0D 00 00 00 30 39 EA FA"},
        {"code C", "F5 02 43 BD FA"},
        {"code R", "F5 02 52 AE FA"},
        {"code P", "F5 02 50 B0 FA"},
        {"code p", "F5 02 70 90 FA"},
        {"code 0", "F5 02 30 D0 FA"},
        {"code 1", "F5 02 31 CF FA"},
        {"code 2", "F5 02 32 CE FA"},
        {"code B", "F5 02 42 BE FA"},
        {"code G", "F5 02 47 B9 FA"},
        {"code 0x41", "F5 02 41 BF FA"},
        {"echo", "F5 04 00 0C F0 FA"},
        {"reply 00 01 09", "F5 05 00 01 09 F1 FA"},
        {"hex F5 06 00 00 00 30 39 97 FA", "F5 06 00 00 00 30 39 97 FA"},
        {"join card 6 12345; code P", "F5 06 00 00 00 30 39 97 FA F5 02 50 B0 FA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_TRUE(sim.ok(c.line));
        const QByteArray expected = QByteArray::fromHex(c.wire);
        EXPECT_EQ(hexText(readBytes(*client, expected.size())), hexText(expected));
    }
    EXPECT_TRUE(readChunks(*client, 100).isEmpty()) << "nothing beyond the frames asked for";
}

TEST_F(ReaderSimWire, GarbageNeverHoldsAStartByte) {
    ASSERT_TRUE(sim.ok("garbage 2000"));
    const QByteArray noise = readBytes(*client, 2000);
    EXPECT_EQ(noise.size(), 2000);
    EXPECT_FALSE(noise.contains(char(0xF5)));
}

TEST_F(ReaderSimWire, JoinedFramesArriveInOneReadAndSplitOnesInPieces) {
    ASSERT_TRUE(sim.ok("join card 6 1 ; card 6 2"));
    const QList<QByteArray> joined = readChunks(*client, 300);
    ASSERT_EQ(joined.size(), 1);
    EXPECT_EQ(joined[0].size(), 18);

    ASSERT_TRUE(sim.ok("split 2 150 card 6 12345"));
    const QList<QByteArray> pieces = readChunks(*client, 3000, 9);
    QList<qsizetype> sizes;
    for (const QByteArray& p : pieces) sizes << p.size();
    EXPECT_EQ(sizes, (QList<qsizetype>{2, 2, 2, 2, 1}));
    EXPECT_EQ(hexText(pieces.join()), "F5 06 00 00 00 30 39 97 FA");
}

TEST_F(ReaderSimWire, AnswersEveryWellFormedCommand) {
    const struct {
        const char* what;
        QByteArray sent;
        const char* reply;  // empty: no answer
    } cases[] = {
        {"heartbeat is echoed", hexBytes("F5 04 00 0C F0 FA"), "F5 04 00 0C F0 FA"},
        {"lock", hexBytes("F5 05 00 00 01 FA FA"), "F5 04 00 00 FC FA"},
        {"lock with PIN 1234", hexBytes("F5 07 00 00 01 D2 04 22 FA"), "F5 04 00 00 FC FA"},
        {"unknown command", hexBytes("F5 04 00 0F ED FA"), "F5 04 00 0F ED FA"},
        {"upload access block", longCommand(hexBytes("0009010000") + QByteArray(264, char(0xFF))),
         "F5 04 00 09 F3 FA"},
        {"heartbeat in two writes", hexBytes("F5 04 00"), ""},
        {"... its second half", hexBytes("0C F0 FA"), "F5 04 00 0C F0 FA"},
        {"two commands in one write", hexBytes("F5 04 00 0C F0 FA F5 05 00 00 00 FB FA"),
         "F5 04 00 0C F0 FA F5 04 00 00 FC FA"},
        {"noise before a frame", hexBytes("00 13 FA F5 04 00 0C F0 FA"), "F5 04 00 0C F0 FA"},
        {"bad checksum", hexBytes("F5 05 00 00 01 FB FA"), ""},
        {"missing end byte", hexBytes("F5 04 00 0C F0 FB"), ""},
        {"length 1", hexBytes("F5 01 FA"), ""},
        {"length 128", hexBytes("F5 80 FA"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray reply = QByteArray::fromHex(c.reply);
        EXPECT_EQ(hexText(exchange(c.sent, reply.isEmpty() ? -1 : reply.size())), hexText(reply));
    }
}

TEST_F(ReaderSimWire, LogBlockAnswerIsALongReplyOfAnEmptyLog) {
    const QByteArray reply = exchange(hexBytes("F5 07 00 0A 00 00 00 EF FA"), 273);
    ASSERT_TRUE(wellFormedReply(reply)) << hexText(reply).toStdString();
    EXPECT_EQ(uint8_t(reply[1]), 0) << "long reply";
    EXPECT_NE(uint8_t(reply[2 + 5]) & 0x1F, 0) << "record 0 does not carry sequence 0: no data";
}

TEST_F(ReaderSimWire, SetClockMovesTheReadersClock) {
    // Tuesday 2024-03-05 14:07:09: body 00 02 ss mm hh dw DD MM YY in BCD, dw 3.
    EXPECT_EQ(hexText(exchange(hexBytes("F5 0B 00 02 09 07 14 03 05 03 24 A0 FA"), 6)),
              "F5 04 00 02 FA FA");
    const QByteArray clock = exchange(hexBytes("F5 04 00 01 FB FA"), 13);
    ASSERT_TRUE(wellFormedReply(clock));
    ASSERT_EQ(clock.size(), 13);
    EXPECT_EQ(hexText(clock.mid(2, 2)), "00 01");
    EXPECT_EQ(hexText(clock.mid(6, 5)), "14 03 05 03 24") << "hh dw DD MM YY";

    ASSERT_TRUE(sim.ok("card 11 7"));
    const QByteArray card = readBytes(*client, 14);
    ASSERT_EQ(card.size(), 14);
    const uint32_t stamp = uint32_t(uint8_t(card[3])) << 24 | uint8_t(card[4]) << 16 |
                           uint8_t(card[5]) << 8 | uint8_t(card[6]);
    EXPECT_GE(stamp, 871394829u);
    EXPECT_LE(stamp, 871394829u + 5) << "the card read carries the reader's clock";
}

TEST_F(ReaderSimWire, CardsWithoutATimeCarryTheClockOfNow) {
    const QDateTime before = QDateTime::currentDateTime();
    ASSERT_TRUE(sim.ok("card 13 99 mode=1"));
    const QByteArray card = readBytes(*client, 16);
    ASSERT_EQ(card.size(), 16);
    uint32_t t = uint32_t(uint8_t(card[5])) << 24 | uint8_t(card[6]) << 16 | uint8_t(card[7]) << 8 |
                 uint8_t(card[8]);
    const int s = int(t % 60), m = int(t / 60 % 60), h = int(t / 3600 % 24);
    t /= 86400;
    const QDateTime stamped(QDate(2000 + int(t / 32 / 13), int(t / 32 % 13), int(t % 32)),
                            QTime(h, m, s));
    ASSERT_TRUE(stamped.isValid());
    EXPECT_LE(std::abs(before.secsTo(stamped)), 5);
}

// A command frame around a body, as the console frames it.
QByteArray command(const char* body) {
    const QByteArray b = hexBytes(body);
    uint8_t sum = uint8_t(b.size() + 2);
    for (char c : b) sum = uint8_t(sum + uint8_t(c));
    return char(0xF5) + QByteArray(1, char(b.size() + 2)) + b + char(uint8_t(-sum)) + char(0xFA);
}

// The stored log as the reader serves it: 33 records a block, record i numbered i modulo 32 in
// its low five bits and its kind in the two high ones, the card high byte first, the stamp low
// byte first; past the last record the numbering is out of turn.
TEST_F(ReaderSimWire, StoredRecordsInLogBlocks) {
    ASSERT_TRUE(sim.ok("log add 12345 mode=2 time=2024-03-05T14:07:09"));
    ASSERT_TRUE(sim.ok("log add 7 mode=0 time=2024-03-05T14:07:09 invalid"));
    const QByteArray capacity = exchange(command("00 03 00"), 11);
    ASSERT_TRUE(wellFormedReply(capacity));
    EXPECT_EQ(hexText(capacity.mid(2, 7)), "00 03 00 3C 5A 02 00") << "mark 23100, 2 records";
    const QByteArray block = exchange(command("00 0A 00 00 00"), 273);
    ASSERT_TRUE(wellFormedReply(block));
    EXPECT_EQ(hexText(block.mid(2, 5)), "00 0A 00 00 00");
    EXPECT_EQ(hexText(block.mid(7, 8)), "40 00 30 39 0D 6E F0 33");
    EXPECT_EQ(hexText(block.mid(15, 8)), "81 00 00 07 00 00 00 00") << "clock kind, no stamp";
    EXPECT_EQ(uint8_t(block[23]) & 0x1F, 3) << "record 2 out of turn: the data ends";

    ASSERT_TRUE(sim.ok("log fill 40"));
    const QByteArray second = exchange(command("00 0A 00 01 00"), 273);
    EXPECT_EQ(uint8_t(second[7]) & 0x1F, 0) << "record 33 opens block 1 as its record 0";
    EXPECT_EQ(uint8_t(second[7 + 8 * 8]) & 0x1F, 8);
    EXPECT_EQ(uint8_t(second[7 + 8 * 9]) & 0x1F, 10) << "42 records: block 1 ends after 9";
}

TEST_F(ReaderSimWire, AWrongControlPinGetsNoAnswerAndTheRightOneLocks) {
    ASSERT_TRUE(sim.ok("set controlpin 1234"));
    EXPECT_TRUE(exchange(command("00 00 01")).isEmpty());
    EXPECT_TRUE(exchange(command("00 00 01 D3 04")).isEmpty());
    EXPECT_EQ(hexText(exchange(command("00 00 01 D2 04"), 6)), "F5 04 00 00 FC FA");
    EXPECT_TRUE(sim.command("state").contains("locked=yes"));
    // Put Control PIN changes it: the old one is refused from then on.
    EXPECT_EQ(hexText(exchange(command("00 08 0A 00 00"), 6)), "F5 04 00 08 F4 FA");
    EXPECT_EQ(hexText(exchange(command("00 00 00"), 6)), "F5 04 00 00 FC FA");
}

TEST_F(ReaderSimWire, FaultsOnRequest) {
    ASSERT_TRUE(sim.ok("log fill 2"));
    ASSERT_TRUE(sim.ok("fault capacity"));
    const QByteArray first = exchange(command("00 03 00"), 11);
    const QByteArray second = exchange(command("00 03 00"), 11);
    EXPECT_EQ(uint8_t(first[7]), 2);
    EXPECT_EQ(uint8_t(second[7]), 3) << "the second read differs";
    ASSERT_TRUE(sim.ok("fault drop 0"));
    EXPECT_TRUE(exchange(command("00 0A 00 00 00")).isEmpty());
    EXPECT_TRUE(sim.waitForEvent(QStringLiteral("readersim disconnected %1").arg(sim.port())));
}

}  // namespace
