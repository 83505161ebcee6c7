// What "Email Settings" refuses, what it stores, and the defaults the dialog and the timer read.
#include "notify/email_settings.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "support/store_fixture.h"

namespace tallyport::test {
namespace {

TEST(EmailSettingsCheck, TheThreeAddressesAreRequiredAndTrimmedInOrder) {
    struct Case {
        const char* server;
        const char* recipients;
        const char* sender;
        std::optional<EmailField> refused;
        QString text;
    };
    const Case cases[] = {
        {"  ", "a@x", "b@x", EmailField::Server, kSmtpServerInvalid},
        {"", "", "", EmailField::Server, kSmtpServerInvalid},
        {"mail", " ", "b@x", EmailField::Recipients, kRecipientsInvalid},
        {"mail", " ; , ", "b@x", EmailField::Recipients, kRecipientsInvalid},
        {"mail", "a@x", "\t", EmailField::Sender, kSenderInvalid},
        {" mail ", " a@x;c@x ", " b@x ", std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server + std::string("|") + c.recipients + "|" + c.sender);
        EmailSettings s;
        s.server = QString::fromLatin1(c.server);
        s.recipients = QString::fromLatin1(c.recipients);
        s.sender = QString::fromLatin1(c.sender);
        const auto refusal = checkEmailSettings(s);
        ASSERT_EQ(refusal.has_value(), c.refused.has_value());
        if (refusal) {
            EXPECT_EQ(refusal->field, *c.refused);
            EXPECT_EQ(refusal->text, c.text);
        } else {
            EXPECT_EQ(s.server, QStringLiteral("mail"));
            EXPECT_EQ(s.recipients, QStringLiteral("a@x;c@x"));
            EXPECT_EQ(s.sender, QStringLiteral("b@x"));
        }
    }
}

TEST(EmailSettingsCheck, RecipientsAreSplitAtSemicolonsAndCommas) {
    EXPECT_EQ(recipientAddresses(QStringLiteral(" a@x ;b@x,, c@x;")),
              (QStringList{QStringLiteral("a@x"), QStringLiteral("b@x"), QStringLiteral("c@x")}));
}

using EmailSettingsStore = StoreFixture;

// Never stored, the dialog offers 30 minutes while the timer looks every second.
TEST_F(EmailSettingsStore, DefaultsDifferBetweenDialogAndTimerAndAStoredValueIsReadBack) {
    EmailSettings s = loadEmailSettings(data);
    EXPECT_EQ(s.intervalMinutes, 30);
    EXPECT_EQ(s.port, 25);
    EXPECT_TRUE(s.staffOnly);
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(emailTimerIntervalMs(), 1000);

    s.intervalMinutes = 0;
    s.port = 587;
    s.startTls = true;
    s.user = QStringLiteral(" clock ");
    s.password = QStringLiteral("pa55");
    ASSERT_TRUE(storeEmailSettings(data, s));
    const EmailSettings back = loadEmailSettings(data);
    EXPECT_EQ(back.intervalMinutes, 0);
    EXPECT_EQ(back.port, 587);
    EXPECT_TRUE(back.startTls);
    EXPECT_EQ(back.user, QStringLiteral("clock"));
    EXPECT_EQ(back.password, QStringLiteral("pa55"));
    EXPECT_EQ(ReadSettingInt(setting::EmailIntervals, -1), 0);
    EXPECT_EQ(emailTimerIntervalMs(), 1000);
    WriteSettingInt(setting::EmailIntervals, 240);
    EXPECT_EQ(emailTimerIntervalMs(), 240 * 60000);
}

}  // namespace
}  // namespace tallyport::test
