#include "app/recorder_requests.h"

#include "app/unattended_operator.h"

#include "admin/access_manager.h"
#include "admin/reader_exchange.h"
#include "admin/reader_setup.h"
#include "app/console.h"
#include "app/maintenance_command.h"
#include "app/reader_command.h"
#include "app/subcommands.h"
#include "readers/reader_client.h"
#include "store/log_import.h"
#include "store/messages.h"
#include "store/staff_import.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTimer>
#include <csignal>

namespace tallyport {
namespace {

const QString kMayNotReadText =
    QStringLiteral("You may not read %1: the recorder does not read it for you.");
constexpr int kProgressEveryMs = 250;
const QString kReconfiguredText = QStringLiteral("Readers configured anew: %1");
const QString kNothingReconfiguredText = QStringLiteral("No reader's row changed.");

// A progress window as messages to the client, at most a few a second.
class CallProgress final : public Progress {
public:
    CallProgress(std::shared_ptr<ControlCall> call, QString caption, int maximum)
        : m_call(std::move(call)), m_caption(std::move(caption)), m_maximum(maximum) {
        m_call->progress(m_caption, 0, m_maximum);
        m_sent.start();
    }
    void step() override { setPosition(m_position + 1); }
    void setPosition(int value) override {
        m_position = value;
        if (m_sent.elapsed() < kProgressEveryMs && value < m_maximum) return;
        m_call->progress(m_caption, value, m_maximum);
        m_sent.restart();
    }

private:
    std::shared_ptr<ControlCall> m_call;
    QString m_caption;
    int m_maximum;
    int m_position = 0;
    QElapsedTimer m_sent;
};

// The operator of a request: what a command alone prints on its terminal goes to the client,
// on the same stream; every question gets the answer the command line gave.
class CallOperator final : public UnattendedOperator {
public:
    CallOperator(std::shared_ptr<ControlCall> call, bool answer)
        : UnattendedOperator(answer), m_call(std::move(call)) {}

