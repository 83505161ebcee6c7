#include "readers/receiver.h"

#include "readers/protocol.h"

#include "readers/hex.h"

#include <gtest/gtest.h>
#include <QStringList>

using namespace tallyport::readers;
using tallyport::test::hex;

namespace {

QString describe(const FrameReceiver& rx) {
    if (rx.frameIsReply()) return QString("reply %1").arg(rx.frameLength());
    const EventFrame ev = decodeEventFrame(rx);
    if (const auto* card = std::get_if<CardRead>(&ev)) {
        const QString time = !card->stamped          ? "console-time"
                             : card->stamp.isValid() ? card->stamp.toString("yyyy-MM-dd HH:mm:ss")
                                                     : "no-time";
        return QString("card %1 mode %2 %3 %4")
            .arg(card->card)
            .arg(card->mode)
            .arg(card->offline ? "offline" : "online", time);
    }
    if (const auto* code = std::get_if<StatusCode>(&ev)) return QString("code %1").arg(code->code);
    if (std::holds_alternative<HeartbeatEcho>(ev)) return "echo";
    return "ignored";
}

// Every frame the bytes complete, in order, as one line each.
QStringList feed(FrameReceiver& rx, const QByteArray& bytes, bool replyMode) {
    QStringList out;
    for (char c : bytes)
        if (rx.push(quint8(c), replyMode)) out << describe(rx);
    return out;
}

}  // namespace

