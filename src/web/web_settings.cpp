#include "web/web_settings.h"

#include "notify/service_credentials.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QFile>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <QSslKey>

namespace tallyport {

WebSettings loadWebSettings() {
    WebSettings s;
    s.enabled = ReadSettingBool(setting::WebEnabled, false);
    s.title = ReadSettingText(setting::WebTitle, kDefaultWebTitle);
    s.port = ReadSettingInt(setting::WebPortNo, kDefaultWebPort);
    s.token = ReadSettingText(setting::WebToken, QString());
    return s;
}

QString webToken() {
    return serviceCredential(kWebTokenCredential)
        .value_or(ReadSettingText(setting::WebToken, QString()))
        .trimmed();
}

Result<void> checkWebToken(const QString& token) {
    const QString t = token.trimmed();
    if (t.isEmpty()) return {};
    if (t.size() < kMinWebTokenLength) return fail(kWebTokenTooShort);
    for (const QChar c : t)
        if (c.isSpace() || c.category() == QChar::Other_Control) return fail(kWebTokenTooShort);
    return {};
}

QString generateWebToken() {
    static const QString alphabet =
        QStringLiteral("ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789");
    QString out;
    for (int i = 0; i < 24; ++i)
        out += alphabet[int(QRandomGenerator::system()->bounded(quint32(alphabet.size())))];
    return out;
}

namespace {

Result<QByteArray> readPem(const QString& what, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("The Web Reporter cannot read its %1 %2: %3. It was not "
                                   "started (not in plain HTTP either).")
                        .arg(what, path, file.errorString()));
    return file.readAll();
}

Result<void> notPem(const QString& what, const QString& path) {
    return fail(QStringLiteral("The Web Reporter's %1 %2 is not in PEM form. It was not started "
                               "(not in plain HTTP either).")
                    .arg(what, path));
}

}  // namespace

Result<std::optional<QSslConfiguration>> webTlsConfiguration() {
    const QString certPath = ReadSettingText(setting::WebCertFile, QString()).trimmed();
    const QString keyPath = ReadSettingText(setting::WebKeyFile, QString()).trimmed();
    if (certPath.isEmpty() && keyPath.isEmpty()) return std::nullopt;
    if (certPath.isEmpty() || keyPath.isEmpty())
        return fail(QStringLiteral(
            "The Web Reporter needs both WebCertFile and WebKeyFile for HTTPS. It was not started "
            "(not in plain HTTP either)."));
    const QString certificate = QStringLiteral("certificate"), key = QStringLiteral("key");
    auto certPem = readPem(certificate, certPath);
    if (!certPem) return std::unexpected(certPem.error());
    auto keyPem = readPem(key, keyPath);
    if (!keyPem) return std::unexpected(keyPem.error());
    const QList<QSslCertificate> chain = QSslCertificate::fromData(*certPem, QSsl::Pem);
    if (chain.isEmpty()) return std::unexpected(notPem(certificate, certPath).error());
    QSslKey privateKey;
    for (const QSsl::KeyAlgorithm a : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa})
        if (privateKey = QSslKey(*keyPem, a, QSsl::Pem); !privateKey.isNull()) break;
    if (privateKey.isNull()) return std::unexpected(notPem(key, keyPath).error());
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(privateKey);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);  // browsers bring no certificate
    return tls;
}

void storeWebSettings(const WebSettings& s) {
    WriteSettingBool(setting::WebEnabled, s.enabled);
    WriteSettingText(setting::WebTitle, s.title);
    WriteSettingInt(setting::WebPortNo, s.port);
    WriteSettingText(setting::WebToken, s.token.trimmed());
    keepSettingsFilePrivate();
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
