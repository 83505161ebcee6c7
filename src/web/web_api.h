#pragma once

#include "base/error.h"
#include "web/web_log_reader.h"

#include <QByteArray>
#include <QUrlQuery>

namespace tallyport {

// The log as JSON for payroll and HR systems:
//   /api/logs?from=YYYY-MM-DD&to=YYYY-MM-DD&card=N&limit=N
// every parameter optional (whole days from `from` to `to`, one card, at most `limit` records,
// by default the newest 100), newest first.
inline const QString kApiLogsPath = QStringLiteral("/api/logs");
inline constexpr int kDefaultApiRows = 100;

// The records a query asks for, or why it is refused (an unknown or repeated name, a value that
// is no date or number, a range that ends before it starts, a limit outside 1..100000).
Result<RecordFilter> parseApiQuery(const QUrlQuery& query);

// [{"time":"YYYY-MM-DD HH:MM:SS","card":N,"name":..,"group":..,"mode":"IN","reader":..}, ...]
QByteArray apiRecordsJson(const std::vector<WebRow>& rows);
// {"error":"text"}
QByteArray apiErrorJson(const QString& text);

}  // namespace tallyport