TEST(Receiver, EventFramesAsTheReaderSendsThem) {
    struct Case {
        const char* name;
        const char* bytes;
        QStringList events;
    } cases[] = {
        {"card 12345", "F5 06 00 00 00 30 39 97 FA", {"card 12345 mode -1 online console-time"}},
        {"card 0", "F5 06 00 00 00 00 00 00 FA", {"ignored"}},
        {"offline, mode 1",
         "F5 0B 81 33 F0 6E 0D 00 00 00 30 39 78 FA",
         {"card 12345 mode 1 offline 2024-03-05 14:07:09"}},
        {"stamp that does not decode",
         "F5 0B 81 00 00 00 00 00 00 00 30 39 16 FA",
         {"card 12345 mode 1 offline no-time"}},
        {"long form",
         "F5 0C 00 0D 01 33 F0 6E 0D 00 00 00 30 39 EB FA",
         {"card 12345 mode 1 online 2024-03-05 14:07:09"}},
        {"long form of another layout",
         "F5 0C 00 0E 01 33 F0 6E 0D 00 00 00 30 39 EA FA",
         {"ignored"}},
        {"codes",
         "F5 02 43 BD FA F5 02 50 B0 FA F5 02 70 90 FA F5 02 58 A8 FA",
         {"code C", "code P", "code p", "ignored"}},
        {"heartbeat echo", "F5 04 00 0C F0 FA", {"echo"}},
        {"echo of another code", "F5 04 00 0D EF FA", {"ignored"}},
        {"two frames in one read",
         "F5 06 00 00 00 30 39 97 FA F5 06 00 00 00 30 3A 96 FA",
         {"card 12345 mode -1 online console-time", "card 12346 mode -1 online console-time"}},
        {"bad checksum, then a good frame",
         "F5 06 00 00 00 30 39 98 FA F5 06 00 00 00 30 39 97 FA",
         {"card 12345 mode -1 online console-time"}},
        {"missing end byte", "F5 06 00 00 00 30 39 97 00 FA", {}},
        {"garbage around a frame",
         "00 FA 13 F5 F5 99 F5 02 47 B9 FA 77",
         {"code G"}},  // F5 as a length is dropped, not taken for a start byte
        {"unknown length", "F5 07 00 00 00 00 00 00 00 FA", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FrameReceiver rx;
        EXPECT_EQ(feed(rx, hex(c.bytes), false), c.events);
    }
}

TEST(Receiver, ReplyRulesWhileAReplyIsAwaited) {
    struct Case {
        const char* name;
        const char* bytes;
        QStringList frames;
    } cases[] = {
        {"heartbeat echo counts as the reply", "F5 04 00 0C F0 FA", {"reply 4"}},
        {"a reply after a card frame",
         "F5 06 00 00 00 30 39 97 FA F5 04 00 40 BC FA",
         {"card 12345 mode -1 online console-time", "reply 4"}},
        {"short reply", "F5 05 00 21 AA 30 FA", {"reply 5"}},
        {"length 1 is refused", "F5 01 FA F5 04 00 0C F0 FA", {"reply 4"}},
        {"length 128 is refused", "F5 80 00 FA F5 04 00 0C F0 FA", {"reply 4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FrameReceiver rx;
        EXPECT_EQ(feed(rx, hex(c.bytes), true), c.frames);
    }
}

// A card read that arrives while a reply is awaited fails the reply rules; the same bytes are
// then read by the event rules, so the card is not lost and the reply is still awaited.
TEST(Receiver, EventFramesThatFailTheReplyRulesAreReadAsEvents) {
    struct Case {
        const char* name;
        const char* bytes;
        QStringList frames;
    } cases[] = {
        {"six bytes", "F5 06 00 00 00 30 39 97 FA", {"card 12345 mode -1 online console-time"}},
        {"stamped",
         "F5 0B 81 33 F0 6E 0D 00 00 00 30 39 78 FA",
         {"card 12345 mode 1 offline 2024-03-05 14:07:09"}},
        {"long form",
         "F5 0C 00 0D 01 33 F0 6E 0D 00 00 00 30 39 EB FA",
         {"card 12345 mode 1 online 2024-03-05 14:07:09"}},
        {"clock request", "F5 02 43 BD FA", {"code C"}},
        {"bad by both rules", "F5 06 00 00 00 30 39 98 FA F5 04 00 40 BC FA", {"reply 4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FrameReceiver rx;
        EXPECT_EQ(feed(rx, hex(c.bytes), true), c.frames);
    }
}

TEST(Receiver, ReplyBytesStayInTheFrameBuffer) {
    FrameReceiver rx;
    feed(rx, hex("F5 05 00 21 AA 30 FA"), true);
    EXPECT_EQ(rx.at(0), 0x05);
    EXPECT_EQ(rx.at(2), 0x21);
    EXPECT_EQ(rx.at(3), 0xAA);
    EXPECT_EQ(rx.at(2048), 0);  // outside the buffer
}

TEST(Receiver, LongReplyCompletesAfterExactly270BytesAndTheEndByte) {
    QByteArray body(kLongReplyBody, '\0');
    for (int i = 0; i < body.size(); ++i) body[i] = char(i * 7);
    quint8 sum = 0;
    for (char c : body) sum = quint8(sum + quint8(c));
    const QByteArray before = hex("F5 00") + body + char(quint8(-sum));

    FrameReceiver rx;
    EXPECT_TRUE(feed(rx, before, true).isEmpty());
    EXPECT_EQ(rx.state(), FrameReceiver::State::End);
    EXPECT_TRUE(rx.push(0xFA, true));
    EXPECT_EQ(rx.frameLength(), 270);
    EXPECT_EQ(rx.at(0), 0);
    EXPECT_EQ(rx.at(268), quint8(268 * 7));
}

TEST(Receiver, FrameSplitAtEveryPointGivesTheSameEvent) {
    const QByteArray frame = hex("F5 0B 81 33 F0 6E 0D 00 00 00 30 39 78 FA");
    for (int cut = 1; cut < frame.size(); ++cut) {
        FrameReceiver rx;
        QStringList got = feed(rx, frame.left(cut), false);
        got += feed(rx, frame.mid(cut), false);
        EXPECT_EQ(got, QStringList{"card 12345 mode 1 offline 2024-03-05 14:07:09"}) << cut;
    }
}

TEST(Receiver, ResetDropsAFrameHalfReceived) {
    FrameReceiver rx;
    feed(rx, hex("F5 06 00 00 00"), false);
    rx.reset();
    EXPECT_TRUE(feed(rx, hex("30 39 97 FA"), false).isEmpty());
    EXPECT_EQ(rx.state(), FrameReceiver::State::Hunting);
}
