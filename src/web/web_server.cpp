#include "web/web_server.h"

#include "base/clock.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "web/web_api.h"
#include "web/web_page.h"
#include "web/web_settings.h"

#include <sys/stat.h>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>

namespace tallyport {
namespace {

using Status = QHttpServerResponder::StatusCode;

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

// Identity of the settings file as it is now: it changes whenever the file is written.
QByteArray fileState(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return QByteArrayLiteral("absent");
    return QByteArray::number(qint64(st.st_ino)) + ':' + QByteArray::number(qint64(st.st_size)) +
           ':' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + ':' +
           QByteArray::number(qint64(st.st_mtim.tv_nsec));
}

QByteArray pageKey(const PageRequest& r) {
    return QByteArray::number(int(r.kind)) + '\x1f' + QByteArray::number(r.limit) + '\x1f' +
           r.person.toUtf8();
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
    QByteArray body;
    QByteArray type;
    Status status = Status::Ok;
};

WebServer::WebServer(const QString& dataFolder, QObject* parent)
    : QAbstractHttpServer(parent),
      m_reader(dataFolder),
      m_settingsPath(QFile::encodeName(settingsFilePath())) {}

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
    readSettingsWhenChanged();
    auto responder = makeResponder(request, socket);
    if (!authorized(request)) {
        responder.write(QByteArrayLiteral("A valid access token is required.\n"),
                        {{"Content-Type", "text/plain; charset=utf-8"},
                         {"WWW-Authenticate", "Basic realm=\"Tallyport\""}},
                        Status::Unauthorized);
        return true;
    }
    const Reply reply = request.url().path() == kApiLogsPath ? api(request) : page(request);
    responder.write(reply.body, {{"Content-Type", reply.type}, {"Cache-Control", "no-store"}},
                    reply.status);
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest&, QTcpSocket*) {}

bool WebServer::authorized(const QHttpServerRequest& request) const {
    return m_token.isEmpty() || sameBytes(carriedToken(request.value("Authorization")), m_token);
}

void WebServer::readSettingsWhenChanged() {
    QByteArray state = fileState(m_settingsPath);
    if (state == m_settingsState) return;
    m_settingsState = std::move(state);
    m_title = ReadSettingText(setting::WebTitle, kDefaultWebTitle);
    m_token = ReadSettingText(setting::WebToken, QString()).trimmed().toUtf8();
}

// A page that cannot be completed from the store still ends as a page: the list is closed and
// the footer follows.
WebServer::Reply WebServer::page(const QHttpServerRequest& request) {
    const QUrl& url = request.url();
    const PageRequest r = parsePageRequest(
        url.path(), positionalParameters(url.hasQuery(), url.query(QUrl::FullyDecoded)));
    const bool monitor = r.kind == PageKind::Monitor;
    Reply reply{pageHead(m_title, monitor ? std::optional(r.refresh) : std::nullopt), kHtml};
    reply.body += opening();
    auto list = records(r);
    if (list) {
        reply.body += *list;
    } else {
        noteFailure(list.error());
        reply.body += pageTableEnd();
        reply.status = Status::InternalServerError;
    }
    reply.body += pageFooter();
    return reply;
}

WebServer::Reply WebServer::api(const QHttpServerRequest& request) {
    auto filter = parseApiQuery(QUrlQuery(request.url()));
    if (!filter) return {apiErrorJson(filter.error().text), kJson, Status::BadRequest};
    const QByteArray key = apiKey(*filter);
    auto fresh = checkStamps();
    if (fresh) {
        if (auto it = m_cache.constFind(key); it != m_cache.cend()) return {*it, kJson};
        auto set = m_reader.records(*filter);
        if (set) {
            if (m_cache.size() >= kKeptPages) m_cache.clear();
            m_lastFailure.clear();
            return {*m_cache.insert(key, apiRecordsJson(set->rows)), kJson};
        }
        fresh = std::unexpected(set.error());
    }
    noteFailure(fresh.error());
    return {apiErrorJson(QStringLiteral("The log cannot be read: ") + fresh.error().text), kJson,
            Status::InternalServerError};
}

Result<QByteArray> WebServer::records(const PageRequest& r) {
    if (auto fresh = checkStamps(); !fresh) return std::unexpected(fresh.error());
    const QByteArray key = pageKey(r);
    if (auto it = m_cache.constFind(key); it != m_cache.cend()) return *it;
    auto filter = pageFilter(r);
    if (!filter) return std::unexpected(filter.error());
    auto set = m_reader.records(*filter);
    if (!set) return std::unexpected(set.error());
    if (m_cache.size() >= kKeptPages) m_cache.clear();
    m_lastFailure.clear();
    return *m_cache.insert(key, pageRecords(set->found, r.limit, set->rows));
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
    const QDate today = appClock().now().date();
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
    const QDateTime now = appClock().now();
    const qint64 second = now.toSecsSinceEpoch();
    if (second != m_openingSecond) {
        m_opening = pageOpening(now);
        m_openingSecond = second;
    }
    return m_opening;
}

}  // namespace tallyport
