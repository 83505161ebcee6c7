#include "readers/protocol.h"

#include "readers/hex.h"

#include <gtest/gtest.h>

using namespace tallyport::readers;
using tallyport::test::hex;
using tallyport::test::toHex;

namespace {
const QDateTime kStampTime(QDate(2024, 3, 5), QTime(14, 7, 9));
}

TEST(Framing, CommandFramesCarryLengthChecksumAndEndByte) {
    struct Case {
        QByteArray body;
        const char* wire;
    } cases[] = {
        {heartbeatBody(), "F5 04 00 0C F0 FA"},
        {lockBody(true, 0), "F5 05 00 00 01 FA FA"},
        {lockBody(false, 0), "F5 05 00 00 00 FB FA"},
        {lockBody(true, 0x1234), "F5 07 00 00 01 34 12 B2 FA"},
        {lockBody(false, 65535), "F5 07 00 00 00 FF FF FB FA"},
        {QByteArray(), "F5 02 FE FA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wire);
        EXPECT_EQ(toHex(frameCommand(c.body).value()), QString::fromLatin1(c.wire));
    }
}

TEST(Framing, LongFramesChecksumTheBodyAlone) {
    EXPECT_EQ(toHex(frameLongCommand(hex("00 30 01 02")).value()), "F5 00 00 30 01 02 CD FA");
    EXPECT_EQ(frameLongCommand(QByteArray(2046, 'x'))->size(), 2050);
}

TEST(Framing, BodiesThatDoNotFitAreRefused) {
    EXPECT_TRUE(frameCommand(QByteArray(125, '\0')).has_value());
    EXPECT_FALSE(frameCommand(QByteArray(126, '\0')).has_value());
    EXPECT_FALSE(frameLongCommand(QByteArray(2047, '\0')).has_value());
}

TEST(Bcd, PacksTensAndUnitsIntoNibbles) {
    const std::pair<int, quint8> table[] = {
        {0, 0x00}, {9, 0x09}, {23, 0x23}, {59, 0x59}, {99, 0x99}};
    for (auto [value, byte] : table) {
        EXPECT_EQ(encodeBcd(value), byte) << value;
        EXPECT_EQ(decodeBcd(byte), value) << value;
    }
    EXPECT_EQ(decodeBcd(0x3F), 45);  // not checked, as documented
}

TEST(Stamp, DecodesTheMixedRadixCountBothWays) {
    EXPECT_EQ(DecodeStamp(871394829u), kStampTime);
    EXPECT_EQ(encodeStamp(kStampTime), 871394829u);
    const QDateTime newYear(QDate(2000, 1, 1), QTime(0, 0, 0));
    EXPECT_EQ(DecodeStamp(encodeStamp(newYear).value()), newYear);
}

TEST(Stamp, FieldsThatFormNoDateGiveNoTime) {
    EXPECT_FALSE(DecodeStamp(0).isValid());  // month 0, day 0
    const quint32 feb30 = ((((24u * 13 + 2) * 32 + 30) * 24 + 8) * 60) * 60;
    EXPECT_FALSE(DecodeStamp(feb30).isValid());
    const quint32 feb29 = ((((24u * 13 + 2) * 32 + 29) * 24 + 8) * 60) * 60;
    EXPECT_EQ(DecodeStamp(feb29), QDateTime(QDate(2024, 2, 29), QTime(8, 0)));
}

TEST(LogRecord, CardIsBigEndianAndStampLittleEndian) {
    struct Case {
        const char* bytes;
        bool valid;
        int mode;
        int sequence;
    } cases[] = {
        {"05 00 30 39 0D 6E F0 33", true, 1, 5},   // kind 00 -> IN
        {"5F 00 30 39 0D 6E F0 33", true, 2, 31},  // kind 01 -> OUT, bit 6 set
        {"A0 00 30 39 0D 6E F0 33", true, 0, 0},   // kind 10 -> clock, bit 5 ignored
        {"C1 00 30 39 0D 6E F0 33", true, 0, 1},   // kind 11 -> clock
        {"01 00 30 39 00 00 00 00", false, 1, 1},  // stamp that does not decode
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const QByteArray b = hex(c.bytes);
        const LogRecord r = DecodeLogRecord(
            std::span<const quint8, 8>(reinterpret_cast<const quint8*>(b.data()), 8));
        EXPECT_EQ(r.valid, c.valid);
        EXPECT_EQ(r.mode, c.mode);
        EXPECT_EQ(r.sequence, c.sequence);
        if (c.valid) {
            EXPECT_EQ(r.card, 12345);
            EXPECT_EQ(r.time, kStampTime);
        }
    }
}

TEST(AccessEntry, ReadsFlagsCardSignedWordAndSixteenCharacters) {
    const QByteArray b = hex("07 01 E2 40 FE FF") + QByteArray("Ann Smith\0\0\0\0\0\0\0", 16);
    const AccessEntry e = DecodeAccessEntry(
        std::span<const quint8, 22>(reinterpret_cast<const quint8*>(b.data()), 22));
    EXPECT_EQ(e.flags, 7);
    EXPECT_EQ(e.card, 123456);
    EXPECT_EQ(e.value, -2);
    EXPECT_EQ(e.text.size(), 16);
    EXPECT_TRUE(e.text.startsWith("Ann Smith"));
}

TEST(SetClock, SendsBcdFieldsAndASundayFirstWeekday) {
    // 2024-03-03 is a Sunday, 2024-03-09 a Saturday.
    EXPECT_EQ(toHex(setClockBody(QDateTime(QDate(2024, 3, 3), QTime(23, 59, 58)))),
              "00 02 58 59 23 01 03 03 24");
    EXPECT_EQ(toHex(setClockBody(QDateTime(QDate(2105, 1, 9), QTime(7, 5, 0)))),
              "00 02 00 05 07 06 09 01 05");  // a Friday; the year is taken modulo 100
    EXPECT_EQ(quint8(setClockBody(QDateTime(QDate(2024, 3, 9), QTime(0, 0)))[5]), 7);
}

TEST(ReplyForm, AReplyFitsWhenItsKindLengthAndHeadAre) {
    using Kind = ReplyForm::Kind;
    const ReplyForm capacity{Kind::Short, 7, hex("00 03")};
    const ReplyForm block{Kind::Long, kLongReplyBody, hex("00 0A 00 01 00")};
    const QByteArray block1 = hex("00 0A 00 01 00") + QByteArray(kLongReplyBody - 5, '\0');
    const struct {
        const char* name;
        ReplyForm form;
        bool longReply;
        QByteArray body;
        bool fits;
    } cases[] = {
        {"capacity", capacity, false, hex("00 03 00 3C 5A 07 00"), true},
        {"capacity with more bytes", capacity, false, hex("00 03 00 3C 5A 07 00 00"), true},
        {"two-byte acknowledgement", capacity, false, hex("00 03"), false},
        {"another command's reply", capacity, false, hex("00 01 00 3C 5A 07 00"), false},
        {"a long reply", capacity, true, hex("00 03 00 3C 5A 07 00"), false},
        {"the block asked for", block, true, block1, true},
        {"another block", block, true, hex("00 0A 00 00 00") + block1.mid(5), false},
        {"a short reply", block, false, hex("00 0A"), false},
        {"any reply for a command not read", ReplyForm{}, false, hex("00 0C"), true},
    };
    for (const auto& c : cases) EXPECT_EQ(replyFits(c.form, c.longReply, c.body), c.fits) << c.name;
}
