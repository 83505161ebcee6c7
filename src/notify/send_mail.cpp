#include "notify/send_mail.h"

#include "notify/mail_address.h"

#include <curl/curl.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QUuid>
#include <mutex>

namespace tallyport {
namespace {

constexpr long kConnectTimeoutMs = 3000;
constexpr long kResponseTimeoutS = 30;  // a server that stops answering mid-dialogue
constexpr long kStallTimeoutS = 30;     // no byte moved for this long ends the send

struct EasyHandle {
    CURL* h = curl_easy_init();
    ~EasyHandle() { curl_easy_cleanup(h); }
};

struct StringList {
    curl_slist* list = nullptr;
    void add(const QByteArray& line) { list = curl_slist_append(list, line.constData()); }
    ~StringList() { curl_slist_free_all(list); }
};

struct Mime {
    curl_mime* mime;
    explicit Mime(CURL* h) : mime(curl_mime_init(h)) {}
    ~Mime() { curl_mime_free(mime); }
};

int onProgress(void* abort, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* flag = static_cast<const std::atomic<bool>*>(abort);
    return flag && flag->load() ? 1 : 0;
}

// Where the system keeps its authorities, read beside a private one.
constexpr char kSystemCaFolder[] = "/etc/ssl/certs";

QByteArray envelopeAddress(const MailAddress& m) {
    return '<' + m.address.toLatin1() + '>';
}

// The server's last line: its answer to the last command.
struct Dialogue {
    QByteArray last;
};

int onDebug(CURL*, curl_infotype type, char* data, size_t size, void* dialogue) {
    if (type != CURLINFO_HEADER_IN) return 0;
    QByteArray line(data, qsizetype(size));
    static_cast<Dialogue*>(dialogue)->last = line.trimmed();
    return 0;
}

QByteArray smtpUrl(const MailServer& s) {
    const bool v6 = QHostAddress(s.host).protocol() == QAbstractSocket::IPv6Protocol;
    const QString host = v6 ? QStringLiteral("[%1]").arg(s.host) : s.host;
    // Port 465 speaks TLS from the first byte; every other port starts plain.
    const QString scheme = s.port == 465 ? QStringLiteral("smtps") : QStringLiteral("smtp");
    return QStringLiteral("%1://%2:%3").arg(scheme, host).arg(s.port).toUtf8();
}

const char* attachmentType(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) return "image/jpeg";
    if (suffix == QLatin1String("png")) return "image/png";
    return "application/octet-stream";
}

void addHeaders(StringList& headers, const MailMessage& m, const MailAddress& from,
                const QList<MailAddress>& to) {
    headers.add("Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1());
    headers.add("From: " + mailboxHeader(QStringLiteral("From"), {from}));
    headers.add("To: " + mailboxHeader(QStringLiteral("To"), to));
    headers.add("Subject: " + unstructuredHeader(QStringLiteral("Subject"), m.subject));
    headers.add("Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) +
                "@tallyport>");
}

bool buildBody(Mime& mime, const MailMessage& m, const QByteArray& text) {
    curl_mimepart* part = curl_mime_addpart(mime.mime);
    if (curl_mime_data(part, text.constData(), size_t(text.size())) != CURLE_OK) return false;
    curl_mime_type(part, "text/plain; charset=UTF-8");
    curl_mime_encoder(part, "quoted-printable");
    if (m.attachment.isEmpty() || !QFileInfo(m.attachment).isFile()) return true;
    part = curl_mime_addpart(mime.mime);
    if (curl_mime_filedata(part, QFile::encodeName(m.attachment).constData()) != CURLE_OK)
        return false;
    curl_mime_type(part, attachmentType(m.attachment));
    curl_mime_encoder(part, "base64");
    return true;
}

void setConnection(CURL* h, const MailServer& s, const QByteArray& url, const QByteArray& user,
                   const QByteArray& password) {
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, kResponseTimeoutS);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallTimeoutS);
    // Encrypted whenever the server can; required where a password would be sent.
    const bool required = s.startTls || !user.isEmpty();
    curl_easy_setopt(h, CURLOPT_USE_SSL, long(required ? CURLUSESSL_ALL : CURLUSESSL_TRY));
    if (!s.caFile.trimmed().isEmpty()) {
        curl_easy_setopt(h, CURLOPT_CAINFO, QFile::encodeName(s.caFile.trimmed()).constData());
        curl_easy_setopt(h, CURLOPT_CAPATH, kSystemCaFolder);
    }
    if (!user.isEmpty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(h, CURLOPT_PASSWORD, password.constData());
    }
}

}  // namespace

Result<void> SendMail(const MailServer& server, const MailMessage& mail,
                      const std::atomic<bool>* abort, QString* answer) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (mail.recipients.isEmpty()) return fail(QStringLiteral("No recipient."));
    const auto sender = parseMailAddress(mail.sender);
    if (!sender)
        return fail(QStringLiteral("The sender address \"%1\" is not valid.")
                        .arg(mail.sender.simplified()));
    QList<MailAddress> to;
    for (const QString& r : mail.recipients) {
        const auto m = parseMailAddress(r);
        if (!m)
            return fail(
                QStringLiteral("The recipient address \"%1\" is not valid.").arg(r.simplified()));
        to << *m;
    }
    EasyHandle easy;
    if (!easy.h) return fail(QStringLiteral("The mail client could not be created."));
    const QByteArray url = smtpUrl(server), from = envelopeAddress(*sender);
    const QByteArray user = server.user.trimmed().toUtf8(), password = server.password.toUtf8();
    setConnection(easy.h, server, url, user, password);
    curl_easy_setopt(easy.h, CURLOPT_MAIL_FROM, from.constData());
    StringList recipients, headers;
    for (const MailAddress& r : to) recipients.add(envelopeAddress(r));
    curl_easy_setopt(easy.h, CURLOPT_MAIL_RCPT, recipients.list);
    addHeaders(headers, mail, *sender, to);
    curl_easy_setopt(easy.h, CURLOPT_HTTPHEADER, headers.list);
    Mime mime(easy.h);
    QString text = mail.body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray body = text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toUtf8();
    if (!buildBody(mime, mail, body))
        return fail(QStringLiteral("The message could not be built."));
    curl_easy_setopt(easy.h, CURLOPT_MIMEPOST, mime.mime);
    curl_easy_setopt(easy.h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy.h, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(easy.h, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(abort));
    Dialogue dialogue;
    curl_easy_setopt(easy.h, CURLOPT_DEBUGFUNCTION, &onDebug);
    curl_easy_setopt(easy.h, CURLOPT_DEBUGDATA, &dialogue);
    curl_easy_setopt(easy.h, CURLOPT_VERBOSE, 1L);
    char reason[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(easy.h, CURLOPT_ERRORBUFFER, reason);
    const CURLcode rc = curl_easy_perform(easy.h);
    if (answer) *answer = QString::fromUtf8(dialogue.last);
    if (rc == CURLE_OK) return {};
    if (rc == CURLE_USE_SSL_FAILED)
        return fail(server.startTls ? kNoEncryptionRequired : kNoEncryptionForPassword);
    QString why = QString::fromUtf8(reason[0] ? reason : curl_easy_strerror(rc));
    if (!dialogue.last.isEmpty() && !why.contains(QString::fromUtf8(dialogue.last)))
        why += QStringLiteral(" (the server said: %1)").arg(QString::fromUtf8(dialogue.last));
    return fail(why);
}

}  // namespace tallyport
