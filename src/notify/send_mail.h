#pragma once

#include "base/error.h"

#include <QString>
#include <QStringList>
#include <atomic>

namespace tallyport {

// Where the mail goes and how the console signs in.
struct MailServer {
    QString host;
    int port = 25;
    // STARTTLS is used whenever the server offers it; on, it is required. A user's password is
    // never sent over a connection that is not encrypted, whatever this says.
    bool startTls = false;
    QString user;  // empty: no authentication
    QString password;
    QString caFile;  // PEM: an authority trusted beside the system's own
};

inline const QString kNoEncryptionForPassword =
    QStringLiteral("The mail server offers no encryption; the password was not sent.");
inline const QString kNoEncryptionRequired =
    QStringLiteral("The mail server offers no encryption, which the settings require (STARTTLS).");

// One queued event as a message.
struct MailMessage {
    QString sender;
    QStringList recipients;
    QString subject;
    QString body;        // lines separated by "\n"
    QString attachment;  // attached when it names an existing file
};

// Hands one message to the server over SMTP (MIME: the text, and the attachment when its file
// exists). The addresses are checked first: one that is not a mailbox is refused, named.
// Answers once the server has accepted it, with the server's last answer in `answer`; an
// unreachable server (3 s to connect), a refused sender or recipient, a failed sign-in or a server
// that stops answering is the error, with the reason. Blocks for as long as the server takes: call
// it off the user-interface thread. `abort`, when set from another thread, ends a send in progress
// as a failure.
Result<void> SendMail(const MailServer& server, const MailMessage& mail,
                      const std::atomic<bool>* abort = nullptr, QString* answer = nullptr);

}  // namespace tallyport
