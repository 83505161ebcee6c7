#pragma once

#include "base/error.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tallyport {

class DataModule;

// The SMTP password lives scrambled in the key/value store, never in the settings file.
inline const QString kSmtpPasswordKey = QStringLiteral("SMTPPASS");

inline const QString kSmtpServerInvalid =
    QStringLiteral("The SMTP server entry is invalid. Please re-enter.");
inline const QString kRecipientsInvalid =
    QStringLiteral("The recipant email entry is invalid. Please re-enter.");
inline const QString kSenderInvalid =
    QStringLiteral("The sender email entry is invalid. Please re-enter.");

inline constexpr int kDefaultSmtpPort = 25;
inline constexpr int kDialogDefaultInterval = 30;  // minutes the dialog offers when none stored

// Everything "Email Settings" edits.
struct EmailSettings {
    bool enabled = false;
    bool staffOnly = true;
    QString server;
    QString recipients;  // addresses separated by semicolons
    QString sender;
    int intervalMinutes = kDialogDefaultInterval;  // 0: each record as soon as possible
    bool sendCapture = false;
    int port = kDefaultSmtpPort;
    bool startTls = false;
    QString user;  // empty: no authentication
    QString password;
};

enum class EmailField { Server, Recipients, Sender };

struct EmailRefusal {
    EmailField field;
    QString text;
};

// As stored, with the dialog's defaults (30 minutes while no interval was ever stored).
EmailSettings loadEmailSettings(DataModule& data);
// Trims the three addresses in place; the first one that is refused, with its message. The
// three are required even while mailing is off.
std::optional<EmailRefusal> checkEmailSettings(EmailSettings& s);
// Stores the settings and the scrambled password. The password's failure is the answer; a
// setting that cannot be written is told by the settings store itself.
Result<void> storeEmailSettings(DataModule& data, const EmailSettings& s);

// The addresses of a recipient text: separated by semicolons or commas, blanks dropped.
QStringList recipientAddresses(const QString& text);

// The sending timer: every "EmailIntervals" minutes (default 0), or every second when 0.
int emailTimerIntervalMs();

}  // namespace tallyport
