#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace tallyport {

// The codes of a log row's MODE and their texts, written once for every view of the log.
enum LogMode { ModeClock = 0, ModeIn = 1, ModeOut = 2 };
inline constexpr int kMotionCard = -1;  // CARDNO of a motion event: no card

// "CLOCK", "IN", "OUT", and "N/A" for any other code.
QString modeText(int mode);
// The seven-character bracketed form of reports: "[CLOCK]", "[IN]   ", "[OUT]  ", and
// "[N/A]  " for any other code.
QString ModeTag(int mode);
// LOCK (and READER) as text: "DENIED" for 0, the reader's description for 1..8, "ERROR" else.
QString lockText(int value, const std::function<QString(int port)>& readerDesc);
// The snapshot of an event: photo folder + "/" + "yyMMdd-hhmmss-CARD.jpg".
QString snapshotFileName(const QString& photoFolder, int cardNo, const QDateTime& t);

}  // namespace tallyport
