#include "notify/send_mail.h"

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

// "Name <a@b>" and "a@b" alike give "<a@b>" for the envelope.
QByteArray envelopeAddress(const QString& address) {
    const qsizetype open = address.lastIndexOf(QLatin1Char('<'));
    const qsizetype close = address.lastIndexOf(QLatin1Char('>'));
    const QString bare =
        open >= 0 && close > open ? address.mid(open + 1, close - open - 1) : address;
    return '<' + bare.trimmed().toUtf8() + '>';
}

// A header value: line breaks cannot start a header of their own; text beyond ASCII is
// encoded as the mail standards say.
QByteArray headerText(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    for (const QChar c : text)
        if (c.unicode() > 126) return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
    return text.toLatin1();
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

void addHeaders(StringList& headers, const MailMessage& m) {
    QStringList to;
    for (const QString& r : m.recipients) to << r.trimmed();
    headers.add("Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1());
    headers.add("From: " + headerText(m.sender));
    headers.add("To: " + headerText(to.join(QStringLiteral(", "))));
    headers.add("Subject: " + headerText(m.subject));
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
    curl_easy_setopt(h, CURLOPT_USE_SSL, long(s.startTls ? CURLUSESSL_ALL : CURLUSESSL_NONE));
    if (!user.isEmpty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(h, CURLOPT_PASSWORD, password.constData());
    }
}

}  // namespace

Result<void> SendMail(const MailServer& server, const MailMessage& mail,
                      const std::atomic<bool>* abort) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (mail.recipients.isEmpty()) return fail(QStringLiteral("No recipient."));
    EasyHandle easy;
    if (!easy.h) return fail(QStringLiteral("The mail client could not be created."));
    const QByteArray url = smtpUrl(server), from = envelopeAddress(mail.sender);
    const QByteArray user = server.user.trimmed().toUtf8(), password = server.password.toUtf8();
    setConnection(easy.h, server, url, user, password);
    curl_easy_setopt(easy.h, CURLOPT_MAIL_FROM, from.constData());
    StringList recipients, headers;
    for (const QString& r : mail.recipients) recipients.add(envelopeAddress(r));
    curl_easy_setopt(easy.h, CURLOPT_MAIL_RCPT, recipients.list);
    addHeaders(headers, mail);
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
    char reason[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(easy.h, CURLOPT_ERRORBUFFER, reason);
    const CURLcode rc = curl_easy_perform(easy.h);
    if (rc == CURLE_OK) return {};
    return fail(QString::fromUtf8(reason[0] ? reason : curl_easy_strerror(rc)));
}

}  // namespace tallyport
