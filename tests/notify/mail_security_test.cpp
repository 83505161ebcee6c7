// What the mail sender puts on the wire, checked against a real SMTP server (with STARTTLS and a
// certificate made for the test) and read back with Python's own mail parser: no password over
// a connection in clear, no command forged by a setting, headers any reader can decode.
#include "notify/email_settings.h"
#include "notify/mail_address.h"
#include "notify/mail_queue.h"
#include "notify/send_mail.h"

#include "smtp_sink.h"
#include "test_certificate.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace tallyport::test {
namespace {

MailServer serverAt(const SmtpSink& sink) {
    MailServer s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = sink.port();
    return s;
}

MailMessage plainMessage() {
    MailMessage m;
    m.sender = QStringLiteral("console@example.test");
    m.recipients = {QStringLiteral("boss@example.test")};
    m.subject = QStringLiteral("t");
    m.body = QStringLiteral("m");
    return m;
}

QStringList tlsArgs(const TestCertificate& c) {
    return {QStringLiteral("--tls"), c.cert(), c.key()};
}
const QStringList kSignIn = {QStringLiteral("--user"), QStringLiteral("clock"),
                             QStringLiteral("--password"), QStringLiteral("s3cret")};

// STARTTLS is taken whenever it is offered; a password goes only over an encrypted connection
// whose certificate checks out; nothing encrypted means nothing sent that needs it.
TEST(MailEncryption, PasswordsGoOnlyOverCheckedTlsAndTlsIsUsedWheneverOffered) {
    TestCertificate cert;
    ASSERT_TRUE(cert.ok()) << "openssl could not make a certificate";
    struct Case {
        const char* name;
        bool serverTls;
        bool signIn;
        bool required;
        bool trustCert;
        bool sent;
        QString error;  // a part of the refusal
    };
    const Case cases[] = {
        {"signed in over STARTTLS", true, true, false, true, true, {}},
        {"no sign-in, still encrypted", true, false, false, true, true, {}},
        {"unknown certificate", true, true, false, false, false, QStringLiteral("certificate")},
        {"no encryption offered, password kept", false, true, false, true, false,
         kNoEncryptionForPassword},
        {"STARTTLS required but not offered", false, false, true, true, false,
         kNoEncryptionRequired},
        {"no sign-in, no encryption offered", false, false, false, true, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList args = c.serverTls ? tlsArgs(cert) : QStringList{};
        if (c.signIn) args += kSignIn;
        SmtpSink sink(args);
        ASSERT_TRUE(sink.ready());
        MailServer s = serverAt(sink);
        s.startTls = c.required;
        if (c.signIn) s.user = QStringLiteral("clock"), s.password = QStringLiteral("s3cret");
        if (c.trustCert) s.caFile = cert.cert();
        const auto sent = SendMail(s, plainMessage());
        EXPECT_EQ(sent.has_value(), c.sent) << qPrintable(sent ? QString() : sent.error().text);
        if (!c.error.isEmpty() && !sent) {
            EXPECT_TRUE(sent.error().text.contains(c.error, Qt::CaseInsensitive))
                << qPrintable(sent.error().text);
        }
        if (c.sent) {
            ASSERT_TRUE(sink.waitForMails(1));
            EXPECT_EQ(sink.mails()[0].tls, c.serverTls);
            EXPECT_EQ(sink.mails()[0].authenticated, c.signIn);
        } else {
            EXPECT_TRUE(sink.mails().isEmpty());
        }
        for (const QString& attempt : sink.authAttempts())
            EXPECT_EQ(attempt, QStringLiteral("tls")) << "a password went over a plain connection";
    }
}

// A line break in an address setting would start a command of its own in the dialogue.
TEST(MailAddresses, ControlCharactersAndMalformedAddressesAreRefusedWithTheirField) {
    SmtpSink sink;
    ASSERT_TRUE(sink.ready());
    const QString injected = QStringLiteral("boss@example.test\r\nRCPT TO:<evil@example.test>");
    MailMessage m = plainMessage();
    m.recipients = {injected};
    auto sent = SendMail(serverAt(sink), m);
    ASSERT_FALSE(sent);
    EXPECT_TRUE(sent.error().text.contains(QStringLiteral("recipient")));
    m = plainMessage();
    m.sender = QStringLiteral("console@example.test\nBcc: evil@example.test");
    sent = SendMail(serverAt(sink), m);
    ASSERT_FALSE(sent);
    EXPECT_TRUE(sent.error().text.contains(QStringLiteral("sender")));
    EXPECT_TRUE(sink.mails().isEmpty());

    struct Case {
        QString sender, recipients;
        std::optional<EmailField> refused;
    };
    const Case cases[] = {
        {QStringLiteral("Clock <console@example.test>"),
         QStringLiteral("boss@example.test; \"Pay Roll\" <pay@example.test>"), std::nullopt},
        {QStringLiteral("console@example.test"), injected, EmailField::Recipients},
        {QStringLiteral("console@example.test"), QStringLiteral("boss"), EmailField::Recipients},
        {QStringLiteral("console@example.test"), QStringLiteral("a@b@c"), EmailField::Recipients},
        {QStringLiteral("con sole@example.test"), QStringLiteral("a@b"), EmailField::Sender},
        {QStringLiteral("Clock <console@example.test"), QStringLiteral("a@b"), EmailField::Sender},
        {QStringLiteral("console@example.test\t"), QStringLiteral("a@b"), std::nullopt},  // trimmed
        {QStringLiteral("Clo\x7f"
                        "ck <c@example.test>"),
         QStringLiteral("a@b"), EmailField::Sender},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.sender + QStringLiteral(" / ") + c.recipients).toStdString());
        EmailSettings s;
        s.server = QStringLiteral("mail.example.test");
        s.sender = c.sender;
        s.recipients = c.recipients;
        const auto refusal = checkEmailSettings(s);
        EXPECT_EQ(refusal ? std::optional(refusal->field) : std::nullopt, c.refused);
    }
}

