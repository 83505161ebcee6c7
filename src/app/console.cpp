#include "app/console.h"

#include "admin/auto_download.h"
#include "admin/reader_setup.h"
#include "app/auto_inout.h"
#include "app/card_events.h"
#include "base/clock.h"
#include "notify/mail_queue.h"
#include "web/web_reporter.h"

#include "store/commit_watch.h"
#include "store/messages.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QDir>

namespace tallyport {

Console::Console(Operator& op, const QString& dataFolder, QObject* parent)
    : QObject(parent), m_op(op), m_data(op), m_commands(this), m_login(m_data, m_commands, op) {
    m_data.setDataFolder(dataFolder);
    m_mail = std::make_unique<MailQueue>(m_data);
    m_web = std::make_unique<WebReporter>(m_data.dataFolder());
    // A store failure of a web request reaches the operator like any other read that failed.
    connect(m_web.get(), &WebReporter::storeFailed, this,
            [this](const QString& reason) { m_data.reportFailure(Error{reason}); });
    // Closing the databases disconnects the readers first, and lets go of the web reporter's
    // own connections (a file is about to be replaced); reopening configures them again.
    m_data.setCloseHook([this] {
        if (m_readers) m_readers->DisconnectReaders();
        m_web->closeConnections();
    });
    m_data.setLogViewHook([this](bool hidden) { Q_EMIT logViewHeld(hidden); });
    m_data.setLogRowsMovedHook([this] { Q_EMIT logChanged(); });
    setSettingsFailureReporter(
        [this](const QString& text, const QString& reason) { m_op.errorDetail(text, reason); });
    m_data.setReopenHook([this] {
        if (m_readers && m_data.isOpen()) m_readers->ConfigureReaders(!m_attachedTo);
        m_web->reopenConnections();
        Q_EMIT logChanged();
    });
}

Console::~Console() {
    Shutdown();
    setSettingsFailureReporter({});
}

bool Console::startUp() {
    if (auto fresh = m_data.prepareDataFolder(); !fresh) {
        m_op.error(fresh.error().text);
        m_endRequested = true;
        return false;
    }
    if (!m_data.OpenDatabases()) m_endRequested = true;
    m_readers = std::make_unique<ReaderBank>(m_data, m_op);
    connect(m_readers.get(), &ReaderBank::readerStatus, this, &Console::readerStatus);
    m_autoDownload = std::make_unique<AutoDownload>(m_data, *m_readers);
    connect(m_autoDownload.get(), &AutoDownload::statusLine, this, &Console::readerStatus);
    connect(m_autoDownload.get(), &AutoDownload::logAdded, this, &Console::logChanged);
    attachCardEvents();
    if (!m_endRequested) watchCommits();
    // The readers and the timers are the recorder's: the clients only name the readers.
    if (m_attachedTo && !m_endRequested) m_readers->ConfigureReaders(false);
    if (m_attachedTo) return !m_endRequested;
    if (!m_endRequested) m_readers->ConfigureReaders();
    if (!m_endRequested) m_mail->configureTimer();
    return !m_endRequested;
}

void Console::attachTo(const AttachedRecorder& recorder) {
    m_attachedTo = recorder;
    m_attachedMark = AttachedMark::take(m_data.dataFolder());
    m_data.setAttached(true);
    m_recorderWatch = std::make_unique<RecorderWatch>(m_data.dataFolder());
}

namespace {
// Often enough that a punch shows within a second of its commit elsewhere.
constexpr int kCommitWatchMs = 250;
// New rows of another process announced one by one; a larger batch (an import) only moves
// the view.
constexpr int kNewRowsAnnounced = 20;
}  // namespace

// Holders and groups are edited by every process on the folder; the log is written by the
// recorder, which an attached console follows.
void Console::watchCommits() {
    m_systemCommits = std::make_unique<CommitWatch>(m_data.src(), kCommitWatchMs);
    connect(m_systemCommits.get(), &CommitWatch::committed, this, &Console::holdersChanged);
    m_systemCommits->start();
    if (!m_attachedTo) return;
    if (const auto newest = m_data.att().scalarInt(QStringLiteral("SELECT max(rowid) FROM recorder")))
        m_newestSeenRowId = newest->value_or(0);
    m_logCommits = std::make_unique<CommitWatch>(m_data.att(), kCommitWatchMs);
    connect(m_logCommits.get(), &CommitWatch::committed, this, &Console::logCommittedElsewhere);
    m_logCommits->start();
}

void Console::logCommittedElsewhere() {
    auto rows = m_data.att().query(
        QStringLiteral("SELECT ") + kLogColumns +
            QStringLiteral(" FROM recorder WHERE rowid > ? ORDER BY rowid DESC LIMIT ?"),
        &logRecordFromRow, m_newestSeenRowId, kNewRowsAnnounced);
    if (!rows) m_data.reportFailure(rows.error());
    if (rows && !rows->empty()) m_newestSeenRowId = rows->front().rowId;
    Q_EMIT logChanged();
    if (!rows || rows->empty()) return;
    for (auto it = rows->rbegin(); it != rows->rend(); ++it) Q_EMIT eventStored(*it);
    Q_EMIT eventShown(rows->front().cardNo, rows->front().sysTime);
}

// Automatic IN/OUT must not depend on the photo folder: without it only the first
// evaluation is lost, and the minute tick makes up for it.
bool Console::creationStep() {
    m_login.Logout();
    if (m_attachedTo) return QDir().mkpath(m_data.photoFolder());
    if (auto web = m_web->applySettings(); !web) m_op.error(web.error().text);
    const QString photos = m_data.photoFolder();
    const bool made = QDir().mkpath(photos);
    if (!made) m_op.generalError(kCannotCreateDirectory + photos);
    if (m_autoInOut) {
        if (made) m_autoInOut->Evaluate(appClock().now().time());
        m_autoInOut->start();
    }
    return made;
}

void Console::attachCardEvents() {
    m_autoInOut = std::make_unique<AutoInOut>(m_data);
    m_cardEvents = std::make_unique<CardEvents>(*this, *m_autoInOut);
    connect(m_readers.get(), &ReaderBank::cardCode, m_cardEvents.get(), &CardEvents::OnCardCode);
    connect(m_readers.get(), &ReaderBank::bypass, m_cardEvents.get(), &CardEvents::OnBypass);
    connect(m_readers.get(), &ReaderBank::powerup, m_cardEvents.get(), &CardEvents::OnPowerup);
}

void Console::Shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    Q_EMIT shuttingDown();
    m_recorderWatch.reset();
    m_logCommits.reset();
    m_systemCommits.reset();
    m_mail->stop();
    m_web->stop();
    if (m_autoInOut) m_autoInOut->stop();
    if (m_cardEvents) m_cardEvents->motiontimer().stop();
    m_autoDownload.reset();  // before the readers and databases it works with
    m_data.CloseDatabases();
    m_attachedMark = AttachedMark();  // the files are closed: a restore may replace them
    m_cardEvents.reset();
    m_readers.reset();
}

