#include "notify/ui/email_setup_dialog.h"

#include "base/operator.h"
#include "notify/mail_queue.h"
#include "store/data_module.h"
#include "store/messages.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

namespace tallyport {
namespace {

template <typename W>
W* named(W* w, const char* name, const QString& hint = {}) {
    w->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) w->setToolTip(hint);
    return w;
}

QLineEdit* edit(const char* name, const QString& hint) {
    return named(new QLineEdit, name, hint);
}

}  // namespace

EmailSetupDialog::EmailSetupDialog(DataModule& data, Operator& op, QWidget* parent)
    : QDialog(parent), m_data(data), m_op(op) {
    setObjectName(QStringLiteral("SetEmail"));
    setWindowTitle(QStringLiteral("Email Settings"));
    auto* confirm = named(new QPushButton(QStringLiteral("Confirm")), "Button1",
                          QStringLiteral("Confirm the settings and exit."));
    confirm->setDefault(true);
    auto* cancel = named(new QPushButton(QStringLiteral("Cancel")), "Button2",
                         QStringLiteral("Cancel operation and quit."));
    auto* test = named(new QPushButton(QStringLiteral("Send test mail")), "bTestMail",
                       QStringLiteral("Send one message now with these settings."));
    connect(confirm, &QPushButton::clicked, this, &EmailSetupDialog::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(test, &QPushButton::clicked, this, &EmailSetupDialog::testClick);
    auto* buttons = buttonRow({test}, {confirm, cancel});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildServer());
    layout->addWidget(buildInterval());
    layout->addWidget(buildOptions());
    layout->addLayout(buttons);
    setSettings(loadEmailSettings(m_data));
}

QWidget* EmailSetupDialog::buildServer() {
    auto* box = new QWidget;
    auto* form = new QFormLayout(box);
    smtpserver = edit("smtpserver", QStringLiteral("SMTP mail server."));
    smtpport = named(new QSpinBox, "smtpport",
                     QStringLiteral("Port of the SMTP server (25, or 587 for submission)."));
    smtpport->setRange(1, 65535);
    cbstarttls = named(new QCheckBox(QStringLiteral("Require encryption (STARTTLS)")), "cbstarttls",
                       QStringLiteral("Send only over a connection the server encrypts."));
    smtpuser =
        edit("smtpuser", QStringLiteral("User name at the SMTP server; empty when it needs none."));
    smtppass = edit("smtppass", QStringLiteral("Password at the SMTP server."));
    smtppass->setEchoMode(QLineEdit::Password);
    rxemail =
        edit("rxemail", QStringLiteral("The attendance email recipants (separated by semicolon)."));
    txemail = edit("txemail", QStringLiteral("Your email address."));
    cbenable = named(new QCheckBox(QStringLiteral("Enable automatic email sending")), "cbenable",
                     QStringLiteral("Enable the attendance email system."));
    form->addRow(QStringLiteral("SMTP server"), smtpserver);
    form->addRow(QStringLiteral("Port"), smtpport);
    form->addRow(QString(), cbstarttls);
    form->addRow(QStringLiteral("User name"), smtpuser);
    form->addRow(QStringLiteral("Password"), smtppass);
    form->addRow(QStringLiteral("Recipant Email"), rxemail);
    form->addRow(QStringLiteral("Sender's Email"), txemail);
    form->addRow(QString(), cbenable);
    return box;
}

QWidget* EmailSetupDialog::buildInterval() {
    auto* box = new QGroupBox(QStringLiteral("Email Sending Interval"));
    cbeach = named(new QRadioButton(QStringLiteral("Each record")), "cbeach",
                   QStringLiteral("Send email immediately."));
    cbint = named(new QRadioButton(QStringLiteral("Regular intervals")), "cbint",
                  QStringLiteral("Send email on a regular intervals."));
    setime = named(new QSpinBox, "setime");
    setime->setRange(5, 240);
    setime->setSingleStep(5);
    connect(cbeach, &QRadioButton::clicked, this, &EmailSetupDialog::showInterval);
    connect(cbint, &QRadioButton::clicked, this, &EmailSetupDialog::showInterval);
    auto* row = new QHBoxLayout(box);
    row->addWidget(cbeach);
    row->addWidget(cbint);
    row->addWidget(setime);
    row->addWidget(new QLabel(QStringLiteral("Minutes")));
    return box;
}

