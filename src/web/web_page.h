#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace tallyport {

// The address of the footer's link: the project's own page.
inline const QString kProjectPage = QStringLiteral("https://tallyport.org/");

// One listed record with the texts the page shows (not yet escaped).
struct WebRow {
    QString time;  // as stored: "YYYY-MM-DD HH:MM:SS"
    int cardNo = 0;
    QString holder;  // "[card]" for a card without holder or group
    QString group;
    int mode = 0;
    int port = 0;    // READER
    QString reader;  // its text: "DENIED", the reader's description, or "ERROR"
};

// "mmm d, yyyy ddd - AM/PM hh:mm:ss" with the locale's month and day names.
QString webTimeText(const QDateTime& t);

// The page is a list of lines, each followed by CR LF. Its parts, in order:
// the head (lines 1 to 7; the refresh lines only when a refresh is given: the monitor's),
QByteArray pageHead(const QString& title, std::optional<int> refresh);
// the body's opening up to the current date and time (lines 8 to 11),
QByteArray pageOpening(const QDateTime& now);
// the count line and the records (lines 12 to 16): `found` is the number of records the query
// found; rows are newest first and the list stops once `limit` rows are written, tested after
// each row,
QByteArray pageRecords(qint64 found, int limit, const std::vector<WebRow>& rows);
// what a failed build is completed with (line 16),
QByteArray pageTableEnd();
// and the footer (lines 17 to 19).
QByteArray pageFooter();

}  // namespace tallyport
