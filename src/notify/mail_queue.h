#pragma once

#include "base/error.h"
#include "notify/email_settings.h"
#include "notify/send_mail.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>

class QThread;

namespace tallyport {

class DataModule;

inline const QString kEmailSending = QStringLiteral("Email sending: ");
inline const QString kEmailSentError = QStringLiteral("Email sent error.");

// The server and the addresses as stored now, for the next queued message.
MailServer mailServerFromSettings(DataModule& data);
// The server as a settings dialog shows it (its password, or the service's credential).
MailServer mailServerOf(const EmailSettings& e);

inline const QString kTestMailSubject = QStringLiteral("Tallyport test mail");
inline const QString kTestMailBody =
    QStringLiteral("This message was sent to test the console's e-mail settings.");
inline const QString kTestMailSent =
    QStringLiteral("The test mail was sent. The server answered: %1");
// Sends one test message now (blocking: off the user-interface thread in a window); what the
// server answered, or why it was not sent.
Result<QString> sendTestMail(const MailServer& server, const QString& sender,
                             const QStringList& recipients);

// Mails the queue table `emails`, oldest row first, one message per row. The sending timer
// `emailtimer` starts a run; a run sends row after row until the queue is empty or a send
// fails, then sets the timer up again. Each send runs on a worker (the SMTP dialogue blocks);
// the row is deleted here, on the thread that owns the system database's connection, and only
// after the server accepted its message. A failed send keeps its row and ends the run: the
// next run starts again with it. The row deleted is the one sent, compared in full: while the
// databases are closed for maintenance the deletion waits for the next run, and a file put
// back from a backup may hold another message under the same number.
class MailQueue : public QObject {
    Q_OBJECT
public:
    explicit MailQueue(DataModule& data, QObject* parent = nullptr);
    ~MailQueue() override;

    // Interval from "EmailIntervals" (minutes; every second when 0), running exactly while
    // "EmailEnabled" is on. At start-up, after the settings dialog, and after every run.
    void configureTimer();
    // One run; nothing when a run is already going.
    void emailtimerTimer();
    // Shutdown: no further run; a send in progress is ended and waited for (its row stays).
    void stop();

    QTimer& emailtimer() { return m_timer; }
    bool running() const { return m_running; }
    // The status bar's text: "Email sending: TITLE", "Email sent error." or empty.
    const QString& statusText() const { return m_status; }

Q_SIGNALS:
    void statusChanged(const QString& text);
    // The server accepted the message of this subject and its row is gone.
    void mailSent(const QString& subject);
    // A send failed: the server's or the network's reason (the status only says it failed).
    // Said once until a send succeeds or the reason changes, so a server that stays away
    // does not fill a log every second.
    void sendFailed(const QString& reason);
    // A run ended: how many rows went out, and whether a failure ended it.
    void runFinished(int sent, bool failed);

private:
    struct Pending;
    void sendNext();
    void onSent();
    bool forgetSent();
    void finish(bool failed);
    void setStatus(const QString& text);

    DataModule& m_data;
    QTimer m_timer;
    std::unique_ptr<Pending> m_pending;
    std::unique_ptr<Pending> m_sent;  // accepted by the server, its row not yet deleted
    QThread* m_worker = nullptr;
    std::atomic<bool> m_abort{false};
    bool m_running = false;
    bool m_stopped = false;
    int m_sentCount = 0;
    QString m_status;
    QString m_lastFailure;
};

}  // namespace tallyport
