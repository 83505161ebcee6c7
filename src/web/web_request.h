#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tallyport {

// What a browser's request asks for. Paths compare exactly, case included; the parameters
// are the decoded query split at "&", each part taken whole ("n=5" is no number).
enum class PageKind { Today, Monitor, Logs, Person, Other };

inline constexpr int kDefaultPageLimit = 20;
inline constexpr int kDefaultRefreshSeconds = 60;
// More rows than this are never listed: a request for more is refused with kTooManyRows. One
// page of this many rows is about 3.5 MB; one request must not hold the server for long or
// take the memory the recording needs.
inline constexpr int kMaxListedRows = 20000;
inline const QString kTooManyRows =
    QStringLiteral("Too many rows; ask for fewer (at most %1 at a time).").arg(kMaxListedRows);

struct PageRequest {
    PageKind kind = PageKind::Other;
    int limit = kDefaultPageLimit;  // tested after each row: 0 or below still lists one
    bool tooMany = false;           // more than kMaxListedRows were asked for
    int refresh = 0;                // seconds; /monitor only
    QString person;                 // /person: the first parameter when not empty
};

// A whole decimal integer ("-5", "30"), nothing else.
std::optional<int> wholeNumber(const QString& text);

// `params` is empty when the request had no query at all.
PageRequest parsePageRequest(const QString& path, const QStringList& params);

// The decoded query split at "&"; no parameters when there is no query.
QStringList positionalParameters(bool hasQuery, const QString& decodedQuery);

}  // namespace tallyport
