#pragma once

#include "base/error.h"

#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <optional>

namespace tallyport {

inline const QString kDefaultWebTitle = QStringLiteral("Tallyport");
inline constexpr int kDefaultWebPort = 80;

inline const QString kWebEnabledInfo = QStringLiteral(
    "Web Reporter features are enabled. You can browse the attendance records by your web "
    "browser. Just for your reference, the IP address of your machine is found as follows: ");

// Everything "Web Reporter" edits.
struct WebSettings {
    bool enabled = false;
    QString title = kDefaultWebTitle;
    int port = kDefaultWebPort;
    QString token;  // empty: every browser may read the pages
};

WebSettings loadWebSettings();
// The token requests must carry: the service's credential "web-token" when it has one, else
// the stored one; empty when none is asked for.
QString webToken();

// A token a person sets must be worth having: at least this many characters, no blanks.
inline constexpr int kMinWebTokenLength = 16;
inline const QString kWebTokenTooShort =
    QStringLiteral(
        "The access token needs at least %1 characters without blanks; use Generate "
        "for a random one.")
        .arg(kMinWebTokenLength);
// Empty (no token) or acceptable; otherwise why not.
Result<void> checkWebToken(const QString& token);
// A new random token: 24 letters and digits from the system's random source.
QString generateWebToken();

// HTTPS: the reporter speaks TLS when "WebCertFile" and "WebKeyFile" are both set (PEM).
// Nothing when neither is; the reason it cannot start when only one is or either cannot be
// read, so that it never answers in plain HTTP where HTTPS was asked for.
Result<std::optional<QSslConfiguration>> webTlsConfiguration();
void storeWebSettings(const WebSettings& s);

// The machine's IPv4 addresses in dotted notation, those of the loopback left out.
QStringList machineIPv4Addresses();
// The information shown when the reporter is switched on: the addresses separated by ", ",
// or the host name when the machine has none.
QString webEnabledInformation();

}  // namespace tallyport