namespace {

// Whether the client runs as its row says: same address, description, mode and lock time, and
// in use exactly when the row enables it.
bool readerMatchesRow(const ReaderClient& r, const ReaderRow& row) {
    const bool inUse = r.Enable() || r.autoReconnect();
    return inUse == row.enable && r.remoteHost() == row.ipaddr &&
           r.remotePort() == QString::number(row.ipport) && r.Desc() == row.desc &&
           r.Mode() == row.mode && r.LockTime() == row.lockTime;
}

}  // namespace

std::vector<int> Console::reload() {
    std::vector<int> changed;
    if (!m_readers || !m_data.isOpen()) return changed;
    m_mail->configureTimer();
    if (auto web = m_web->applySettings(); !web) m_op.error(web.error().text);
    const auto rows = readReaderRows(m_data.src());
    if (!rows) {
        m_op.errorDetail(msg::DatabaseError, rows.error().text);
        return changed;
    }
    for (const ReaderRow& row : *rows) {
        if (!ReaderBank::validPort(row.portNo) ||
            readerMatchesRow(m_readers->reader(row.portNo), row))
            continue;
        m_readers->ConfigureReader(row.portNo);
        changed.push_back(row.portNo);
    }
    return changed;
}

void Console::setPeripherals(const Peripherals& devices) {
    m_devices = devices;
    if (m_devices.speech)
        m_devices.speech->setFailureReporter(
            this, [this](const QString& text) { m_op.generalError(text); });
}

bool Console::hideOnStartup() const {
    return ReadSettingBool(setting::HideOnStartup, false);
}

void Console::setHideOnStartup(bool hide) {
    WriteSettingBool(setting::HideOnStartup, hide);
}

// "no record", or the count followed by " record(s)".
QString Console::recordCountText() {
    const qint64 n = m_data.isOpen() ? m_data.logCount() : 0;
    return n == 0 ? QStringLiteral("no record") : QStringLiteral("%1 record(s)").arg(n);
}

}  // namespace tallyport
