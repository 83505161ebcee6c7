#pragma once

#include <QString>
#include <optional>

namespace tallyport {

// Secrets the service manager hands the console ("LoadCredential=NAME:PATH"): files in
// $CREDENTIALS_DIRECTORY, readable by this process only. They stand in for the stored values,
// which then need not hold the secret at all.
inline const QString kWebTokenCredential = QStringLiteral("web-token");
inline const QString kSmtpPasswordCredential = QStringLiteral("smtp-password");

// The credential's text without its final line break; nothing when the service manager gave
// none of that name.
std::optional<QString> serviceCredential(const QString& name);

// The settings file holds the web token and the mail user: readable by its owner only, or by
// the folder's group too when the folder is shared by a group (set-group-ID, as the service's
// state folder is). Once set, rewrites of the file keep it.
void keepSettingsFilePrivate();

}  // namespace tallyport
