#pragma once

#include <QString>
#include <QStringList>

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
void storeWebSettings(const WebSettings& s);

// The machine's IPv4 addresses in dotted notation, those of the loopback left out.
QStringList machineIPv4Addresses();
// The information shown when the reporter is switched on: the addresses separated by ", ",
// or the host name when the machine has none.
QString webEnabledInformation();

}  // namespace tallyport
