// The queue of event mails against a real SMTP server: one message per row, oldest first, the
// row gone only once the server took it; failures keep rows and end the run.
#include "notify/mail_queue.h"
#include "notify/email_settings.h"
#include "store/passwd.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/store_fixture.h"

#include "smtp_sink.h"
#include "test_certificate.h"

#include <QSignalSpy>
#include <QTcpServer>

namespace tallyport::test {
namespace {

const QString kRecipients = QStringLiteral("boss@example.test; payroll@example.test");

class MailQueueTest : public StoreFixture {
protected:
    void SetUp() override {
        QFile::remove(settingsFilePath());  // the cases may run in one process
        StoreFixture::SetUp();
        ASSERT_TRUE(sink.ready()) << "the SMTP server did not start";
        pointAt(sink.port());
        WriteSettingBool(setting::EmailEnabled, true);
        WriteSettingText(setting::EmailRecipant, kRecipients);
        WriteSettingText(setting::EmailSender, QStringLiteral("console@example.test"));
    }

    void pointAt(int port) {
        WriteSettingText(setting::EmailSmtpServer, QStringLiteral(" 127.0.0.1 "));
        WriteSettingInt(setting::EmailSmtpPort, port);
    }
    void queue(const QString& title, const QString& msg, const QString& attach = {}) {
        ASSERT_TRUE(data.src().run(
            QStringLiteral("INSERT INTO emails(TITLE, MSG, ATTACH) VALUES (?, ?, ?)"), title, msg,
            attach));
    }
    QStringList queuedTitles() {
        const auto titles =
            data.src().query(QStringLiteral("SELECT TITLE FROM emails ORDER BY seq"),
                             [](const Statement& st) { return st.text(0); });
        EXPECT_TRUE(titles.has_value());
        return titles ? QStringList(titles->begin(), titles->end())
                      : QStringList{QStringLiteral("?")};
    }
    // One run of the timer's work, to its end: rows sent, and whether a failure ended it.
    std::pair<int, bool> run(MailQueue& q) {
        QSignalSpy finished(&q, &MailQueue::runFinished);
        q.emailtimerTimer();
        if (finished.isEmpty() && !finished.wait(15000)) return {-1, true};
        return {finished[0][0].toInt(), finished[0][1].toBool()};
    }

