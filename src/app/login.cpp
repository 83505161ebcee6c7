#include "app/login.h"

#include "store/messages.h"
#include "store/passwd.h"

namespace tallyport {

void LoginController::setLoggedIn(bool in) {
    for (const QString& name : gatedCommands()) m_commands.setEnabled(name, in);
    m_commands.setEnabled(cmd::actLogin, !in);
    m_commands.setEnabled(cmd::popLogin, !in);
    m_commands.setEnabled(cmd::actLogout, in);
}

// The dialog stays open after a wrong entry, until the right password or Cancel.
bool LoginController::askCurrentPassword(const QString& caption) {
    return m_op.askPassword(caption, [this](const QString& typed) {
        if (passwordMatches(m_data, typed)) return true;
        m_op.error(msg::PasswordIncorrect);
        return false;
    });
}

void LoginController::Login(const std::function<void()>& showWindow) {
    if (!PasswordRegistered(m_data))
        m_op.information(msg::NoPasswordYet);
    else if (!askCurrentPassword(msg::PasswordCaption))
        return;
    setLoggedIn(true);
    if (showWindow) showWindow();
}

void LoginController::Logout() {
    setLoggedIn(false);
}

void LoginController::setPassword() {
    if (PasswordRegistered(m_data) && !askCurrentPassword(msg::OldPasswordCaption)) return;
    const auto password = m_op.askNewPassword([this](const QString& a, const QString& b) {
        if (a == b) return true;
        m_op.error(msg::PasswordInconsistent);
        return false;
    });
    if (!password) return;
    if (m_data.SetKeyValue(kLoginPasswordKey, ScramblePassword(*password)))
        m_op.information(msg::NewPasswordRegistered);
    else
        m_op.error(msg::UpdateFailed);
}

}  // namespace tallyport