// Non-ASCII names and subjects as encoded words a standard parser reads back, each at most 75
// characters, only where the text is not ASCII, on folded lines.
TEST(MailHeaders, EncodedWordsAreShortOnlyWhereNeededAndParseBack) {
    SmtpSink sink;
    ASSERT_TRUE(sink.ready());
    MailMessage m = plainMessage();
    m.sender = QStringLiteral("Zoë Ålund-Ørsted <console@example.test>");
    m.recipients = {QStringLiteral("Jürgen Groß <boss@example.test>"),
                    QStringLiteral("Smith, John <payroll@example.test>"),
                    QStringLiteral("plain@example.test")};
    QString subject = QStringLiteral("Report for");
    for (int i = 0; i < 12; ++i) subject += QStringLiteral(" Überstunden-Prüfung %1").arg(i);
    subject += QStringLiteral(" end");
    ASSERT_GE(subject.size(), 200);
    m.subject = subject;
    ASSERT_TRUE(SendMail(serverAt(sink), m));
    ASSERT_TRUE(sink.waitForMails(1));
    const SunkMail got = sink.mails()[0];
    EXPECT_EQ(got.subject, subject);
    EXPECT_EQ(got.from, QStringLiteral("Zoë Ålund-Ørsted <console@example.test>"));
    EXPECT_TRUE(
        got.to.startsWith(QStringLiteral("Jürgen Groß <boss@example.test>, \"Smith, "
                                         "John\" <payroll@example.test>")))
        << qPrintable(got.to);
    EXPECT_TRUE(got.to.endsWith(QStringLiteral("plain@example.test"))) << qPrintable(got.to);
    EXPECT_TRUE(got.rcptTos.contains(QStringLiteral("plain@example.test")));

    static const QRegularExpression encoded(QStringLiteral("=\\?[^?]+\\?[BbQq]\\?[^?]*\\?="));
    int words = 0;
    for (auto it = encoded.globalMatch(got.rawHead); it.hasNext(); ++words)
        EXPECT_LE(it.next().capturedLength(), 75);
    EXPECT_GE(words, 6);
    for (const QString& line : got.rawHead.split(QStringLiteral("\r\n"))) {
        if (!line.startsWith(QLatin1String("Content-Type:"))) {  // the MIME library's own line
            EXPECT_LE(line.size(), 78) << qPrintable(line);
        }
    }
    EXPECT_TRUE(got.rawHead.contains(QStringLiteral("Subject: Report for"))) << "ASCII stays";
    EXPECT_TRUE(got.rawHead.contains(QStringLiteral("<console@example.test>")));
}

TEST(MailTest, ATestMailSaysWhatTheServerAnswered) {
    SmtpSink sink;
    ASSERT_TRUE(sink.ready());
    const auto sent = sendTestMail(serverAt(sink), QStringLiteral("console@example.test"),
                                   {QStringLiteral("boss@example.test")});
    ASSERT_TRUE(sent) << qPrintable(sent.error().text);
    EXPECT_TRUE(sent->contains(QStringLiteral("250 Message accepted"))) << qPrintable(*sent);
    ASSERT_TRUE(sink.waitForMails(1));
    EXPECT_EQ(sink.mails()[0].subject, kTestMailSubject);
}

}  // namespace
}  // namespace tallyport::test
