#include "app/console.h"

#include "store/setting_names.h"
#include "store/settings.h"

#include <QDir>

namespace tallyport {

Console::Console(Operator& op, const QString& dataFolder, QObject* parent)
    : QObject(parent), m_op(op), m_data(op), m_commands(this), m_login(m_data, m_commands, op) {
    m_data.setDataFolder(dataFolder);
    // Closing the databases disconnects the readers first; reopening configures them again.
    m_data.setCloseHook([this] {
        if (m_readers) m_readers->DisconnectReaders();
    });
    m_data.setReopenHook([this] {
        if (m_readers && m_data.isOpen()) m_readers->ConfigureReaders();
        Q_EMIT logChanged();
    });
}

Console::~Console() { Shutdown(); }

bool Console::StartUp() {
    if (auto fresh = m_data.PrepareDataFolder(); !fresh) {
        m_op.error(fresh.error().text);
        m_endRequested = true;
        return false;
    }
    if (!m_data.OpenDatabases()) m_endRequested = true;
    m_readers = std::make_unique<ReaderBank>(m_data, m_op);
    connect(m_readers.get(), &ReaderBank::readerStatus, this, &Console::readerStatus);
    if (!m_endRequested) m_readers->ConfigureReaders();
    return !m_endRequested;
}

bool Console::CreationStep() {
    m_login.Logout();
    const QString photos = m_data.photoFolder();
    if (!QDir().mkpath(photos)) {
        m_op.generalError(kCannotCreateDirectory + photos);
        return false;
    }
    return true;
}

void Console::Shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    m_data.CloseDatabases();
    m_readers.reset();
}

bool Console::hideOnStartup() const { return ReadSettingBool(setting::HideOnStartup, false); }

void Console::setHideOnStartup(bool hide) { WriteSettingBool(setting::HideOnStartup, hide); }

// "no record", or the count followed by " record(s)".
QString Console::recordCountText() {
    const qint64 n = m_data.isOpen() ? m_data.LogCount() : 0;
    return n == 0 ? QStringLiteral("no record") : QStringLiteral("%1 record(s)").arg(n);
}

}  // namespace tallyport
