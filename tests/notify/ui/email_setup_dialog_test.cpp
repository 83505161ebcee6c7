// "Email Settings": filled from the store, refusals with the focus on the field, what Confirm
// stores; and the main window's command and status panel.
#include "notify/ui/email_setup_dialog.h"
#include "app/ui/main_window.h"
#include "notify/mail_queue.h"
#include "store/passwd.h"
#include "store/setting_names.h"
#include "support/dialog_fixture.h"

#include "../smtp_sink.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>

namespace tallyport::test {
namespace {

using EmailSetupDialogTest = DialogFixture;

void fill(EmailSetupDialog& d, const char* server, const char* recipients, const char* sender) {
    control<QLineEdit>(&d, "smtpserver")->setText(QString::fromUtf8(server));
    control<QLineEdit>(&d, "rxemail")->setText(QString::fromUtf8(recipients));
    control<QLineEdit>(&d, "txemail")->setText(QString::fromUtf8(sender));
}

TEST_F(EmailSetupDialogTest, OpensWithTheStoredChoicesAndTheIntervalFollowsTheRadios) {
    WriteSettingBool(setting::EmailEnabled, true);
    WriteSettingText(setting::EmailSmtpServer, QStringLiteral("mail.example.test"));
    WriteSettingText(setting::EmailRecipant, QStringLiteral("a@x;b@x"));
    WriteSettingBool(setting::EmailStaffOnly, false);
    EmailSetupDialog d(data, op);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Email Settings"));
    EXPECT_TRUE(control<QCheckBox>(&d, "cbenable")->isChecked());
    EXPECT_FALSE(control<QCheckBox>(&d, "cbstaff")->isChecked());
    EXPECT_EQ(control<QLineEdit>(&d, "smtpserver")->text(), QStringLiteral("mail.example.test"));
    EXPECT_EQ(control<QSpinBox>(&d, "smtpport")->value(), 25);
    // Never stored: 30 minutes are offered.
    EXPECT_TRUE(control<QRadioButton>(&d, "cbint")->isChecked());
    auto* minutes = control<QSpinBox>(&d, "setime");
    EXPECT_EQ(minutes->value(), 30);
    EXPECT_TRUE(minutes->isEnabled());
    EXPECT_EQ(minutes->minimum(), 5);
    EXPECT_EQ(minutes->maximum(), 240);
    EXPECT_EQ(minutes->singleStep(), 5);
    click(&d, "cbeach");
    EXPECT_FALSE(minutes->isEnabled());
    click(&d, "cbint");
    EXPECT_TRUE(minutes->isEnabled());
}

TEST_F(EmailSetupDialogTest, ARefusedEntryIsSaidFocusedAndNothingIsStored) {
    struct Case {
        const char *server, *recipients, *sender, *field;
        QString text;
    };
    for (const Case& c : {Case{" ", "a@x", "b@x", "smtpserver", kSmtpServerInvalid},
                          Case{"mail", ";", "b@x", "rxemail", kRecipientsInvalid},
                          Case{"mail", "a@x", "", "txemail", kSenderInvalid}}) {
        SCOPED_TRACE(c.field);
        op.clear();
        EmailSetupDialog d(data, op);
        d.show();
        fill(d, c.server, c.recipients, c.sender);
        click(&d, "Button1");
        EXPECT_EQ(op.shown(), QStringList{QStringLiteral("error: ") + c.text});
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), control<QWidget>(&d, c.field));
        EXPECT_EQ(ReadSettingText(setting::EmailSmtpServer, QStringLiteral("unset")),
                  QStringLiteral("unset"));
    }
}

