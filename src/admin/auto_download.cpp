#include "admin/auto_download.h"

#include "admin/admin_texts.h"
#include "admin/manager_settings.h"
#include "admin/reader_exchange.h"
#include "readers/reader_bank.h"
#include "store/data_module.h"
#include "store/messages.h"
#include "store/schema.h"

#include <QTimer>

namespace tallyport {

AutoDownload::AutoDownload(DataModule& data, ReaderBank& bank, QObject* parent)
    : QObject(parent), m_data(data), m_bank(bank) {
    connect(&m_bank, &ReaderBank::readerConnected, this, &AutoDownload::readerConnected);
}

// Abandoned downloads release their readers; rows already written stay.
AutoDownload::~AutoDownload() = default;

bool AutoDownload::running(int port) const {
    return ReaderBank::validPort(port) && m_slots[size_t(port - 1)].task != nullptr;
}

void AutoDownload::readerConnected(int port) {
    if (!ReaderBank::validPort(port) || !autoDownloadEnabled()) return;
    // An operator's workflow reconnected it, or works on it: the records are its business.
    if (!running(port) && m_bank.reader(port).held()) return;
    request(port);
}

void AutoDownload::request(int port) {
    if (!ReaderBank::validPort(port)) return;
    Slot& slot = m_slots[size_t(port - 1)];
    if (slot.task) {
        slot.again = true;
        return;
    }
    start(port);
}

void AutoDownload::start(int port) {
    Slot& slot = m_slots[size_t(port - 1)];
    slot.again = false;
    slot.task = std::make_unique<Task<void>>(run(port));
    // From the event loop: the connect notice comes from inside the socket's own signal.
    QTimer::singleShot(0, this, [this, port] {
        Task<void>* task = m_slots[size_t(port - 1)].task.get();
        if (task)
            task->start(
                [this, port] { QTimer::singleShot(0, this, [this, port] { ended(port); }); });
    });
}

void AutoDownload::ended(int port) {
    Slot& slot = m_slots[size_t(port - 1)];
    slot.task.reset();
    if (slot.again && m_bank.reader(port).isConnected()) start(port);
}

Task<void> AutoDownload::run(int port) {
    ReaderClient& reader = m_bank.reader(port);
    co_await whenFree(reader);
    if (!m_data.isOpen() || !reader.isConnected()) co_return;
    ReaderHold hold(reader);
    NoStepView view;
    ReaderExchange ex(reader, nullptr, view, ReaderExchange::Reconnecting::Never);
    DownloadRequest request{m_data.filePath(kLogFile), kLogKey, port, false, {}};
    const DownloadResult r = co_await downloadLogs(ex, std::move(request));
    report(port, r);
}

void AutoDownload::report(int port, const DownloadResult& r) {
    const QString reader = QStringLiteral("Reader (%1): ").arg(m_bank.reader(port).Desc());
    if (r.counts.added > 0) Q_EMIT logAdded();
    switch (r.end) {
        case DownloadEnd::Done:
        case DownloadEnd::NotCleared:  // it never clears
            Q_EMIT statusLine(port, reader + summaryText(r.counts));
            break;
        case DownloadEnd::Unreliable:
            Q_EMIT statusLine(port, reader + admin_text::LinkNotReliable);
            break;
        case DownloadEnd::StoreFailed:
            Q_EMIT statusLine(port, reader + msg::DatabaseError);
            break;
        case DownloadEnd::Failed:
            if (r.counts.taken() > 0)  // cut short: what came is in, the rest comes next time
                Q_EMIT statusLine(port, reader + summaryText(r.counts));
            break;
        case DownloadEnd::NothingStored:
        case DownloadEnd::Cancelled:
            break;
    }
    Q_EMIT finished(port, r);
}

}  // namespace tallyport
