#include "web/web_server.h"

#include "base/clock.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "web/web_api.h"
#include "web/web_page.h"
#include "web/web_settings.h"

#include <QHttpServerRequest>
#include <QTcpSocket>

namespace tallyport {
namespace {

enum Status {
    Ok = 200,
    BadRequest = 400,
    Unauthorized = 401,
    TooManyRequests = 429,
    InternalServerError = 500,
    ServiceUnavailable = 503,
};

QByteArray statusLine(int status) {
    switch (status) {
        case Ok:
            return "HTTP/1.1 200 OK\r\n";
        case BadRequest:
            return "HTTP/1.1 400 Bad Request\r\n";
        case Unauthorized:
            return "HTTP/1.1 401 Unauthorized\r\n";
        case TooManyRequests:
            return "HTTP/1.1 429 Too Many Requests\r\n";
        case ServiceUnavailable:
            return "HTTP/1.1 503 Service Unavailable\r\n";
        default:
            return "HTTP/1.1 500 Internal Server Error\r\n";
    }
}

// What kept pages may take together; the oldest go first. A few of the largest pages, and
// hundreds of ordinary ones.
constexpr qint64 kKeptBytes = 24 * 1024 * 1024;

// Failed tokens an address may send in a minute before it is refused for a minute.
constexpr int kMaxFailedTokens = 10;
constexpr qint64 kFailureWindowMs = 60'000;
constexpr qint64 kBlockedMs = 60'000;
constexpr qsizetype kMaxTrackedAddresses = 4096;  // beyond, the expired ones are forgotten

const QByteArray kHtml = QByteArrayLiteral("text/html; charset=utf-8");
const QByteArray kJson = QByteArrayLiteral("application/json");
const QByteArray kText = QByteArrayLiteral("text/plain; charset=utf-8");
const QByteArray kTokenRequired = QByteArrayLiteral("A valid access token is required.\n");
const QByteArray kTooManyFailures =
    QByteArrayLiteral("Too many wrong access tokens from this address; try again later.\n");
const QByteArray kBusy =
    QByteArrayLiteral("The Web Reporter is busy sending other answers; try again shortly.\n");
constexpr int kBusyRetrySeconds = 5;
// Rows a page or an API answer may list and still be answered when the server is busy.
constexpr int kSmallAnswerRows = 100;

// Parts below this are copied into the answer's head; larger ones are sent from where they are.
constexpr qsizetype kSmallPart = 16 * 1024;

// The same time whatever the bytes are, so the answer's time tells nothing about the token.
bool sameBytes(const QByteArray& a, const QByteArray& b) {
    unsigned diff = unsigned(a.size() ^ b.size());
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= unsigned(uchar(a[i]) ^ uchar(i < b.size() ? b[i] : 0));
    return diff == 0;
}

// The token a request carries: "Bearer TOKEN", or the password of Basic authentication.
QByteArray carriedToken(const QByteArray& authorization) {
    const QByteArray value = authorization.trimmed();
    const qsizetype space = value.indexOf(' ');
    if (space < 0) return {};
    const QByteArray scheme = value.left(space).toLower(), rest = value.mid(space + 1).trimmed();
    if (scheme == "bearer") return rest;
    if (scheme != "basic") return {};
    const QByteArray pair = QByteArray::fromBase64(rest);
    const qsizetype colon = pair.indexOf(':');
    return colon < 0 ? QByteArray() : pair.mid(colon + 1);
}

QByteArray apiKey(const RecordFilter& f) {
    const auto day = [](const std::optional<QDate>& d) {
        return d ? d->toString(Qt::ISODate) : QStringLiteral("-");
    };
    return QStringLiteral("api|%1|%2|%3|%4")
        .arg(f.card ? QString::number(*f.card) : QStringLiteral("-"), day(f.from), day(f.to))
        .arg(f.rows)
        .toUtf8();
}

}  // namespace

struct WebServer::Reply {
    Reply(QList<QByteArray> b, QByteArray t, int s = Ok, QByteArray extra = {})
        : body(std::move(b)), type(std::move(t)), status(s), extraHeaders(std::move(extra)) {}
    Reply(QByteArray b, QByteArray t, int s = Ok, QByteArray extra = {})
        : Reply(QList<QByteArray>{std::move(b)}, std::move(t), s, std::move(extra)) {}
    QList<QByteArray> body;  // parts shared with the kept pages
    QByteArray type;
    int status;
    QByteArray extraHeaders;  // whole lines, each ending in CR LF
};

WebServer::WebServer(const QString& dataFolder, QObject* parent)
    : QAbstractHttpServer(parent), m_reader(dataFolder), m_settings(settingsFilePath()) {
    m_monotonic.start();
}

void WebServer::openConnections() {
    if (!m_paused) (void)m_reader.open();
}

void WebServer::closeConnections() {
    m_paused = true;
    m_reader.close();
    dropKept();
    m_stamps.reset();
}

void WebServer::resumeConnections() {
    m_paused = false;
    openConnections();
}

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    if (socket->state() != QAbstractSocket::ConnectedState) return true;  // closed meanwhile
    if (m_listener) {
        m_listener->requestRead(socket);
        if (m_listener->unsent(socket) > m_listener->limits().maxUnsentBytes) {
            socket->abort();  // asks and asks without reading: the answers would pile up here
            return true;
        }
    }
    readSettingsWhenChanged();
    m_now = appClock().now();
    const QByteArray address = clientAddress(socket);
    if (const auto wait = blockedSeconds(address)) {
        respond(request, socket,
                {kTooManyFailures, kText, TooManyRequests,
                 "Retry-After: " + QByteArray::number(*wait) + "\r\n"});
        return true;
    }
    if (!authorized(request)) {
        // A request without any token is a browser about to ask its user, not a guess.
        if (!request.value("Authorization").isEmpty()) noteFailedToken(address);
        respond(request, socket,
                {kTokenRequired, kText, Unauthorized,
                 QByteArrayLiteral("WWW-Authenticate: Basic realm=\"Tallyport\"\r\n")});
        return true;
    }
    if (busy(request)) {
        respond(request, socket,
                {kBusy, kText, ServiceUnavailable,
                 "Retry-After: " + QByteArray::number(kBusyRetrySeconds) + "\r\n"});
        return true;
    }
    respond(request, socket, request.url().path() == kApiLogsPath ? api(request) : page(request));
    return true;
}

