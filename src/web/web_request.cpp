#include "web/web_request.h"

#include <algorithm>
#include <climits>

namespace tallyport {
namespace {

std::optional<int> intAt(const QStringList& params, qsizetype i) {
    return i < params.size() ? wholeNumber(params[i]) : std::nullopt;
}

void setLimit(PageRequest& r, std::optional<int> asked) {
    r.limit = asked.value_or(kDefaultPageLimit);
    r.tooMany = r.limit > kMaxListedRows;
    r.limit = std::min(r.limit, kMaxListedRows);
}

}  // namespace

std::optional<int> wholeNumber(const QString& text) {
    qsizetype i = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (i == text.size() || text.size() - i > 10) return std::nullopt;
    for (qsizetype k = i; k < text.size(); ++k)
        if (text[k] < QLatin1Char('0') || text[k] > QLatin1Char('9')) return std::nullopt;
    const qint64 v = text.toLongLong();
    if (v < INT_MIN || v > INT_MAX) return std::nullopt;
    return int(v);
}

QStringList positionalParameters(bool hasQuery, const QString& decodedQuery) {
    return hasQuery ? decodedQuery.split(QLatin1Char('&')) : QStringList{};
}

PageRequest parsePageRequest(const QString& path, const QStringList& params) {
    PageRequest r;
    const auto n = params.size();
    if (path == QLatin1String("/today")) {
        r.kind = PageKind::Today;
        setLimit(r, n == 1 ? intAt(params, 0) : std::nullopt);
    } else if (path == QLatin1String("/monitor")) {
        r.kind = PageKind::Monitor;
        setLimit(r, n == 2 ? intAt(params, 1) : std::nullopt);
        const auto first = n == 1 || n == 2 ? intAt(params, 0) : std::nullopt;
        r.refresh = first.value_or(kDefaultRefreshSeconds);
    } else if (path == QLatin1String("/logs")) {
        r.kind = PageKind::Logs;
        setLimit(r, n == 1 ? intAt(params, 0) : std::nullopt);
    } else if (path == QLatin1String("/person")) {
        r.kind = PageKind::Person;
        setLimit(r, n == 2 ? intAt(params, 1) : std::nullopt);
        if (n >= 1) r.person = params[0];
    }
    return r;
}

}  // namespace tallyport
