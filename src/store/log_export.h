#pragma once

#include "base/error.h"
#include "store/sqlcipher_db.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The whole log written out for other programs, oldest row first, each card resolved to its
// holder's name and group: as lines of text here, as a sheet in workbook/log_workbook.
namespace tallyport {

class WorkContext;

inline const QString kNoName = QStringLiteral("[NO NAME]");
inline const QString kNoGroup = QStringLiteral("[NO GROUP]");
inline const QString kFileLocked = QStringLiteral("File locked and cannot be used for exporting.");

// The names a log row is shown with, read once before the rows.
class LogNames {
public:
    static Result<LogNames> read(Database& src);

    struct Holder {
        QString name;
        QString group;      // empty when the holder's group is gone
        QByteArray quoted;  // ' "NAME" "GROUP"' of the text lines, UTF-8
    };
    // Nothing for a card without a holder.
    const Holder* holder(int cardNo) const;
    // READER and LOCK as text: "DENIED", the reader's description, "ERROR".
    const QString& lockText(int value) const;

private:
    QHash<int, Holder> m_holders;
    QStringList m_lockTexts;  // 0 .. 8
    QString m_error = QStringLiteral("ERROR");
};

// One row as stored.
struct LogExportRow {
    QString sysTime;  // "YYYY-MM-DD HH:MM:SS[.zzz]"
    int cardNo = 0;
    int mode = 0;
    int reader = 0;
    int lock = 0;
};

// The days a command-line export is limited to (the menus take the whole log); an invalid
// date leaves that end open.
struct LogDays {
    QDate from;
    QDate to;
};

// The date and time of a stored SYSTIME, read without a date parser (two million rows).
struct StoredTime {
    int year = 0, month = 0, day = 0;
    qint64 msOfDay = 0;
    QDate date() const { return QDate(year, month, day); }  // invalid for a 30th of February
};
std::optional<StoredTime> parseStoredTime(QStringView text);

// Hands each row of the log in time order to `each` (rows of one time by card number, then in
// the order they were stored: the order of the log's time index, read without sorting).
// `total` is what the progress counts up to (0: no progress). Fails with the engine's reason
// after "Database Error.", with what `each` answered, or with kWorkCancelled.
Result<qint64> walkLog(Database& att, const std::optional<LogDays>& days, qint64 total,
                       WorkContext* work,
                       const std::function<Result<void>(const LogExportRow&)>& each);

// One line of the text file: "2024/Mar/05 14:07:09 000000123 "NAME" "GROUP" {IN}" and CR LF,
// in UTF-8.
void appendLogTextLine(QByteArray& out, const LogExportRow& row, const LogNames& names);

// Writes the text file (to a temporary file, renamed into place when every line is written).
// Fails with the refusal of checkOutputTarget when `path` is one of the console's own files,
// with "No record." when there is no row to write, with kFileLocked when the file cannot be
// written; the number of rows written.
Result<qint64> writeLogText(Database& att, Database& src, const QString& path,
                            const std::optional<LogDays>& days, qint64 total, WorkContext* work);

}  // namespace tallyport