// A small answer goes out in one write: one segment on the wire for a page, and no wait for
// the client's acknowledgement between the head and the body. A large one goes out as the
// client takes it, from the kept page itself.
void WebServer::respond(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply) {
    qint64 length = 0;
    for (const QByteArray& part : reply.body) length += part.size();
    QByteArray out = statusLine(reply.status);
    out += "Content-Type: " + reply.type + "\r\nContent-Length: " + QByteArray::number(length) +
           "\r\nCache-Control: no-store\r\n" + reply.extraHeaders + "\r\n";
    QList<QByteArray> parts;
    if (request.method() != QHttpServerRequest::Method::Head) {
        for (const QByteArray& part : reply.body) {
            if (part.size() < kSmallPart) {
                out += part;
                continue;
            }
            parts << out << part;  // a kept page's body is not copied
            out.clear();
        }
    }
    parts << out;
    const QByteArray connection = request.value("Connection").toLower();
    const bool close = connection == "close" || (m_listener && m_listener->askedInHttp10(socket) &&
                                                 connection != "keep-alive");
    if (m_listener) {
        m_listener->send(socket, parts, close);
        return;
    }
    for (const QByteArray& part : parts) socket->write(part);
    if (close) socket->disconnectFromHost();
}

void WebServer::missingHandler(const QHttpServerRequest&, QTcpSocket*) {}

// Past the bound of what waits for all connections, large answers wait; one of a few rows is a
// few kilobytes (all connections together stay small), so a browser asking for an ordinary
// page is not turned away because other clients asked for large ones and do not read them.
bool WebServer::busy(const QHttpServerRequest& request) const {
    if (!m_listener || m_listener->unsentTotal() <= m_listener->limits().maxUnsentTotal)
        return false;
    const QUrl url = request.url();
    if (url.path() == kApiLogsPath) {
        const auto filter = parseApiQuery(QUrlQuery(url));
        return filter && filter->rows > kSmallAnswerRows;
    }
    const PageRequest r = parsePageRequest(
        url.path(), positionalParameters(url.hasQuery(), url.query(QUrl::FullyDecoded)));
    return !r.tooMany && r.limit > kSmallAnswerRows;
}

bool WebServer::authorized(const QHttpServerRequest& request) const {
    return m_token.isEmpty() || sameBytes(carriedToken(request.value("Authorization")), m_token);
}

void WebServer::readSettingsWhenChanged() {
    if (!m_settings.changed()) return;
    m_title = ReadSettingText(setting::WebTitle, kDefaultWebTitle);
    dropKept();  // kept heads hold the title
    m_token = webToken().toUtf8();
}

std::optional<int> WebServer::blockedSeconds(const QByteArray& address) {
    const auto it = m_failures.constFind(address);
    const qint64 now = m_monotonic.elapsed();
    if (it == m_failures.cend() || it->blockedUntilMs <= now) return std::nullopt;
    return int((it->blockedUntilMs - now + 999) / 1000);
}

void WebServer::noteFailedToken(const QByteArray& address) {
    const qint64 now = m_monotonic.elapsed();
    if (m_failures.size() >= kMaxTrackedAddresses) {
        m_failures.removeIf([now](const auto& f) {
            return f.value().blockedUntilMs <= now && now - f.value().sinceMs >= kFailureWindowMs;
        });
    }
    Failures& f = m_failures[address];
    if (now - f.sinceMs >= kFailureWindowMs || f.count == 0) f = {now, 0, 0};
    if (++f.count >= kMaxFailedTokens) {
        f.blockedUntilMs = now + kBlockedMs;
        f.count = 0;
    }
}

