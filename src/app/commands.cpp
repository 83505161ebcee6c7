#include "app/commands.h"

namespace tallyport {

const std::vector<CommandInfo>& allCommands() {
    static const std::vector<CommandInfo> table = {
        {"actLogin", "Login", false},
        {"popLogin", "Login", false},
        {"actLogout", "Logout", false},
        {"actsetpasswd", "Set Password", false},
        {"actexit", "Exit", false},
        {"actabout", "About Tallyport", false},
        {"actDoorOpen", "Door Open Button", true},
        {"actOfflineManager", "Access Manager", true},
        {"acthide", "Hide to Systray", true},
        {"actlate", "First In / Last Out", true},
        {"actFiloOn", "First In / Last Out (Overnight)", true},
        {"actNsess", "2-session", true},
        {"acttext", "Export to Text File", true},
        {"actexcel", "Export to Excel File", true},
        {"actreset", "Erase Log Database", true},
        {"actxerasestaffs", "Erase Staff Records", true},
        {"actdelete", "Format Database", true},
        {"actoffline", "Offline Access Table", true},
        {"actcardinfo", "Edit Card Information", true},
        {"actdefgroup", "Group Definition", true},
        {"actlifo", "Total Hours", true},
        {"actinout", "Daily Individual", true},
        {"actlogs", "Time Logs", true},
        {"actwho", "Who's IN / OUT", true},
        {"actdetailtotal", "Total Hours Detail", true},
        {"actmemberlist", "Print Cards", true},
        {"actreaders", "Setup Readers", true},
        {"actHideIt", "Hide On Startup", true},
        {"actmemlist", "Member List", true},
        {"actlistmem", "Print Member List", true},
        {"actemail", "Email", true},
        {"actcap", "Hide Webcam", true},
        {"actsetweb", "Webcam", true},
        {"actautoio", "Auto IN/OUT Time", true},
        {"actexpfilo", "First IN / Last OUT", true},
        {"actexpfix", "Time Logs", true},
        {"actDelRec", "Delete this Attendance Record", true},
        {"actAllinout", "IN/OUT Pairs", true},
        {"actSetTimeTbl", "Define Time Attendance Table", true},
        {"actAttnPairs", "Late and Early Leave", true},
        {"actBupLogs", "Backup Log Database", true},
        {"actBupSys", "Backup System Database", true},
        {"actRstLogs", "Restore Log Database", true},
        {"actRstSys", "Restore System Database", true},
        {"actImportLog", "Import Log Records", true},
        {"actImportSys", "Import Staff Records", true},
        {"actSpeech", "Enable Speech Feedback", true},
        {"actmasterpin", "System PINs", true},
        {"actWebReporter", "Web Reporter", true},
    };
    return table;
}

const CommandInfo* findCommand(const QString& name) {
    for (const CommandInfo& c : allCommands())
        if (name == QLatin1String(c.name)) return &c;
    return nullptr;
}

QStringList gatedCommands() {
    QStringList out;
    for (const CommandInfo& c : allCommands())
        if (c.gated) out << QString::fromLatin1(c.name);
    return out;
}

Commands::Commands(QObject* parent) : QObject(parent) {
    for (const CommandInfo& c : allCommands()) m_enabled[QString::fromLatin1(c.name)] = true;
}

bool Commands::isEnabled(const QString& name) const {
    const auto it = m_enabled.find(name);
    return it != m_enabled.end() && it->second;
}

void Commands::setEnabled(const QString& name, bool enabled) {
    auto it = m_enabled.find(name);
    if (it == m_enabled.end() || it->second == enabled) return;
    it->second = enabled;
    Q_EMIT enabledChanged(name, enabled);
}

}  // namespace tallyport
