#include "app/login.h"
#include "store/passwd.h"
#include "support/store_fixture.h"

using namespace tallyport;

namespace {

class LoginTest : public tallyport::test::StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        login.Logout();
    }
    void storePassword(const QString& raw) {
        ASSERT_TRUE(data.SetKeyValue(kLoginPasswordKey, raw));
    }
    int enabledGated() const {
        int n = 0;
        for (const QString& c : gatedCommands()) n += commands.isEnabled(c);
        return n;
    }

    Commands commands;
    LoginController login{data, commands, op};
};

TEST_F(LoginTest, ThereAreFortyThreeGatedCommandsAndLoggedOutDisablesThemAll) {
    EXPECT_EQ(gatedCommands().size(), 43);
    EXPECT_EQ(enabledGated(), 0);
    EXPECT_TRUE(commands.isEnabled(cmd::actLogin));
    EXPECT_TRUE(commands.isEnabled(cmd::popLogin));
    EXPECT_FALSE(commands.isEnabled(cmd::actLogout));
    for (const QString& free : {cmd::actsetpasswd, cmd::actexit, cmd::actabout})
        EXPECT_TRUE(commands.isEnabled(free));
}

TEST_F(LoginTest, WithoutARegisteredPasswordLoginSaysSoAndLetsIn) {
    for (const QString& stored : {QString(), QStringLiteral(""), QStringLiteral(" \t\r\n")}) {
        if (!stored.isNull()) storePassword(stored);
        op.clear();
        bool shown = false;
        login.Login([&] { shown = true; });
        EXPECT_EQ(op.shown(),
                  QStringList{QStringLiteral("information: No password registered yet.")});
        EXPECT_TRUE(login.loggedIn());
        EXPECT_TRUE(shown);
        EXPECT_EQ(enabledGated(), 43);
        EXPECT_FALSE(commands.isEnabled(cmd::actLogin));
        EXPECT_FALSE(commands.isEnabled(cmd::popLogin));
        EXPECT_TRUE(commands.isEnabled(cmd::actLogout));
        login.Logout();
        EXPECT_EQ(enabledGated(), 0);
    }
}

TEST_F(LoginTest, TheDialogRefusesAWrongPasswordUntilTheRightOneOrCancel) {
    storePassword(ScramblePassword(QStringLiteral("Secret")));
    op.answerPassword(QStringLiteral("secret"));  // one letter's case differs
    op.answerPassword(std::nullopt);
    login.Login();
    EXPECT_FALSE(login.loggedIn());
    EXPECT_EQ(op.shown(), (QStringList{QStringLiteral("password: Password Dialog"),
                                       QStringLiteral("error: Password incorrect.")}));
    op.clear();
    op.answerPassword(QStringLiteral("wrong"));
    op.answerPassword(QStringLiteral("Secret"));
    login.Login();
    EXPECT_TRUE(login.loggedIn());
    EXPECT_EQ(op.shown("error"), QStringList{QStringLiteral("Password incorrect.")});
}

TEST_F(LoginTest, AStoredValueThatIsNoScrambleLetsNobodyIn) {
    storePassword(QStringLiteral("ZZ"));
    op.answerPassword(QString());
    op.answerPassword(QStringLiteral("ZZ"));
    login.Login();
    EXPECT_FALSE(login.loggedIn());
}

TEST_F(LoginTest, SetPasswordAsksTheOldOneAndTheNewOneTwice) {
    // No password yet: no old password is asked; a mismatch keeps the dialog open.
    op.answerNewPassword(std::pair{QStringLiteral("abc"), QStringLiteral("abd")});
    op.answerNewPassword(std::pair{QStringLiteral("abc"), QStringLiteral("abc")});
    login.setPassword();
    EXPECT_EQ(op.shown(),
              (QStringList{QStringLiteral("newpassword: Password Dialog"),
                           QStringLiteral("error: Password inconsistant. Please re-enter it."),
                           QStringLiteral("information: New password registered.")}));
    EXPECT_EQ(data.GetKeyValue(kLoginPasswordKey).second, ScramblePassword(QStringLiteral("abc")));
    EXPECT_FALSE(login.loggedIn());  // changing the password does not log in

    // Cancelling the old-password question leaves the password as it was.
    op.clear();
    op.answerPassword(std::nullopt);
    login.setPassword();
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("password: Old password")});
    EXPECT_EQ(data.GetKeyValue(kLoginPasswordKey).second, ScramblePassword(QStringLiteral("abc")));

    // An empty new password unregisters: the next login asks nothing.
    op.answerPassword(QStringLiteral("abc"));
    op.answerNewPassword(std::pair{QString(), QString()});
    login.setPassword();
    EXPECT_FALSE(PasswordRegistered(data));
}

TEST_F(LoginTest, APasswordThatCannotBeStoredSaysBothMessages) {
    data.CloseDatabases();
    op.answerNewPassword(std::pair{QStringLiteral("x"), QStringLiteral("x")});
    login.setPassword();
    EXPECT_EQ(
        op.shown(),
        (QStringList{QStringLiteral("newpassword: Password Dialog"),
                     QStringLiteral("error: Database Error.\nDatabase is closed"),
                     QStringLiteral("error: Fail to update the database record. Please retry.")}));
}

}  // namespace
