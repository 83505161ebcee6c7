#pragma once

#include "app/commands.h"
#include "base/operator.h"
#include "store/data_module.h"

#include <functional>

namespace tallyport {

namespace msg {
inline const QString NoPasswordYet = QStringLiteral("No password registered yet.");
inline const QString PasswordIncorrect = QStringLiteral("Password incorrect.");
inline const QString PasswordInconsistent =
    QStringLiteral("Password inconsistant. Please re-enter it.");
inline const QString NewPasswordRegistered = QStringLiteral("New password registered.");
inline const QString FeatureDisabled = QStringLiteral("Feature disabled. Please Login to use it.");
inline const QString PasswordCaption = QStringLiteral("Password Dialog");
inline const QString OldPasswordCaption = QStringLiteral("Old password");
}  // namespace msg

// The operator login. The state is the enabled state of Login: enabled means logged out.
// Logging in enables exactly the gated commands; the state is never stored.
class LoginController {
public:
    LoginController(DataModule& data, Commands& commands, Operator& op)
        : m_data(data), m_commands(commands), m_op(op) {}

    bool loggedIn() const { return !m_commands.isEnabled(cmd::actLogin); }

    // Asks for the password when one is registered; showWindow brings the main window up
    // after a successful login.
    void Login(const std::function<void()>& showWindow = {});
    void Logout();
    void setPassword();

private:
    void setLoggedIn(bool in);
    bool askCurrentPassword(const QString& caption);

    DataModule& m_data;
    Commands& m_commands;
    Operator& m_op;
};

}  // namespace tallyport
