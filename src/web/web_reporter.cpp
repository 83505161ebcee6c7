#include "web/web_reporter.h"

#include "store/setting_names.h"
#include "store/settings.h"
#include "web/web_listener.h"
#include "web/web_server.h"
#include "web/web_settings.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QMetaObject>

namespace tallyport {
namespace {

// The server's thread yields to the reader path: under load from many browsers it still takes
// what the processor has to spare, but a card frame is never kept waiting behind a page.
constexpr int kServerNice = 10;

}  // namespace

QString webListenFailure(int port, QAbstractSocket::SocketError error, const QString& reason) {
    QString text =
        QStringLiteral("The Web Reporter cannot listen on port %1: %2.").arg(port).arg(reason);
    if (error == QAbstractSocket::SocketAccessError && port < 1024)
        text += QStringLiteral(
            " On Linux only a program with administrator privileges may listen on a port below "
            "1024: choose a port such as 8080 in Setup > Web Reporter (Port No.) and browse to "
            "http://ADDRESS:8080/.");
    else if (error == QAbstractSocket::AddressInUseError)
        text += QStringLiteral(
            " Another program already listens there: choose another port in "
            "Setup > Web Reporter (Port No.).");
    return text;
}

WebReporter::WebReporter(QString dataFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(dataFolder)) {
    m_thread.setObjectName(QStringLiteral("web reporter"));
    m_anchor = new QObject;
    m_anchor->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(m_anchor, [] {
        (void)::setpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid)), kServerNice);
    });
}

WebReporter::~WebReporter() {
    stop();
    m_thread.quit();
    m_thread.wait();
    delete m_anchor;
}

// Runs f on the server's thread and returns when it is done. The server's thread never waits
// for this one, so this cannot deadlock; a request in progress delays it by that request.
template <typename F>
void WebReporter::onServerThread(F&& f) {
    QMetaObject::invokeMethod(m_anchor, std::forward<F>(f), Qt::BlockingQueuedConnection);
}

Result<quint16> WebReporter::start(int port) {
    stop();
    if (port < 0 || port > 65535)
        return fail(webListenFailure(port, QAbstractSocket::UnknownSocketError,
                                     QStringLiteral("no such port")));
    auto tls = webTlsConfiguration();
    if (!tls) return std::unexpected(tls.error());
    QString failure;
    onServerThread([&] {
        auto* server = new WebServer(m_folder);
        auto* tcp = new WebListener(m_limits, server);
        if (*tls) tcp->setTls(**tls);
        if (!tcp->listen(QHostAddress::Any, quint16(port))) {
            failure = webListenFailure(port, tcp->serverError(), tcp->errorString());
            delete server;
            return;
        }
        server->bind(tcp);
        server->setListener(tcp);
        m_server = server;
        m_port = tcp->serverPort();
    });
    if (!failure.isEmpty()) return fail(failure);
    connect(m_server, &WebServer::storeFailed, this, &WebReporter::storeFailed);
    // The keyed opens take a moment: they run after this call has returned.
    QMetaObject::invokeMethod(m_server, &WebServer::openConnections, Qt::QueuedConnection);
    Q_EMIT stateChanged((*tls ? QStringLiteral("Web Reporter listening on port %1 (HTTPS)")
                              : QStringLiteral("Web Reporter listening on port %1"))
                            .arg(m_port));
    return m_port;
}

void WebReporter::stop() {
    if (!m_server) return;
    onServerThread([this] {
        delete m_server;
        m_server = nullptr;
    });
    m_port = 0;
    Q_EMIT stateChanged(QStringLiteral("Web Reporter stopped"));
}

Result<void> WebReporter::applySettings() {
    stop();
    if (!ReadSettingBool(setting::WebEnabled, false)) return {};
    auto started = start(ReadSettingInt(setting::WebPortNo, kDefaultWebPort));
    if (!started) return std::unexpected(started.error());
    return {};
}

void WebReporter::closeConnections() {
    if (m_server) onServerThread([this] { m_server->closeConnections(); });
}

void WebReporter::reopenConnections() {
    if (m_server)
        QMetaObject::invokeMethod(m_server, &WebServer::resumeConnections, Qt::QueuedConnection);
}

}  // namespace tallyport