QWidget* EmailSetupDialog::buildOptions() {
    auto* box = new QGroupBox(QStringLiteral("Options"));
    cbsendcap = named(new QCheckBox(QStringLiteral("Send captured photo")), "cbsendcap");
    cbstaff = named(new QCheckBox(QStringLiteral("Email registered card only")), "cbstaff",
                    QStringLiteral("Send email only when the card is registered."));
    auto* column = new QVBoxLayout(box);
    column->addWidget(cbsendcap);
    column->addWidget(cbstaff);
    return box;
}

void EmailSetupDialog::showInterval() {
    setime->setEnabled(cbint->isChecked());
}

EmailSettings EmailSetupDialog::settings() const {
    EmailSettings s;
    s.enabled = cbenable->isChecked();
    s.staffOnly = cbstaff->isChecked();
    s.server = smtpserver->text();
    s.recipients = rxemail->text();
    s.sender = txemail->text();
    s.intervalMinutes = cbint->isChecked() ? setime->value() : 0;
    s.sendCapture = cbsendcap->isChecked();
    s.port = smtpport->value();
    s.startTls = cbstarttls->isChecked();
    s.user = smtpuser->text();
    s.password = smtppass->text();
    return s;
}

void EmailSetupDialog::setSettings(const EmailSettings& s) {
    cbenable->setChecked(s.enabled);
    cbstaff->setChecked(s.staffOnly);
    smtpserver->setText(s.server);
    rxemail->setText(s.recipients);
    txemail->setText(s.sender);
    (s.intervalMinutes != 0 ? cbint : cbeach)->setChecked(true);
    if (s.intervalMinutes != 0) setime->setValue(s.intervalMinutes);
    showInterval();
    cbsendcap->setChecked(s.sendCapture);
    smtpport->setValue(s.port);
    cbstarttls->setChecked(s.startTls);
    smtpuser->setText(s.user);
    smtppass->setText(s.password);
}

// The trimmed entries go back into their fields; a refused one gets the focus.
bool EmailSetupDialog::checked(EmailSettings& s) {
    const auto refusal = checkEmailSettings(s);
    smtpserver->setText(s.server);
    rxemail->setText(s.recipients);
    txemail->setText(s.sender);
    if (!refusal) return true;
    m_op.error(refusal->text);
    QLineEdit* field = refusal->field == EmailField::Server       ? smtpserver
                       : refusal->field == EmailField::Recipients ? rxemail
                                                                  : txemail;
    field->setFocus();
    return false;
}

// The send runs on a worker while the dialog waits, disabled, with its loop running.
void EmailSetupDialog::testClick() {
    EmailSettings s = settings();
    if (!checked(s)) return;
    Result<QString> result = fail(QString());
    const MailServer server = mailServerOf(s);
    const QStringList to = recipientAddresses(s.recipients);
    QEventLoop wait;
    QThread* worker = QThread::create(
        [&result, server, sender = s.sender, to] { result = sendTestMail(server, sender, to); });
    connect(worker, &QThread::finished, &wait, &QEventLoop::quit);
    setEnabled(false);
    {
        const auto busy = m_op.waitCursor();
        worker->start();
        wait.exec();
        worker->wait();
        delete worker;
    }
    setEnabled(true);
    if (result)
        m_op.information(*result);
    else
        m_op.error(result.error().text);
}

void EmailSetupDialog::Button1Click() {
    EmailSettings s = settings();
    if (!checked(s)) return;
    if (auto stored = storeEmailSettings(m_data, s); !stored) {
        m_op.errorDetail(msg::DatabaseError, stored.error().text);
        return;
    }
    accept();
}

}  // namespace tallyport
