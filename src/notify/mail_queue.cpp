#include "notify/mail_queue.h"

#include "notify/email_settings.h"
#include "notify/service_credentials.h"
#include "store/data_module.h"
#include "store/passwd.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QThread>

namespace tallyport {

struct MailQueue::Pending {
    qint64 seq = 0;
    MailServer server;
    MailMessage mail;
    bool attach = false;
    Result<void> result;
};

MailServer mailServerFromSettings(DataModule& data) {
    MailServer s;
    s.host = ReadSettingText(setting::EmailSmtpServer, QString()).trimmed();
    s.port = ReadSettingInt(setting::EmailSmtpPort, kDefaultSmtpPort);
    s.startTls = ReadSettingBool(setting::EmailStartTls, false);
    s.user = ReadSettingText(setting::EmailUser, QString()).trimmed();
    s.caFile = ReadSettingText(setting::EmailCaFile, QString()).trimmed();
    if (!s.user.isEmpty()) {
        if (auto given = serviceCredential(kSmtpPasswordCredential)) {
            s.password = *given;
        } else {
            const auto [found, stored] = data.GetKeyValue(kSmtpPasswordKey);
            if (found) s.password = UnscramblePassword(stored).value_or(QString());
        }
    }
    return s;
}

MailServer mailServerOf(const EmailSettings& e) {
    MailServer s;
    s.host = e.server.trimmed();
    s.port = e.port;
    s.startTls = e.startTls;
    s.user = e.user.trimmed();
    s.password = e.password;
    if (auto given = serviceCredential(kSmtpPasswordCredential); given && e.password.isEmpty())
        s.password = *given;
    s.caFile = ReadSettingText(setting::EmailCaFile, QString()).trimmed();
    return s;
}

Result<QString> sendTestMail(const MailServer& server, const QString& sender,
                             const QStringList& recipients) {
    MailMessage m;
    m.sender = sender;
    m.recipients = recipients;
    m.subject = kTestMailSubject;
    m.body = kTestMailBody;
    QString answer;
    auto sent = SendMail(server, m, nullptr, &answer);
    if (!sent) return std::unexpected(sent.error());
    return kTestMailSent.arg(answer.isEmpty() ? QStringLiteral("OK") : answer);
}

MailQueue::MailQueue(DataModule& data, QObject* parent) : QObject(parent), m_data(data) {
    m_timer.setObjectName(QStringLiteral("emailtimer"));
    connect(&m_timer, &QTimer::timeout, this, &MailQueue::emailtimerTimer);
}

MailQueue::~MailQueue() {
    stop();
}

// The timer stays off while a run goes on: the run sets it up again when it ends.
void MailQueue::configureTimer() {
    if (m_stopped) return;
    m_timer.setInterval(emailTimerIntervalMs());
    if (!ReadSettingBool(setting::EmailEnabled, false))
        m_timer.stop();
    else if (!m_running)
        m_timer.start();
}

void MailQueue::emailtimerTimer() {
    if (m_running || m_stopped) return;
    m_timer.stop();
    m_running = true;
    m_sentCount = 0;
    sendNext();
}

// The oldest row, with the addresses and the server as stored now. Switching mailing off
// ends the run before the next row.
void MailQueue::sendNext() {
    if (!m_data.isOpen() || !ReadSettingBool(setting::EmailEnabled, false)) return finish(false);
    if (!forgetSent()) return finish(true);
    auto row = m_data.src().queryOne(
        QStringLiteral("SELECT seq, TITLE, MSG, ATTACH FROM emails ORDER BY seq LIMIT 1"),
        [](const Statement& st) {
            auto p = std::make_unique<Pending>();
            p->seq = st.int64(0);
            p->mail.subject = st.text(1);
            p->mail.body = st.text(2);
            p->mail.attachment = st.text(3);
            return p;
        });
    if (!row) {
        m_data.reportFailure(row.error());
        return finish(true);
    }
    if (!*row) return finish(false);
    m_pending = std::move(**row);
    m_pending->server = mailServerFromSettings(m_data);
    // Unticking "Send captured photo" means no photo goes out, queued ones included; the row
    // keeps its path, by which it is deleted once sent.
    m_pending->attach = ReadSettingBool(setting::EmailSendCapture, false);
    m_pending->mail.sender = ReadSettingText(setting::EmailSender, QString()).trimmed();
    m_pending->mail.recipients =
        recipientAddresses(ReadSettingText(setting::EmailRecipant, QString()));
    setStatus(kEmailSending + m_pending->mail.subject);
    Pending* job = m_pending.get();
    const std::atomic<bool>* abort = &m_abort;
    m_worker = QThread::create([job, abort] {
        MailMessage mail = job->mail;
        if (!job->attach) mail.attachment.clear();
        job->result = SendMail(job->server, mail, abort);
    });
    connect(m_worker, &QThread::finished, this, &MailQueue::onSent);
    m_worker->start();
}

void MailQueue::onSent() {
    m_worker->wait();
    m_worker->deleteLater();
    m_worker = nullptr;
    std::unique_ptr<Pending> job = std::move(m_pending);
    if (!job->result) {
        setStatus(kEmailSentError);
        if (job->result.error().text != m_lastFailure) {
            m_lastFailure = job->result.error().text;
            Q_EMIT sendFailed(m_lastFailure);
        }
        return finish(true);
    }
    m_lastFailure.clear();
    ++m_sentCount;
    Q_EMIT mailSent(job->mail.subject);
    m_sent = std::move(job);
    if (m_data.isOpen() && !forgetSent()) return finish(true);
    setStatus(QString());
    sendNext();
}

// Accepted by the server: the row goes, or the next run would send it again.
bool MailQueue::forgetSent() {
    if (!m_sent) return true;
    const auto gone = m_data.src().run(
        QStringLiteral("DELETE FROM emails WHERE seq = ? AND TITLE = ? AND MSG = ? AND ATTACH = ?"),
        m_sent->seq, m_sent->mail.subject, m_sent->mail.body, m_sent->mail.attachment);
    if (!gone) {
        m_data.reportFailure(gone.error());
        return false;
    }
    m_sent.reset();
    return true;
}

void MailQueue::finish(bool failed) {
    m_running = false;
    configureTimer();
    Q_EMIT runFinished(m_sentCount, failed);
}

void MailQueue::stop() {
    m_stopped = true;
    m_timer.stop();
    if (m_worker) {
        m_abort = true;
        disconnect(m_worker, nullptr, this, nullptr);
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
    }
    m_pending.reset();
    if (m_data.isOpen()) forgetSent();
    m_running = false;
}

void MailQueue::setStatus(const QString& text) {
    if (text == m_status) return;
    m_status = text;
    Q_EMIT statusChanged(text);
}

}  // namespace tallyport
