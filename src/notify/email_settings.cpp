#include "notify/email_settings.h"

#include "notify/mail_address.h"
#include "notify/service_credentials.h"
#include "store/data_module.h"
#include "store/passwd.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QRegularExpression>
#include <algorithm>
#include <climits>

namespace tallyport {

EmailSettings loadEmailSettings(DataModule& data) {
    EmailSettings s;
    s.enabled = ReadSettingBool(setting::EmailEnabled, false);
    s.staffOnly = ReadSettingBool(setting::EmailStaffOnly, true);
    s.server = ReadSettingText(setting::EmailSmtpServer, QString());
    s.recipients = ReadSettingText(setting::EmailRecipant, QString());
    s.sender = ReadSettingText(setting::EmailSender, QString());
    s.intervalMinutes = ReadSettingInt(setting::EmailIntervals, kDialogDefaultInterval);
    s.sendCapture = ReadSettingBool(setting::EmailSendCapture, false);
    s.port = ReadSettingInt(setting::EmailSmtpPort, kDefaultSmtpPort);
    s.startTls = ReadSettingBool(setting::EmailStartTls, false);
    s.user = ReadSettingText(setting::EmailUser, QString());
    const auto [found, stored] = data.GetKeyValue(kSmtpPasswordKey);
    if (found) s.password = UnscramblePassword(stored).value_or(QString());
    return s;
}

// A recipient text of separators only names nobody: every send would fail.
std::optional<EmailRefusal> checkEmailSettings(EmailSettings& s) {
    s.server = s.server.trimmed();
    if (s.server.isEmpty()) return EmailRefusal{EmailField::Server, kSmtpServerInvalid};
    s.recipients = s.recipients.trimmed();
    const QStringList recipients = recipientAddresses(s.recipients);
    if (recipients.isEmpty()) return EmailRefusal{EmailField::Recipients, kRecipientsInvalid};
    for (const QString& r : recipients)
        if (!parseMailAddress(r))
            return EmailRefusal{
                EmailField::Recipients,
                kRecipientsInvalid + QStringLiteral(" (\"%1\")").arg(r.simplified())};
    s.sender = s.sender.trimmed();
    if (!parseMailAddress(s.sender)) return EmailRefusal{EmailField::Sender, kSenderInvalid};
    return std::nullopt;
}

Result<void> storeEmailSettings(DataModule& data, const EmailSettings& s) {
    WriteSettingBool(setting::EmailEnabled, s.enabled);
    WriteSettingBool(setting::EmailStaffOnly, s.staffOnly);
    WriteSettingText(setting::EmailSmtpServer, s.server);
    WriteSettingText(setting::EmailRecipant, s.recipients);
    WriteSettingText(setting::EmailSender, s.sender);
    WriteSettingInt(setting::EmailIntervals, s.intervalMinutes);
    WriteSettingBool(setting::EmailSendCapture, s.sendCapture);
    WriteSettingInt(setting::EmailSmtpPort, s.port);
    WriteSettingBool(setting::EmailStartTls, s.startTls);
    WriteSettingText(setting::EmailUser, s.user.trimmed());
    keepSettingsFilePrivate();
    return data.storeKeyValue(kSmtpPasswordKey, ScramblePassword(s.password));
}

QStringList recipientAddresses(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[;,]"));
    QStringList out;
    for (const QString& part : text.split(separators))
        if (const QString a = part.trimmed(); !a.isEmpty()) out << a;
    return out;
}

int emailTimerIntervalMs() {
    const qint64 minutes = ReadSettingInt(setting::EmailIntervals, 0);
    // A hand-edited value beyond what a timer can hold waits as long as a timer can.
    return minutes > 0 ? int(std::min<qint64>(minutes * 60000, INT_MAX)) : 1000;
}

}  // namespace tallyport
