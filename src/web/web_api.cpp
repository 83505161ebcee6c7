#include "web/web_api.h"

#include "store/log_texts.h"
#include "web/web_request.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <climits>

namespace tallyport {
namespace {

Result<QDate> dayOf(const QString& name, const QString& value) {
    const QDate d = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
    if (value.size() != 10 || !d.isValid())
        return fail(
            QStringLiteral("%1 must be a date written YYYY-MM-DD, not \"%2\"").arg(name, value));
    return d;
}

Result<int> numberOf(const QString& name, const QString& value, int low, int high) {
    const auto n = wholeNumber(value);
    if (!n || *n < low || *n > high)
        return fail(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                        .arg(name)
                        .arg(low)
                        .arg(high)
                        .arg(value));
    return *n;
}

Result<void> take(RecordFilter& f, const QString& name, const QString& value) {
    if (name == QLatin1String("from") || name == QLatin1String("to")) {
        auto d = dayOf(name, value);
        if (!d) return std::unexpected(d.error());
        (name == QLatin1String("from") ? f.from : f.to) = *d;
    } else if (name == QLatin1String("card")) {
        auto n = numberOf(name, value, INT_MIN, INT_MAX);
        if (!n) return std::unexpected(n.error());
        f.card = *n;
    } else if (name == QLatin1String("limit")) {
        auto n = numberOf(name, value, 1, kMaxListedRows);
        if (!n) return std::unexpected(n.error());
        f.rows = *n;
    } else {
        return fail(
            QStringLiteral("unknown parameter \"%1\" (known: from, to, card, limit)").arg(name));
    }
    return {};
}

}  // namespace

Result<RecordFilter> parseApiQuery(const QUrlQuery& query) {
    RecordFilter f;
    f.rows = kDefaultApiRows;
    f.count = false;
    QSet<QString> seen;
    for (const auto& [name, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (seen.contains(name)) return fail(QStringLiteral("%1 is given twice").arg(name));
        seen.insert(name);
        if (auto r = take(f, name, value); !r) return std::unexpected(r.error());
    }
    if (f.from && f.to && *f.to < *f.from)
        return fail(QStringLiteral("to (%1) is before from (%2)")
                        .arg(f.to->toString(Qt::ISODate), f.from->toString(Qt::ISODate)));
    return f;
}

QByteArray apiRecordsJson(const std::vector<WebRow>& rows) {
    QJsonArray list;
    for (const WebRow& r : rows)
        list.append(QJsonObject{{QStringLiteral("time"), r.time},
                                {QStringLiteral("card"), r.cardNo},
                                {QStringLiteral("name"), r.holder},
                                {QStringLiteral("group"), r.group},
                                {QStringLiteral("mode"), modeText(r.mode)},
                                {QStringLiteral("reader"), r.reader}});
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

QByteArray apiErrorJson(const QString& text) {
    return QJsonDocument(QJsonObject{{QStringLiteral("error"), text}})
        .toJson(QJsonDocument::Compact);
}

}  // namespace tallyport
