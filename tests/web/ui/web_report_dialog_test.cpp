// "Web Reporter": what it shows and stores, the addresses it tells, and the main window's
// command that starts and stops the server with the ticked state.
#include "web/ui/web_report_dialog.h"
#include "app/ui/main_window.h"
#include "store/setting_names.h"
#include "support/dialog_fixture.h"
#include "web/web_reporter.h"
#include "web/web_settings.h"

#include "../http_get.h"

#include <QAction>
#include <QCheckBox>
#include <QHostAddress>
#include <QHostInfo>
#include <QLineEdit>
#include <QSpinBox>
#include <QTcpServer>

namespace tallyport::test {
namespace {

using WebReportDialogTest = DialogFixture;

quint16 freePort() {
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::Any));
    return probe.serverPort();
}

TEST_F(WebReportDialogTest, OpensWithTheDefaultsAndStoresWhatOkConfirms) {
    WebReportDialog d(op);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Web Reporter"));
    EXPECT_FALSE(control<QCheckBox>(&d, "cbEnable")->isChecked());
    EXPECT_EQ(control<QLineEdit>(&d, "eTitle")->text(), QStringLiteral("Tallyport"));
    auto* port = control<QSpinBox>(&d, "sePort");
    EXPECT_EQ(port->value(), 80);
    EXPECT_EQ(port->minimum(), 0);
    EXPECT_EQ(port->maximum(), 65535);
    control<QLineEdit>(&d, "eTitle")->setText(QStringLiteral("Gate"));
    port->setValue(8080);
    // A token anyone could guess keeps the dialog open and stores nothing.
    control<QLineEdit>(&d, "eToken")->setText(QStringLiteral("s3cret"));
    click(&d, "OK");
    EXPECT_NE(d.result(), QDialog::Accepted);
    ASSERT_EQ(op.shown().size(), 1);
    EXPECT_TRUE(op.shown()[0].startsWith(QStringLiteral("error: ")));
    EXPECT_TRUE(ReadSettingText(setting::WebToken, {}).isEmpty());
    op.clear();
    control<QLineEdit>(&d, "eToken")->setText(QStringLiteral(" s3cret-of-the-gate "));
    click(&d, "OK");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(op.shown().isEmpty());  // switched off: no addresses to tell
    EXPECT_FALSE(ReadSettingBool(setting::WebEnabled, true));
    EXPECT_EQ(ReadSettingText(setting::WebTitle, {}), QStringLiteral("Gate"));
    EXPECT_EQ(ReadSettingInt(setting::WebPortNo, 0), 8080);
    EXPECT_EQ(ReadSettingText(setting::WebToken, {}), QStringLiteral("s3cret-of-the-gate"));
}

TEST_F(WebReportDialogTest, SwitchedOnItTellsTheMachinesIPv4Addresses) {
    WebReportDialog d(op);
    setChecked(&d, "cbEnable", true);
    click(&d, "OK");
    ASSERT_EQ(op.shown().size(), 1);
    const QString shown = op.shown()[0];
    ASSERT_TRUE(shown.startsWith(QStringLiteral("information: ") + kWebEnabledInfo));
    const QString tail = shown.mid(QStringLiteral("information: ").size() + kWebEnabledInfo.size());
    if (tail == QHostInfo::localHostName()) return;  // a machine without an address of its own
    for (const QString& a : tail.split(QStringLiteral(", "))) {
        QHostAddress address;
        EXPECT_TRUE(address.setAddress(a)) << qPrintable(a);
        EXPECT_EQ(address.protocol(), QAbstractSocket::IPv4Protocol) << qPrintable(a);
        EXPECT_FALSE(address.isLoopback());
    }
}

// The token shows as dots until Show is ticked; Generate puts a new random token worth having in
// the field at each press, and OK stores the one shown.
TEST_F(WebReportDialogTest, TheTokenIsMaskedShowRevealsItAndGenerateMakesANewOneEachPress) {
    WebReportDialog d(op);
    auto* token = control<QLineEdit>(&d, "eToken");
    token->setText(QStringLiteral("s3cret-of-the-gate"));
    EXPECT_EQ(token->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(token->displayText().contains(QStringLiteral("s3cret")));
    click(&d, "cbShowToken");
    EXPECT_EQ(token->displayText(), QStringLiteral("s3cret-of-the-gate"));
    click(&d, "cbShowToken");
    EXPECT_EQ(token->echoMode(), QLineEdit::Password);

    click(&d, "bGenerate");
    const QString first = token->text();
    EXPECT_GE(first.size(), kMinWebTokenLength);
    EXPECT_TRUE(checkWebToken(first).has_value()) << qPrintable(first);
    EXPECT_EQ(token->echoMode(), QLineEdit::Password);  // generating does not reveal it
    click(&d, "bGenerate");
    const QString second = token->text();
    EXPECT_NE(second, first);
    EXPECT_GE(second.size(), kMinWebTokenLength);
    click(&d, "OK");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(ReadSettingText(setting::WebToken, {}), second);
}

using MainWindowWeb = ConsoleFixture;

TEST_F(MainWindowWeb, TheCommandStartsAndStopsTheServerAndTicksAsTheSettingSays) {
    MainWindow w(console());
    QAction* command = w.action(QStringLiteral("actWebReporter"));
    command->setEnabled(true);  // as after a login
    ASSERT_TRUE(command->isCheckable());
    EXPECT_FALSE(command->isChecked());
    const quint16 port = freePort();
    const auto answer = [](bool enable, int port) {
        OnNextModal([=](QWidget* dialog) {
            setChecked(dialog, "cbEnable", enable);
            control<QSpinBox>(dialog, "sePort")->setValue(port);
            click(dialog, "OK");
        });
    };

    answer(true, port);
    command->trigger();
    EXPECT_TRUE(command->isChecked());
    EXPECT_EQ(httpGet(port, "/logs").status, 200);

    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::Any));
    op.clear();
    answer(true, other.serverPort());
    command->trigger();
    ASSERT_EQ(op.shown().size(), 2);  // the addresses, then why the port cannot be opened
    EXPECT_TRUE(op.shown()[1].startsWith(
        QStringLiteral("error: The Web Reporter cannot listen on port %1: ")
            .arg(other.serverPort())))
        << qPrintable(op.shown()[1]);
    EXPECT_TRUE(command->isChecked());  // stored as switched on, though not listening
    EXPECT_FALSE(console().web().listening());

    answer(false, port);
    command->trigger();
    EXPECT_FALSE(command->isChecked());
    EXPECT_FALSE(console().web().listening());
    EXPECT_EQ(httpGet(port, "/logs", {}, 2000).status, 0);
}

}  // namespace
}  // namespace tallyport::test
