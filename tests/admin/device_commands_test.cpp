// The bodies and encodings of the administration commands, byte for byte.
#include "admin/device_commands.h"
#include "readers/protocol.h"

#include <gtest/gtest.h>

using namespace tallyport;

namespace {

QString hex(const QByteArray& b) {
    return QString::fromLatin1(b.toHex(' ').toUpper());
}

TEST(DeviceCommands, BodiesOfTheCommandTable) {
    Timetable t;
    t[0] = {1, QTime(8, 30)};
    t[7] = {2, QTime(23, 5)};
    const struct {
        QByteArray body;
        const char* wire;
    } cases[] = {
        {device::getClock(), "00 01"},
        {device::setClock(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))),
         "00 02 09 07 14 03 05 03 24"},  // Tuesday is day 3
        {device::getCapacity(), "00 03 00"},
        {device::clearRecords(0x1234), "00 05 00 34 12"},
        {device::getLine(1), "00 07 00"},
        {device::getLine(2), "00 07 01"},
        {device::getOptions(), "00 07 04"},
        {device::getMode(), "00 07 05"},
        {device::getTimetable(), "00 07 06"},
        {device::setOptions(0x15), "00 08 04 15"},
        {device::setMode(0xC0), "00 08 05 C0"},
        {device::setTimetable(t),
         "00 08 06 01 08 30 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 23 05"},
        {device::setLockTime(300), "00 08 07 2C"},  // the low 8 bits of 300
        {device::setPin(0), "00 08 08 00 00"},      // PIN 0 still sends its two bytes
        {device::putAccessPin(0x0102), "00 08 09 02 01"},
        {device::putControlPin(0), "00 08 0A 00 00"},
        {device::uploadPrefix(258), "00 09 01 02 01"},
        {device::readLogBlock(2047), "00 0A 00 FF 07"},
        {readers::lockBody(true, 0), "00 00 01"},  // lock and unlock without PIN: 3 bytes
        {readers::lockBody(false, 0), "00 00 00"},
    };
    for (const auto& c : cases) EXPECT_EQ(hex(c.body), c.wire);
}

TEST(DeviceCommands, ModeByteFollowsTheReaderModeAndTheTimetable) {
    Timetable unused;
    Timetable used;
    used[5].mode = 2;
    EXPECT_EQ(modeByte(1, unused), 0x00);
    EXPECT_EQ(modeByte(2, used), 0x40);
    EXPECT_EQ(modeByte(0, unused), 0x80);
    EXPECT_EQ(modeByte(0, used), 0xC0);
    EXPECT_EQ(modeByte(4, unused), 0xC0);  // (4 - 1) * 64
    EXPECT_EQ(modeByte(5, unused), 0x00);  // modulo 256
}

TEST(DeviceCommands, DisplayLinesArePaddedOrCutToSixteenLatinOneBytes) {
    EXPECT_EQ(lcdBytes("Main entrance, north side"), QByteArray("Main entrance, n"));
    EXPECT_EQ(lcdBytes("Hall"), QByteArray("Hall            "));
    EXPECT_EQ(lcdBytes(QString::fromUtf8("Caf\u00e9 \u20ac5")), QByteArray("Caf\xe9 ?5         "));
    EXPECT_EQ(hex(device::setLine(2, "Hi")),
              "00 08 01 48 69 20 20 20 20 20 20 20 20 20 20 20 20 20 20");
    EXPECT_EQ(padLcd(""), QString(16, ' '));
}

TEST(DeviceCommands, OptionBitsRoundTripAndIgnoreTheHighBits) {
    const ReaderOptions o = optionsFromByte(0xF5);
    EXPECT_TRUE(o.backLight && o.anyCardBypass && o.lockReverse);
    EXPECT_FALSE(o.bypassAllowed || o.doorMagnet);
    EXPECT_EQ(OptionsByte(o), 0x15);
    EXPECT_EQ(OptionsByte(optionsFromByte(0x0A)), 0x0A);
}

TEST(DeviceCommands, AccessEntriesAndBlocks) {
    const QByteArray e = accessEntry(true, 0x123456, "Anna Lindqvist-Berg");
    EXPECT_EQ(hex(e.left(6)), "01 12 34 56 FF FF");
    EXPECT_EQ(e.mid(6), QByteArray("Anna Lindqvist-B"));
    EXPECT_EQ(accessEntry(false, 7, "Bo")[0], '\0');
    const std::vector<QByteArray> entries{e, accessEntry(false, 7, "Bo")};
    const QByteArray block = accessBlock(entries);
    ASSERT_EQ(block.size(), 264);
    EXPECT_EQ(block.left(22), e);
    EXPECT_EQ(block.mid(44), QByteArray(220, char(0xFF)));
    const struct {
        int holders, blocks;
    } counts[] = {{0, 1}, {11, 2}, {12, 2}, {23, 3}, {24, 3}, {10000, 834}};
    for (const auto& c : counts) EXPECT_EQ(uploadBlockCount(c.holders), c.blocks) << c.holders;
}

}  // namespace
