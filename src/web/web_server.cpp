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

enum Status { Ok = 200, BadRequest = 400, Unauthorized = 401, InternalServerError = 500 };

QByteArray statusLine(int status) {
    switch (status) {
        case Ok:
            return "HTTP/1.1 200 OK\r\n";
        case BadRequest:
            return "HTTP/1.1 400 Bad Request\r\n";
        case Unauthorized:
            return "HTTP/1.1 401 Unauthorized\r\n";
        default:
            return "HTTP/1.1 500 Internal Server Error\r\n";
    }
}

constexpr qsizetype kKeptPages = 256;  // distinct requests kept at once; more start afresh

const QByteArray kHtml = QByteArrayLiteral("text/html; charset=utf-8");
const QByteArray kJson = QByteArrayLiteral("application/json");

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
    Reply(QByteArray b, QByteArray t, int s = Ok, QByteArray extra = {})
        : body(std::move(b)), type(std::move(t)), status(s), extraHeaders(std::move(extra)) {}
    QByteArray body;
    QByteArray type;
    int status;
    QByteArray extraHeaders;  // whole lines, each ending in CR LF
};

WebServer::WebServer(const QString& dataFolder, QObject* parent)
    : QAbstractHttpServer(parent), m_reader(dataFolder), m_settings(settingsFilePath()) {}

void WebServer::openConnections() {
    if (!m_paused) (void)m_reader.open();
}

void WebServer::closeConnections() {
    m_paused = true;
    m_reader.close();
    m_cache.clear();
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
        if (socket->bytesToWrite() > m_listener->limits().maxUnsentBytes) {
            socket->abort();  // asks and asks without reading: the answers would pile up here
            return true;
        }
    }
    readSettingsWhenChanged();
    m_now = appClock().now();
    if (!authorized(request)) {
        respond(request, socket,
                {QByteArrayLiteral("A valid access token is required.\n"),
                 QByteArrayLiteral("text/plain; charset=utf-8"), Unauthorized,
                 QByteArrayLiteral("WWW-Authenticate: Basic realm=\"Tallyport\"\r\n")});
        return true;
    }
    respond(request, socket, request.url().path() == kApiLogsPath ? api(request) : page(request));
    return true;
}

// The whole answer in one write: one segment on the wire for a page, and no wait for the
// client's acknowledgement between the head and the body.
void WebServer::respond(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply) {
    QByteArray out = statusLine(reply.status);
    out.reserve(out.size() + 128 + reply.body.size());
    out += "Content-Type: " + reply.type +
           "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
           "\r\nCache-Control: no-store\r\n" + reply.extraHeaders + "\r\n";
    if (request.method() != QHttpServerRequest::Method::Head) out += reply.body;
    socket->write(out);
    socket->flush();  // now, rather than from the event loop's next turn
    const QByteArray connection = request.value("Connection").toLower();
    if (connection == "close" ||
        (m_listener && m_listener->askedInHttp10(socket) && connection != "keep-alive"))
        socket->disconnectFromHost();
}

void WebServer::missingHandler(const QHttpServerRequest&, QTcpSocket*) {}

bool WebServer::authorized(const QHttpServerRequest& request) const {
    return m_token.isEmpty() || sameBytes(carriedToken(request.value("Authorization")), m_token);
}

void WebServer::readSettingsWhenChanged() {
    if (!m_settings.changed()) return;
    m_title = ReadSettingText(setting::WebTitle, kDefaultWebTitle);
    m_cache.clear();  // kept heads hold the title
    m_token = ReadSettingText(setting::WebToken, QString()).trimmed().toUtf8();
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
            return {it->head + opening() + it->tail, kHtml};
    }
    const PageRequest r = parsePageRequest(
        url.path(), positionalParameters(url.hasQuery(), url.query(QUrl::FullyDecoded)));
    const bool monitor = r.kind == PageKind::Monitor;
    const QByteArray head = pageHead(m_title, monitor ? std::optional(r.refresh) : std::nullopt);
    auto list = fresh ? records(r) : std::unexpected(fresh.error());
    if (!list) {
        noteFailure(list.error());
        return {head + opening() + pageTableEnd() + pageFooter(), kHtml, InternalServerError};
    }
    m_lastFailure.clear();
    if (m_cache.size() >= kKeptPages) m_cache.clear();
    const Kept& kept = *m_cache.insert(key, Kept{head, *list + pageFooter()});
    return {kept.head + opening() + kept.tail, kHtml};
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
            if (m_cache.size() >= kKeptPages) m_cache.clear();
            m_lastFailure.clear();
            return {m_cache.insert(key, Kept{{}, apiRecordsJson(set->rows)})->tail, kJson};
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
        m_cache.clear();
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