    SmtpSink sink;
};

const QString kBody = QStringLiteral(
    "ANNA [12345]\nOFFICE\nMarch 5, 2024 Tuesday  PM02:07:09\nIN\nFront door\nDENIED\n");

TEST_F(MailQueueTest, EachRowIsOneMessageOldestFirstWithItsSnapshotWhenTheFileExists) {
    const QString snapshot = dir.file(QStringLiteral("240305-140709-12345.jpg"));
    const QByteArray jpeg = QByteArray("\xFF\xD8\xFF\xE0 not quite a picture \xFF\xD9", 26);
    {
        QFile f(snapshot);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(jpeg);
    }
    queue(QStringLiteral("[2024/03/05 PM02:07:09] ANNA, OFFICE"), kBody, snapshot);
    queue(QStringLiteral("[2024/03/05 PM02:08:00] JOSÉ"),
          QStringLiteral("JOSÉ [7]\n\n…\nOUT\nBack\nDENIED\n"),
          dir.file(QStringLiteral("deleted-snapshot.jpg")));
    queue(QStringLiteral("[2024/03/05 PM02:09:00] [99]"), QStringLiteral("[99] [99]\n"), QString());
    WriteSettingBool(setting::EmailSendCapture, true);
    MailQueue q(data);
    QStringList statuses;
    QObject::connect(&q, &MailQueue::statusChanged, [&](const QString& s) { statuses << s; });

    EXPECT_EQ(run(q), std::pair(3, false));

    const auto mails = sink.mails();
    ASSERT_EQ(mails.size(), 3);
    EXPECT_EQ(mails[0].subject, QStringLiteral("[2024/03/05 PM02:07:09] ANNA, OFFICE"));
    EXPECT_EQ(mails[0].body, kBody);
    EXPECT_EQ(mails[0].mailFrom, QStringLiteral("console@example.test"));
    EXPECT_EQ(mails[0].rcptTos, (QStringList{QStringLiteral("boss@example.test"),
                                             QStringLiteral("payroll@example.test")}));
    EXPECT_TRUE(mails[0].hasDate);
    ASSERT_EQ(mails[0].attachments.size(), 1);
    EXPECT_EQ(mails[0].attachments[0].filename, QStringLiteral("240305-140709-12345.jpg"));
    EXPECT_EQ(mails[0].attachments[0].type, QStringLiteral("image/jpeg"));
    EXPECT_EQ(mails[0].attachments[0].data, jpeg);
    // A deleted snapshot and an empty path send the text alone.
    EXPECT_EQ(mails[1].subject, QStringLiteral("[2024/03/05 PM02:08:00] JOSÉ"));
    EXPECT_EQ(mails[1].body, QStringLiteral("JOSÉ [7]\n\n…\nOUT\nBack\nDENIED\n"));
    EXPECT_TRUE(mails[1].attachments.isEmpty());
    EXPECT_TRUE(mails[2].attachments.isEmpty());
    EXPECT_TRUE(queuedTitles().isEmpty());
    EXPECT_EQ(statuses.first(),
              QStringLiteral("Email sending: [2024/03/05 PM02:07:09] ANNA, OFFICE"));
    EXPECT_EQ(q.statusText(), QString());
}

// Unticking "Send captured photo" sends rows already queued with a photo without it, and still
// deletes them once sent.
TEST_F(MailQueueTest, WithoutSendCaptureNoPhotoIsAttached) {
    const QString snapshot = dir.file(QStringLiteral("240305-140709-12345.jpg"));
    {
        QFile f(snapshot);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xFF\xD8\xFF\xD9");
    }
    queue(QStringLiteral("with photo"), kBody, snapshot);
    WriteSettingBool(setting::EmailSendCapture, false);
    MailQueue q(data);
    EXPECT_EQ(run(q), std::pair(1, false));
    ASSERT_EQ(sink.mails().size(), 1);
    EXPECT_TRUE(sink.mails()[0].attachments.isEmpty());
    EXPECT_TRUE(queuedTitles().isEmpty());
}

TEST_F(MailQueueTest, ARefusedRecipientKeepsTheRowsAndEndsTheRunUntilTheAddressIsMended) {
    WriteSettingText(setting::EmailRecipant, QStringLiteral("refused@example.test"));
    queue(QStringLiteral("first"), kBody);
    queue(QStringLiteral("second"), kBody);
    MailQueue q(data);
    QSignalSpy failures(&q, &MailQueue::sendFailed);

    EXPECT_EQ(run(q), std::pair(0, true));
    EXPECT_EQ(q.statusText(), QStringLiteral("Email sent error."));
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0][0].toString().contains(QLatin1String("550")))
        << qPrintable(failures[0][0].toString());
    EXPECT_EQ(queuedTitles(), (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    EXPECT_TRUE(sink.mails().isEmpty());

    // The same failure again is not said again; the next run starts with the same row.
    EXPECT_EQ(run(q), std::pair(0, true));
    EXPECT_EQ(failures.size(), 1);
    WriteSettingText(setting::EmailRecipant, QStringLiteral("boss@example.test"));
    EXPECT_EQ(run(q), std::pair(2, false));
    ASSERT_EQ(sink.mails().size(), 2);
    EXPECT_EQ(sink.mails()[0].subject, QStringLiteral("first"));
    EXPECT_TRUE(queuedTitles().isEmpty());
}

TEST_F(MailQueueTest, TheQueueOutlivesARestartAndNoMessageGoesTwice) {
    QTcpServer closed;  // a port where nobody answers once it is closed again
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const int deadPort = closed.serverPort();
    closed.close();
    {
        MailQueue q(data);
        queue(QStringLiteral("one"), kBody);
        ASSERT_EQ(run(q), std::pair(1, false));
        queue(QStringLiteral("two"), kBody);
        queue(QStringLiteral("three"), kBody);
        pointAt(deadPort);
        EXPECT_EQ(run(q), std::pair(0, true));
        q.stop();
    }
    data.CloseDatabases();

    DataModule restarted(op);
    restarted.setDataFolder(dir.path());
    ASSERT_TRUE(restarted.OpenDatabases());
    pointAt(sink.port());
    MailQueue q(restarted);
    EXPECT_EQ(run(q), std::pair(2, false));
    EXPECT_EQ(run(q), std::pair(0, false));
    QStringList subjects;
    for (const SunkMail& m : sink.mails()) subjects << m.subject;
    EXPECT_EQ(subjects,
              (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
}

TEST_F(MailQueueTest, TheTimerRunsWhileMailingIsOnAndSendsEachRecordWithinSeconds) {
    MailQueue q(data);
    q.configureTimer();
    EXPECT_TRUE(q.emailtimer().isActive());
    EXPECT_EQ(q.emailtimer().interval(), 1000);  // "EmailIntervals" never stored: each record
    WriteSettingInt(setting::EmailIntervals, 30);
    q.configureTimer();
    EXPECT_EQ(q.emailtimer().interval(), 30 * 60000);

    WriteSettingBool(setting::EmailEnabled, false);
    q.configureTimer();
    EXPECT_FALSE(q.emailtimer().isActive());
    queue(QStringLiteral("waits"), kBody);
    EXPECT_EQ(run(q), std::pair(0, false));  // a run while switched off sends nothing
    EXPECT_EQ(queuedTitles(), QStringList{QStringLiteral("waits")});
    EXPECT_FALSE(q.emailtimer().isActive());

    WriteSettingBool(setting::EmailEnabled, true);
    WriteSettingInt(setting::EmailIntervals, 0);
    q.configureTimer();
    ASSERT_TRUE(sink.waitForMails(1, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return queuedTitles().isEmpty(); }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return q.emailtimer().isActive(); }, 2000));
}

// A send still on its way while the databases are closed for maintenance: once they are back,
// the row that was sent goes, and a file put back with another message under the same number
// keeps that message.
TEST_F(MailQueueTest, ARowIsDeletedOnlyIfItIsStillTheOneThatWasSent) {
    for (const bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "file replaced" : "same file");
        SmtpSink slow({QStringLiteral("--delay"), QStringLiteral("0.5")});
        ASSERT_TRUE(slow.ready());
        pointAt(slow.port());
        queue(QStringLiteral("sent"), kBody);
        MailQueue q(data);
        QSignalSpy finished(&q, &MailQueue::runFinished);
        q.emailtimerTimer();
        ASSERT_EQ(q.statusText(), QStringLiteral("Email sending: sent"));
        data.CloseDatabases();
        if (replaced) {
            auto db = Database::open(dir.file(QStringLiteral("sysdat.db")), kSystemKey,
                                     Database::Mode::ReadWrite);
            ASSERT_TRUE(db.has_value());
            ASSERT_TRUE(
                db->run(QStringLiteral("UPDATE emails SET TITLE = 'other' WHERE TITLE = 'sent'")));
        }
        ASSERT_TRUE(finished.wait(10000));
        ASSERT_TRUE(data.OpenDatabases());
        EXPECT_EQ(run(q), std::pair(replaced ? 1 : 0, false));
        EXPECT_EQ(slow.mails().size(), replaced ? 2 : 1);
        EXPECT_TRUE(queuedTitles().isEmpty());
    }
}

// The sign-in over STARTTLS (the server's authority from "EmailCaFile"), with the password kept
// scrambled in the system database.
TEST(MailSignIn, OnlyTheRightUserAndPasswordGetTheMessageThrough) {
    TestCertificate cert;
    ASSERT_TRUE(cert.ok());
    struct Case {
        const char* user;
        const char* password;
        bool sent;
    };
    for (const Case c :
         {Case{"clock", "s3cret é", true}, Case{"clock", "wrong", false}, Case{"", "", false}}) {
        SCOPED_TRACE(c.password);
        QFile::remove(settingsFilePath());
        SmtpSink sink({QStringLiteral("--user"), QStringLiteral("clock"),
                       QStringLiteral("--password"), QStringLiteral("s3cret é"),
                       QStringLiteral("--tls"), cert.cert(), cert.key()});
        WriteSettingText(setting::EmailCaFile, cert.cert());
        ASSERT_TRUE(sink.ready());
        TempDataDir dir;
        ScriptedOperator op;
        DataModule data(op);
        data.setDataFolder(dir.path());
        ASSERT_TRUE(data.prepareDataFolder().value_or(false));
        ASSERT_TRUE(data.OpenDatabases());
        EmailSettings s;
        s.enabled = true;
        s.server = QStringLiteral("127.0.0.1");
        s.port = sink.port();
        s.recipients = QStringLiteral("boss@example.test");
        s.sender = QStringLiteral("console@example.test");
        s.intervalMinutes = 0;
        s.user = QString::fromUtf8(c.user);
        s.password = QString::fromUtf8(c.password);
        ASSERT_TRUE(storeEmailSettings(data, s));
        EXPECT_EQ(data.GetKeyValue(kSmtpPasswordKey).second, ScramblePassword(s.password));
        ASSERT_TRUE(
            data.src().run(QStringLiteral("INSERT INTO emails(TITLE, MSG) VALUES ('t', 'm')")));

        MailQueue q(data);
        QSignalSpy finished(&q, &MailQueue::runFinished);
        q.emailtimerTimer();
        ASSERT_TRUE(finished.wait(15000));
        EXPECT_EQ(finished[0][1].toBool(), !c.sent);
        EXPECT_EQ(sink.mails().size(), c.sent ? 1 : 0);
        if (c.sent) {
            EXPECT_TRUE(sink.mails()[0].authenticated);
            EXPECT_TRUE(sink.mails()[0].tls);
        }
        for (const QString& attempt : sink.authAttempts())
            EXPECT_EQ(attempt, QStringLiteral("tls"));
        EXPECT_EQ(*data.src().scalarInt(QStringLiteral("SELECT count(*) FROM emails")),
                  c.sent ? 0 : 1);
    }
    QFile settings(settingsFilePath());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_FALSE(settings.readAll().contains("s3cret")) << "the password belongs in the database";
}

}  // namespace
}  // namespace tallyport::test
