#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <map>

namespace tallyport {

// A command of the main window, by the name the rest of the console uses.
struct CommandInfo {
    const char* name;
    const char* caption;
    bool gated;  // enabled only while an operator is logged in
};

// Every command of the main window in one table; the windows build their menus from it and
// the login state enables exactly the gated ones.
const std::vector<CommandInfo>& allCommands();
const CommandInfo* findCommand(const QString& name);
QStringList gatedCommands();

// The enabled state of every command, shared by the windows and the headless console.
class Commands : public QObject {
    Q_OBJECT
public:
    explicit Commands(QObject* parent = nullptr);

    bool isEnabled(const QString& name) const;
    void setEnabled(const QString& name, bool enabled);

Q_SIGNALS:
    void enabledChanged(const QString& name, bool enabled);

private:
    std::map<QString, bool> m_enabled;
};

// Command names used in code, written once.
namespace cmd {
inline const QString actLogin = QStringLiteral("actLogin");
inline const QString popLogin = QStringLiteral("popLogin");
inline const QString actLogout = QStringLiteral("actLogout");
inline const QString actsetpasswd = QStringLiteral("actsetpasswd");
inline const QString acthide = QStringLiteral("acthide");
inline const QString actexit = QStringLiteral("actexit");
inline const QString actabout = QStringLiteral("actabout");
inline const QString actHideIt = QStringLiteral("actHideIt");
inline const QString actDelRec = QStringLiteral("actDelRec");
}  // namespace cmd

}  // namespace tallyport