    void information(const QString& text) override {
        if (!quietInformation) m_call->say(OutputStream::Out, text);
    }
    void error(const QString& text) override { m_call->say(OutputStream::Err, text); }
    void warning(const QString& text) override { m_call->say(OutputStream::Err, text); }
    void generalError(const QString& text) override { m_call->say(OutputStream::Err, text); }
    std::unique_ptr<Progress> progress(const QString& caption, int maximum) override {
        return std::make_unique<CallProgress>(m_call, caption, maximum);
    }

private:
    std::shared_ptr<ControlCall> m_call;
};

// `reader N ACTION` on the recorder's own client of that reader. Card reads at the reader
// meanwhile are stored by the live recording, and counted as the command alone counts them.
class ReaderJob final : public QObject {
public:
    ReaderJob(Console& console, std::shared_ptr<ControlCall> call, const ReaderRequest& q,
              QObject* parent)
        : QObject(parent),
          m_call(std::move(call)),
          m_op(m_call, true),
          m_manager(console.readers().reader(q.port), console.data(), m_op, m_view) {
        connect(&console, &Console::eventStored, this, [this, port = q.port](const LogRecord& row) {
            if (row.reader == port) ++m_stored;
        });
        m_out = [this](const QString& line) { m_call->say(OutputStream::Out, line); };
        m_task = runReaderAction(q, m_manager, m_op.quietInformation, m_out);
        m_task.start([this] {
            const bool done = m_task.result();
            if (m_stored > 0) m_call->say(OutputStream::Out, cardReadsStoredText(m_stored));
            m_call->finish(done ? kExitDone : kExitFailed);
            deleteLater();
        });
    }

private:
    std::shared_ptr<ControlCall> m_call;
    CallOperator m_op;
    NoStepView m_view;
    AccessManager m_manager;
    LineOut m_out;
    Task<bool> m_task;
    int m_stored = 0;
};

}  // namespace

RecorderRequests::RecorderRequests(Console& console, QObject* parent)
    : QObject(parent),
      m_console(console),
      m_server(console.data().dataFolder()),
      m_status(console) {
    m_server.handle(kStatusCommand, [this](std::shared_ptr<ControlCall> call) {
        const QJsonObject s = m_status.snapshot();
        call->say(OutputStream::Out,
                  QString::fromUtf8(QJsonDocument(s).toJson(QJsonDocument::Compact)));
        call->finish(kExitDone);
    });
    m_server.handle(kReaderCommand, [this](auto call) { readerRequest(std::move(call)); });
    m_server.handle(kImportCommand, [this](auto call) { importRequest(std::move(call)); });
    m_server.handle(kReloadCommand, [this](auto call) { reloadRequest(std::move(call)); });
    connect(&console, &Console::shuttingDown, this, &RecorderRequests::stop);
}

RecorderRequests::~RecorderRequests() {
    stop();
}

// The reader jobs are the children: they go, and let go of their readers, before the
// console's shutdown closes the readers.
void RecorderRequests::stop() {
    m_server.close();
    m_imports.clear();
    qDeleteAll(children());
}

Result<void> RecorderRequests::listen() {
    // A client that hangs up mid-answer must not end the recording.
    std::signal(SIGPIPE, SIG_IGN);
    return m_server.listen();
}

void RecorderRequests::readerRequest(std::shared_ptr<ControlCall> call) {
    if (isReaderRowCommand(call->args())) return readerRowRequest(std::move(call));
    const ReaderRequest q = parseReaderArguments(call->args());
    if (q.help || !q.error.isEmpty()) {
        call->say(OutputStream::Err, q.error.isEmpty() ? readerUsageText() : q.error);
        return call->finish(kExitUsage);
    }
    // A port the reader setup has no row for: the command alone says the same.
    const auto rows = readReaderRows(m_console.data().src());
    if (!rows) {
        call->say(OutputStream::Err, msg::DatabaseError + u'\n' + rows.error().text);
        return call->finish(kExitFailed);
    }
    if (std::none_of(rows->begin(), rows->end(),
                     [&q](const ReaderRow& r) { return r.portNo == q.port; })) {
        call->say(OutputStream::Err, msg::ReformatDatabase);
        return call->finish(kExitFailed);
    }
    new ReaderJob(m_console, std::move(call), q, this);
}

// `reader N set …`: the row changed as the command alone changes it, and the reader table read
// again at once, as a reload does.
void RecorderRequests::readerRowRequest(std::shared_ptr<ControlCall> call) {
    const ReaderRowRequest q = parseReaderRowArguments(call->args());
    if (!q.error.isEmpty() || q.list) {
        call->say(OutputStream::Err, q.error.isEmpty() ? readerUsageText() : q.error);
        return call->finish(kExitUsage);
    }
    const auto row = changeReaderRow(m_console.data().src(), q.port, q.change);
    if (!row) {
        call->say(OutputStream::Err, row.error().text);
        return call->finish(kExitFailed);
    }
    (void)m_console.reload();
    call->say(OutputStream::Out, rowLine(*row));
    call->finish(kExitDone);
}

// The settings and the reader table read again, as on SIGHUP: an attached desktop asks after
// its Reader Setup.
void RecorderRequests::reloadRequest(std::shared_ptr<ControlCall> call) {
    const std::vector<int> ports = m_console.reload();
    QStringList names;
    for (const int p : ports) names << QString::number(p);
    call->say(OutputStream::Out, names.isEmpty() ? kNothingReconfiguredText
                                                 : kReconfiguredText.arg(names.join(u", ")));
    call->finish(kExitDone);
}

void RecorderRequests::importRequest(std::shared_ptr<ControlCall> call) {
    const QStringList& a = call->args();
    if (a.size() != 2 || (a[0] != kImportLog && a[0] != kImportStaff)) {
        call->say(OutputStream::Err, QStringLiteral("log or staff?"));
        return call->finish(kExitUsage);
    }
    if (!peerMayRead(call->peer(), a[1])) {
        call->say(OutputStream::Err, kMayNotReadText.arg(a[1]));
        return call->finish(kExitFailed);
    }
    m_imports.push_back({std::move(call), a[0], a[1]});
    if (!m_importing) QTimer::singleShot(0, this, &RecorderRequests::runImports);
}

// One import after another: each runs on a worker while this loop goes on recording.
void RecorderRequests::runImports() {
    if (m_importing) return;
    m_importing = true;
    while (!m_imports.empty()) {
        Import next = std::move(m_imports.front());
        m_imports.pop_front();
        CallOperator op(next.call, false);
        const bool log = next.kind == kImportLog;
        const bool done = log ? importLogFrom(m_console.data(), op, next.path, false)
                              : importStaffFrom(m_console.data(), op, next.path, false);
        if (log)
            Q_EMIT m_console.logChanged();
        else
            Q_EMIT m_console.holdersChanged();
        next.call->finish(done ? kExitDone : kExitFailed);
    }
    m_importing = false;
}

}  // namespace tallyport
