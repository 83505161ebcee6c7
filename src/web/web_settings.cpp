#include "web/web_settings.h"

#include "store/setting_names.h"
#include "store/settings.h"

#include <QHostInfo>
#include <QNetworkInterface>

namespace tallyport {

WebSettings loadWebSettings() {
    WebSettings s;
    s.enabled = ReadSettingBool(setting::WebEnabled, false);
    s.title = ReadSettingText(setting::WebTitle, kDefaultWebTitle);
    s.port = ReadSettingInt(setting::WebPortNo, kDefaultWebPort);
    s.token = ReadSettingText(setting::WebToken, QString());
    return s;
}

void storeWebSettings(const WebSettings& s) {
    WriteSettingBool(setting::WebEnabled, s.enabled);
    WriteSettingText(setting::WebTitle, s.title);
    WriteSettingInt(setting::WebPortNo, s.port);
    WriteSettingText(setting::WebToken, s.token.trimmed());
}

QStringList machineIPv4Addresses() {
    QStringList out;
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) out << a.toString();
    return out;
}

QString webEnabledInformation() {
    const QStringList addresses = machineIPv4Addresses();
    return kWebEnabledInfo + (addresses.isEmpty() ? QHostInfo::localHostName()
                                                  : addresses.join(QStringLiteral(", ")));
}

}  // namespace tallyport