TEST_F(EmailSetupDialogTest, ConfirmStoresTrimmedEntriesEachRecordAndTheScrambledPassword) {
    EmailSetupDialog d(data, op);
    d.show();
    fill(d, " mail.example.test ", " a@x; b@x ", " clock@x ");
    click(&d, "cbeach");
    click(&d, "cbenable");
    control<QSpinBox>(&d, "smtpport")->setValue(587);
    click(&d, "cbstarttls");
    control<QLineEdit>(&d, "smtpuser")->setText(QStringLiteral("clock"));
    control<QLineEdit>(&d, "smtppass")->setText(QStringLiteral("pa55"));
    click(&d, "Button1");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(op.shown().isEmpty());
    EXPECT_EQ(control<QLineEdit>(&d, "smtpserver")->text(), QStringLiteral("mail.example.test"));
    EXPECT_TRUE(ReadSettingBool(setting::EmailEnabled, false));
    EXPECT_EQ(ReadSettingText(setting::EmailSmtpServer, {}), QStringLiteral("mail.example.test"));
    EXPECT_EQ(ReadSettingText(setting::EmailRecipant, {}), QStringLiteral("a@x; b@x"));
    EXPECT_EQ(ReadSettingText(setting::EmailSender, {}), QStringLiteral("clock@x"));
    EXPECT_EQ(ReadSettingInt(setting::EmailIntervals, -1), 0);
    EXPECT_EQ(ReadSettingInt(setting::EmailSmtpPort, -1), 587);
    EXPECT_TRUE(ReadSettingBool(setting::EmailStartTls, false));
    EXPECT_EQ(ReadSettingText(setting::EmailUser, {}), QStringLiteral("clock"));
    EXPECT_EQ(data.GetKeyValue(QStringLiteral("SMTPPASS")).second,
              ScramblePassword(QStringLiteral("pa55")));
}

// "Send test mail" sends one message now with the settings as shown and says what the server
// answered; a server that cannot be reached is said as an error. Nothing is stored.
TEST_F(EmailSetupDialogTest, SendTestMailSendsOneMessageAndSaysWhatTheServerAnswered) {
    SmtpSink sink;
    ASSERT_TRUE(sink.ready());
    EmailSetupDialog d(data, op);
    d.show();
    fill(d, "127.0.0.1", "boss@example.test", "clock@example.test");
    control<QSpinBox>(&d, "smtpport")->setValue(sink.port());
    click(&d, "bTestMail");
    ASSERT_EQ(op.shown().size(), 1);
    EXPECT_TRUE(op.shown()[0].startsWith(QStringLiteral("information: ") +
                                         kTestMailSent.arg(QStringLiteral("250"))))
        << qPrintable(op.shown()[0]);
    ASSERT_TRUE(sink.waitForMails(1));
    const SunkMail mail = sink.mails()[0];
    EXPECT_EQ(mail.subject, kTestMailSubject);
    EXPECT_EQ(mail.rcptTos, QStringList{QStringLiteral("boss@example.test")});
    EXPECT_EQ(mail.mailFrom, QStringLiteral("clock@example.test"));
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.isEnabled());

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const int deadPort = closed.serverPort();
    closed.close();
    op.clear();
    control<QSpinBox>(&d, "smtpport")->setValue(deadPort);
    click(&d, "bTestMail");
    ASSERT_EQ(op.shown().size(), 1);
    EXPECT_TRUE(op.shown()[0].startsWith(QStringLiteral("error: "))) << qPrintable(op.shown()[0]);
    EXPECT_EQ(sink.mails().size(), 1);
    EXPECT_EQ(ReadSettingText(setting::EmailSmtpServer, QStringLiteral("unset")),
              QStringLiteral("unset"));
}

using MainWindowEmail = ConsoleFixture;

// The command starts the timer once confirmed; a failed send shows in the second panel.
TEST_F(MainWindowEmail, TheCommandSetsTheTimerUpAndTheStatusBarSaysAFailedSend) {
    MainWindow w(console());
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const int deadPort = closed.serverPort();
    closed.close();
    EXPECT_FALSE(console().mail().emailtimer().isActive());
    OnNextModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Email Settings"));
        auto* d = static_cast<EmailSetupDialog*>(dialog);
        fill(*d, "127.0.0.1", "boss@x", "clock@x");
        control<QSpinBox>(d, "smtpport")->setValue(deadPort);
        click(d, "cbenable");
        click(d, "cbeach");
        click(d, "Button1");
    });
    QAction* email = w.action(QStringLiteral("actemail"));
    email->setEnabled(true);  // as after a login
    email->trigger();
    EXPECT_TRUE(console().mail().emailtimer().isActive());

    ASSERT_TRUE(console().data().src().run(
        QStringLiteral("INSERT INTO emails(TITLE, MSG) VALUES ('[x] ANNA', 'm')")));
    QSignalSpy finished(&console().mail(), &MailQueue::runFinished);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(w.statusPanel(1)->text(), QStringLiteral("Email sent error."));
    EXPECT_TRUE(w.statusPanel(1)->toolTip().startsWith(QLatin1String("Email sent error. ")));
}

}  // namespace
}  // namespace tallyport::test
