#include "admin/log_download.h"

#include "admin/admin_texts.h"
#include "admin/device_commands.h"
#include "admin/reader_exchange.h"
#include "base/operator.h"
#include "readers/reader.h"
#include "store/date_time.h"
#include "store/messages.h"
#include "store/sqlcipher_db.h"

namespace tallyport {

QString summaryText(const DownloadCounts& c) {
    return QStringLiteral("Added = %1, Duplicated = %2, Invalid = %3")
        .arg(c.added)
        .arg(c.duplicated)
        .arg(c.invalid);
}

void LogMerger::take(const readers::LogRecord& r) {
    if (!r.valid)
        ++m_counts.invalid;
    else
        m_pending.push_back(r);
}

// One statement per record: the index on (SYSTIME, CARDNO) answers the duplicate test, and a
// record repeated within the batch finds its twin inserted just before.
Result<void> LogMerger::flush() {
    if (m_pending.empty()) return {};
    Transaction tx(m_att);
    if (!tx.begun()) return tx.beginResult();
    auto st = m_att.prepare(QStringLiteral(
        "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) SELECT ?1, ?2, ?3, ?4, 0 "
        "WHERE NOT EXISTS (SELECT 1 FROM recorder WHERE SYSTIME = ?1 AND CARDNO = ?2)"));
    if (!st) return std::unexpected(st.error());
    DownloadCounts batch;
    for (const readers::LogRecord& r : m_pending) {
        st->bindAll(dateTimeText(r.time), r.card, r.mode, m_port);
        if (auto done = st->step(); !done) return std::unexpected(done.error());
        ++(m_att.changes() > 0 ? batch.added : batch.duplicated);
        if (auto again = st->reset(); !again) return std::unexpected(again.error());
    }
    if (auto c = tx.commit(); !c) return c;
    m_counts.added += batch.added;
    m_counts.duplicated += batch.duplicated;
    m_pending.clear();
    return {};
}

namespace {

struct Download {
    ReaderExchange& ex;
    DownloadRequest& request;
    LogMerger merger;
    std::unique_ptr<Progress> progress;
    Capacity capacity;

    DownloadResult end(DownloadEnd e) const { return {e, merger.counts()}; }
    void sayStoreFailure(const Error& e) {
        progress.reset();
        ex.hideStep();
        if (ex.op()) ex.op()->errorDetail(msg::DatabaseError, e.text);
    }
};

struct CapacityRead {
    bool replied = false;
    bool agreed = false;  // two reads in a row gave the same
    Capacity capacity;    // the second
};

// Two reads that differ mean the count cannot be trusted; nothing is read then.
Task<CapacityRead> readCapacity(ReaderExchange& ex) {
    ex.showStep(admin_text::step::GetCapacity);
    if (const bool ok = co_await ex.ExchangeCommand(device::getCapacity()); !ok)
        co_return CapacityRead{};
    const Capacity first = capacityReply(ex.reader());
    if (const bool ok = co_await ex.ExchangeCommand(device::getCapacity()); !ok)
        co_return CapacityRead{};
    const Capacity second = capacityReply(ex.reader());
    co_return CapacityRead{true, first == second, second};
}

// Takes the records of the block in the frame buffer; false once the stored data has ended.
bool takeBlock(Download& d) {
    const TReader& r = d.ex.reader();
    for (int i = 0; i < kLogRecordsPerBlock; ++i) {
        if (!r.CheckLogIndex(i)) return false;
        d.merger.take(r.DecodeLogRecord(i));
    }
    return true;
}

// Blocks until the sequence bits break; the result when it must stop early.
Task<std::optional<DownloadResult>> readBlocks(Download& d) {
    bool more = true;
    for (int block = 0; more && block < kLogBlocks; ++block) {
        if (const bool ok = co_await d.ex.ExchangeCommand(device::readLogBlock(block)); !ok) {
            // Rows taken so far are kept: the reader has not been cleared.
            if (auto r = d.merger.flush(); !r) d.sayStoreFailure(r.error());
            co_return d.end(DownloadEnd::Failed);
        }
        more = takeBlock(d);
        if (d.merger.batchFull() || !more)
            if (auto r = d.merger.flush(); !r) {
                d.sayStoreFailure(r.error());
                co_return d.end(DownloadEnd::StoreFailed);
            }
        if (d.progress) {
            d.progress->setPosition(d.merger.counts().taken());
            if (d.progress->cancelRequested()) {
                if (auto r = d.merger.flush(); !r) d.sayStoreFailure(r.error());
                co_return d.end(DownloadEnd::Cancelled);
            }
        }
    }
    if (auto r = d.merger.flush(); !r) {
        d.sayStoreFailure(r.error());
        co_return d.end(DownloadEnd::StoreFailed);
    }
    co_return std::nullopt;
}

}  // namespace

Task<DownloadResult> downloadLogs(ReaderExchange& ex, DownloadRequest request) {
    Download d{ex, request, LogMerger(request.att, request.port), nullptr, {}};
    if (const bool ok = co_await ex.LockReader(true); !ok) co_return d.end(DownloadEnd::Failed);
    const CapacityRead read = co_await readCapacity(ex);
    if (!read.replied) co_return d.end(DownloadEnd::Failed);
    if (!read.agreed) {
        const bool unlocked = co_await ex.UnlockReader();
        if (unlocked && ex.op()) ex.op()->error(admin_text::LinkNotReliable);
        co_return d.end(DownloadEnd::Unreliable);
    }
    if (read.capacity.count == 0) {
        const bool unlocked = co_await ex.UnlockReader();
        if (unlocked && ex.op()) ex.op()->information(admin_text::NoRecordToDownload);
        co_return d.end(DownloadEnd::NothingStored);
    }
    d.capacity = read.capacity;
    ex.showStep(admin_text::step::Downloading);
    if (request.openProgress) d.progress = request.openProgress(read.capacity.count);
    if (auto stopped = co_await readBlocks(d); stopped) {
        // A reader left locked would not work on its own: unlock it whatever stopped us.
        if (stopped->end != DownloadEnd::Failed) co_await ex.UnlockReader();
        co_return *stopped;
    }
    d.progress.reset();
    if (request.clearAfter) {
        if (const bool ok = co_await ex.ClearReaderLogs(d.capacity.mark); !ok)
            co_return d.end(DownloadEnd::Failed);
    }
    if (const bool ok = co_await ex.UnlockReader(); !ok) co_return d.end(DownloadEnd::Failed);
    if (ex.op()) ex.op()->information(summaryText(d.merger.counts()));
    co_return d.end(DownloadEnd::Done);
}

}  // namespace tallyport