void WebServer::keep(const QByteArray& key, QByteArray head, QByteArray tail) {
    const qint64 size = head.size() + tail.size();
    while (!m_cacheOrder.isEmpty() && m_cacheBytes + size > kKeptBytes) {
        const auto it = m_cache.constFind(m_cacheOrder.takeFirst());
        m_cacheBytes -= it->head.size() + it->tail.size();
        m_cache.erase(it);
    }
    if (size > kKeptBytes) return;
    m_cache.insert(key, Kept{std::move(head), std::move(tail)});
    m_cacheOrder << key;
    m_cacheBytes += size;
}

void WebServer::dropKept() {
    m_cache.clear();
    m_cacheOrder.clear();
    m_cacheBytes = 0;
}

// A kept page is its head and its tail around the current time. A page that cannot be
// completed from the store still ends as a page: the list is closed and the footer follows.
WebServer::Reply WebServer::page(const QHttpServerRequest& request) {
    const QUrl url = request.url();
    auto fresh = checkStamps();
    const QByteArray key =
        url.path(QUrl::FullyEncoded).toUtf8() + '?' + url.query(QUrl::FullyEncoded).toUtf8();
    if (fresh) {
        if (auto it = m_cache.constFind(key); it != m_cache.cend())
            return {{it->head, opening(), it->tail}, kHtml};
    }
    const PageRequest r = parsePageRequest(
        url.path(), positionalParameters(url.hasQuery(), url.query(QUrl::FullyDecoded)));
    if (r.tooMany) return {kTooManyRows.toUtf8() + '\n', kText, BadRequest};
    const bool monitor = r.kind == PageKind::Monitor;
    const QByteArray head = pageHead(m_title, monitor ? std::optional(r.refresh) : std::nullopt);
    auto list = fresh ? records(r) : std::unexpected(fresh.error());
    if (!list) {
        noteFailure(list.error());
        return {head + opening() + pageTableEnd() + pageFooter(), kHtml, InternalServerError};
    }
    m_lastFailure.clear();
    const QByteArray tail = *list + pageFooter();
    keep(key, head, tail);
    return {{head, opening(), tail}, kHtml};
}

WebServer::Reply WebServer::api(const QHttpServerRequest& request) {
    auto filter = parseApiQuery(QUrlQuery(request.url()));
    if (!filter) return {apiErrorJson(filter.error().text), kJson, BadRequest};
    const QByteArray key = apiKey(*filter);
    auto fresh = checkStamps();
    if (fresh) {
        if (auto it = m_cache.constFind(key); it != m_cache.cend()) return {it->tail, kJson};
        auto set = m_reader.records(*filter);
        if (set) {
            m_lastFailure.clear();
            const QByteArray json = apiRecordsJson(set->rows);
            keep(key, {}, json);
            return {json, kJson};
        }
        fresh = std::unexpected(set.error());
    }
    noteFailure(fresh.error());
    return {apiErrorJson(QStringLiteral("The log cannot be read: ") + fresh.error().text), kJson,
            InternalServerError};
}

Result<QByteArray> WebServer::records(const PageRequest& r) {
    auto filter = pageFilter(r);
    if (!filter) return std::unexpected(filter.error());
    auto set = m_reader.records(*filter);
    if (!set) return std::unexpected(set.error());
    return pageRecords(set->found, r.limit, set->rows);
}

Result<RecordFilter> WebServer::pageFilter(const PageRequest& r) {
    RecordFilter f;
    f.rows = r.limit;
    if (r.kind == PageKind::Today || r.kind == PageKind::Monitor) f.from = f.to = m_day;
    if (r.kind == PageKind::Person && !r.person.isEmpty()) {
        std::optional<int> card = wholeNumber(r.person);
        if (!card) {
            auto byName = m_reader.cardByName(r.person);
            if (!byName) return std::unexpected(byName.error());
            card = *byName;
        }
        if (*card >= 1) f.card = *card;
    }
    return f;
}

// Kept parts are dropped once another connection committed to a file or the day changed.
Result<void> WebServer::checkStamps() {
    if (m_paused) return fail(QStringLiteral("The databases are closed for maintenance."));
    auto stamps = m_reader.stamps();
    if (!stamps) return std::unexpected(stamps.error());
    const QDate today = m_now.date();
    if (m_stamps != *stamps || m_day != today) {
        dropKept();
        m_stamps = *stamps;
        m_day = today;
    }
    return {};
}

void WebServer::noteFailure(const Error& e) {
    if (m_paused || e.text == m_lastFailure) return;
    m_lastFailure = e.text;
    Q_EMIT storeFailed(e.text);
}

const QByteArray& WebServer::opening() {
    // Date and time of day compare without a time-zone lookup.
    if (m_now.date() != m_openingDay || m_now.time().second() != m_openingTime.second() ||
        m_now.time().minute() != m_openingTime.minute() ||
        m_now.time().hour() != m_openingTime.hour()) {
        m_opening = pageOpening(m_now);
        m_openingDay = m_now.date();
        m_openingTime = m_now.time();
    }
    return m_opening;
}

}  // namespace tallyport
