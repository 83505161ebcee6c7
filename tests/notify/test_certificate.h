#pragma once

// A self-signed certificate for 127.0.0.1 made for the test (by the openssl tool), which is
// its own authority: a client that trusts cert() accepts the server that holds key().
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tallyport::test {

class TestCertificate {
public:
    TestCertificate() {
        m_ok = QProcess::execute(
                   QStringLiteral("openssl"),
                   {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                    QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                    key(), QStringLiteral("-out"), cert(), QStringLiteral("-days"),
                    QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                    QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")}) == 0;
    }
    bool ok() const { return m_ok; }
    QString cert() const { return m_dir.filePath(QStringLiteral("cert.pem")); }
    QString key() const { return m_dir.filePath(QStringLiteral("key.pem")); }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

}  // namespace tallyport::test
