#pragma once

// A real SMTP server for the mail tests (tests/data/notify/smtp_sink.py on Python's aiosmtpd):
// every message it accepts is read back with Python's own mail parser.
#include "test_paths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace tallyport::test {

struct SunkMail {
    QString mailFrom;
    QStringList rcptTos;
    QString subject, from, to, body;
    QString rawHead;  // the header lines as they arrived
    bool hasDate = false;
    bool authenticated = false;
    bool tls = false;  // sent after STARTTLS
    struct Attachment {
        QString filename, type;
        QByteArray data;
    };
    QList<Attachment> attachments;
};

class SmtpSink {
public:
    // `extra`: --user U --password P to require a sign-in, --tls CERT KEY to offer STARTTLS.
    explicit SmtpSink(const QStringList& extra = {}) {
        m_proc.setProgram(python());
        m_proc.setArguments(
            QStringList{QStringLiteral(TALLYPORT_TEST_DATA_DIR "/notify/smtp_sink.py"),
                        m_folder.path()} +
            extra);
        m_proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_proc.start();
        if (!m_proc.waitForStarted(5000)) return;
        QDeadlineTimer deadline(10000);
        while (!m_proc.canReadLine() && !deadline.hasExpired())
            m_proc.waitForReadyRead(int(deadline.remainingTime()));
        const QString line = QString::fromUtf8(m_proc.readLine()).trimmed();
        if (line.startsWith(QLatin1String("ready "))) m_port = line.mid(6).toInt();
    }
    ~SmtpSink() {
        m_proc.kill();
        m_proc.waitForFinished(5000);
    }
    bool ready() const { return m_port > 0; }
    int port() const { return m_port; }

    // The accepted messages, in the order they arrived.
    QList<SunkMail> mails() const {
        QList<SunkMail> out;
        const QDir dir(m_folder.path());
        for (const QString& name :
             dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::ReadOnly)) continue;
            out << fromJson(QJsonDocument::fromJson(f.readAll()).object());
        }
        return out;
    }
    // "tls" or "plain" for each AUTH the client tried.
    QStringList authAttempts() const {
        QFile f(QDir(m_folder.path()).filePath(QStringLiteral("auth.log")));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    bool waitForMails(qsizetype n, int ms = 10000) const {
        return QTest::qWaitFor([&] { return mails().size() >= n; }, ms);
    }

    // A Python that has aiosmtpd: Debian's own, also when another one comes first on PATH.
    static QString python() {
        for (const QString& candidate :
             {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")})
            if (QProcess::execute(candidate,
                                  {QStringLiteral("-c"), QStringLiteral("import aiosmtpd")}) == 0)
                return candidate;
        return QStringLiteral("python3");
    }

private:
    static SunkMail fromJson(const QJsonObject& o) {
        SunkMail m;
        m.mailFrom = o[QLatin1String("mail_from")].toString();
        for (const auto& r : o[QLatin1String("rcpt_tos")].toArray()) m.rcptTos << r.toString();
        m.subject = o[QLatin1String("subject")].toString();
        m.from = o[QLatin1String("from")].toString();
        m.to = o[QLatin1String("to")].toString();
        m.body = o[QLatin1String("body")].toString();
        m.hasDate = o[QLatin1String("has_date")].toBool();
        m.rawHead = o[QLatin1String("raw_head")].toString();
        m.tls = o[QLatin1String("tls")].toBool();
        m.authenticated = o[QLatin1String("authenticated")].toBool();
        for (const auto& a : o[QLatin1String("attachments")].toArray()) {
            const QJsonObject p = a.toObject();
            m.attachments << SunkMail::Attachment{
                p[QLatin1String("filename")].toString(), p[QLatin1String("type")].toString(),
                QByteArray::fromBase64(p[QLatin1String("data")].toString().toLatin1())};
        }
        return m;
    }

    QTemporaryDir m_folder;
    QProcess m_proc;
    int m_port = 0;
};

}  // namespace tallyport::test
