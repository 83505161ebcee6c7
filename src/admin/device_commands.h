#pragma once

#include "readers/protocol.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <array>
#include <optional>
#include <span>

namespace tallyport {

class ReaderClient;

// The commands that administer one reader: their bodies (framed by the reader client), the
// parts of each reply that are read, and the encodings they share.

inline constexpr int kLcdWidth = 16;
inline constexpr int kTimetableRows = 8;
inline constexpr int kLogRecordsPerBlock = 33;
inline constexpr int kLogBlocks = 2048;  // blocks 0..2047: a full reader
inline constexpr int kAccessEntrySize = 22;
inline constexpr int kAccessEntriesPerBlock = 12;
inline constexpr int kAccessBlockSize = kAccessEntrySize * kAccessEntriesPerBlock;  // 264
inline constexpr int kClearReplyMs = 8000;

// A row of the reader's IN/OUT timetable: the mode index (0 not used; 1 IN or no PIN; 2 OUT
// or PIN) from that time of day on.
struct TimetableEntry {
    int mode = 0;
    QTime time{0, 0};
    bool operator==(const TimetableEntry&) const = default;
};
using Timetable = std::array<TimetableEntry, kTimetableRows>;

// The option bits of a reader; bits 5-7 are always 0.
struct ReaderOptions {
    bool backLight = false;      // bit 0 "Back Light On"
    bool bypassAllowed = false;  // bit 1 "Bypass Allowed" ("Keypad Bypass" on OUT readers)
    bool anyCardBypass = false;  // bit 2 "Any Card Bypass"
    bool doorMagnet = false;     // bit 3 "Door Magnet"
    bool lockReverse = false;    // bit 4 "Lock Reverse"
    bool operator==(const ReaderOptions&) const = default;
};
quint8 OptionsByte(const ReaderOptions& o);
ReaderOptions optionsFromByte(quint8 byte);  // bits 5-7 ignored

// The reader's mode byte: IN 00, OUT 40, clock only 80, or C0 when a timetable row is used;
// any other mode m gives (m - 1) * 64 modulo 256.
quint8 modeByte(int readerMode, const Timetable& timetable);
bool timetableUsed(const Timetable& timetable);

// A display line: padded with blanks and cut to 16 characters.
QString padLcd(const QString& text);
// ... as the reader's 16 bytes of Latin-1; a character without a Latin-1 byte becomes '?'.
QByteArray lcdBytes(const QString& text);

// The number of 12-entry blocks an upload of `holders` sends: at least one all-FF entry
// always follows the last card.
int uploadBlockCount(int holders);
// One entry of the access table: allowed at this reader, card (24 bits, high byte first),
// FF FF, the name as 16 Latin-1 bytes.
QByteArray accessEntry(bool allowed, int card, const QString& name);
// Twelve entries in a block filled with FF.
QByteArray accessBlock(std::span<const QByteArray> entries);

// The bodies, as the reader client frames them.
namespace device {
QByteArray getClock();                              // 00 01
QByteArray setClock(const QDateTime& t);            // 00 02 ss mm hh dw DD MM YY
QByteArray getCapacity();                           // 00 03 00
QByteArray clearRecords(quint16 mark);              // 00 05 00 ml mh
QByteArray getLine(int line);                       // 00 07 00 | 01 (line 1 or 2)
QByteArray getOptions();                            // 00 07 04
QByteArray getMode();                               // 00 07 05
QByteArray getTimetable();                          // 00 07 06
QByteArray setLine(int line, const QString& text);  // 00 08 00 | 01 + 16 characters
QByteArray setOptions(quint8 options);              // 00 08 04 ob
QByteArray setMode(quint8 mode);                    // 00 08 05 mb
QByteArray setTimetable(const Timetable& t);        // 00 08 06 + 8 x (mode, hh, mm)
QByteArray setLockTime(int seconds);                // 00 08 07 lt (low 8 bits)
QByteArray setPin(int pin);                         // 00 08 08 pl ph
QByteArray putAccessPin(int pin);                   // 00 08 09 pl ph
QByteArray putControlPin(int pin);                  // 00 08 0A pl ph
QByteArray uploadPrefix(int block);                 // 00 09 01 bl bh, then 264 bytes
QByteArray readLogBlock(int block);                 // 00 0A 00 bl bh
}  // namespace device

// The reply that answers a command whose fields are read: Get Clock, Get Capacity, the display
// lines, the options, the timetable (a reply that begins with the command's head and holds the
// fields read), and a log block (a long reply that begins with the command, block number
// included). Any well-formed reply answers the others, whose replies are only awaited.
readers::ReplyForm replyFormOf(const QByteArray& body);

// What a reply in the reader client's frame buffer says.
struct Capacity {
    quint16 mark = 0;  // handed back unchanged to clear the records
    int count = 0;     // stored records
    bool operator==(const Capacity&) const = default;
};
Capacity capacityReply(const ReaderClient& r);
// The reader's clock; nothing when its fields form no date and time (24:00, month 13 ...).
std::optional<QDateTime> clockReply(const ReaderClient& r);
QString lineReply(const ReaderClient& r);
quint8 optionsReply(const ReaderClient& r);
Timetable timetableReply(const ReaderClient& r);

}  // namespace tallyport
