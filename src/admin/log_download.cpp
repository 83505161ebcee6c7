#include "admin/log_download.h"

#include "admin/admin_texts.h"
#include "admin/device_commands.h"
#include "admin/reader_exchange.h"
#include "base/operator.h"
#include "readers/reader_client.h"
#include "store/date_time.h"
#include "store/messages.h"

namespace tallyport {

QString summaryText(const DownloadCounts& c) {
    return QStringLiteral("Added = %1, Duplicated = %2, Invalid = %3")
        .arg(c.added)
        .arg(c.duplicated)
        .arg(c.invalid);
}

namespace {

struct Download {
    ReaderExchange& ex;
    DownloadRequest& request;
    LogWriter writer;
    std::unique_ptr<Progress> progress{};
    Capacity capacity{};
    std::vector<readers::LogRecord> batch{};
    int invalid = 0;
    int taken = 0;

    DownloadResult end(DownloadEnd e) const {
        DownloadCounts c = writer.counts();
        c.invalid = invalid;
        return {e, c};
    }
    void sayStoreFailure() {
        progress.reset();
        ex.hideStep();
        if (ex.op() && writer.failure())
            ex.op()->errorDetail(msg::DatabaseError, writer.failure()->text);
    }
};

struct CapacityRead {
    bool replied = false;
    bool agreed = false;  // two reads in a row gave the same
    Capacity capacity;    // the second
};

Task<std::optional<Capacity>> capacityNow(ReaderExchange& ex) {
    ex.showStep(admin_text::step::GetCapacity);
    if (const bool ok = co_await ex.ExchangeCommand(device::getCapacity()); !ok)
        co_return std::nullopt;
    co_return capacityReply(ex.reader());
}

// Two reads that differ mean the count cannot be trusted; nothing is read then.
Task<CapacityRead> readCapacity(ReaderExchange& ex) {
    const std::optional<Capacity> first = co_await capacityNow(ex);
    if (!first) co_return CapacityRead{};
    const std::optional<Capacity> second = co_await capacityNow(ex);
    if (!second) co_return CapacityRead{};
    co_return CapacityRead{true, *first == *second, *second};
}

// The count travels in 16 bits, and a reader keeps up to 67,584 records: beyond 65,535 it
// announces the field's top value or the count modulo 65,536.
bool allAnnouncedRead(int announced, int taken) {
    if (taken == announced) return true;
    return taken > 0xFFFF && (announced == 0xFFFF || announced == (taken & 0xFFFF));
}

// Takes the records of the block in the frame buffer; false once the stored data has ended.
bool takeBlock(Download& d) {
    const ReaderClient& r = d.ex.reader();
    for (int i = 0; i < kLogRecordsPerBlock; ++i) {
        if (!r.CheckLogIndex(i)) return false;
        const readers::LogRecord record = r.DecodeLogRecord(i);
        ++d.taken;
        if (record.valid)
            d.batch.push_back(record);
        else
            ++d.invalid;
    }
    return true;
}

// Eight blocks a batch: the writer gets work early and the reader's link stays busy.
constexpr size_t kBatchRecords = 8 * kLogRecordsPerBlock;

void handOver(Download& d) {
    d.writer.submit(std::move(d.batch));
    d.batch.clear();
}

// Blocks until the sequence bits break; the result when it must stop early. Rows taken so far
// are written in every case: the reader has not been cleared.
Task<std::optional<DownloadResult>> readBlocks(Download& d) {
    bool more = true;
    std::optional<DownloadEnd> stop;
    for (int block = 0; more && !stop && block < kLogBlocks; ++block) {
        if (const bool ok = co_await d.ex.ExchangeCommand(device::readLogBlock(block)); !ok) {
            stop = DownloadEnd::Failed;
            break;
        }
        more = takeBlock(d);
        if (d.batch.size() >= kBatchRecords || !more) handOver(d);
        if (d.writer.failure()) stop = DownloadEnd::StoreFailed;
        if (d.progress) {
            d.progress->setPosition(d.taken);
            if (d.progress->cancelRequested()) stop = DownloadEnd::Cancelled;
        }
    }
    handOver(d);
    co_await d.writer.drained();
    if (d.writer.failure()) {
        d.sayStoreFailure();
        co_return d.end(DownloadEnd::StoreFailed);
    }
    if (stop) co_return d.end(*stop);
    co_return std::nullopt;
}

}  // namespace

Task<DownloadResult> downloadLogs(ReaderExchange& ex, DownloadRequest request) {
    Download d{ex, request, LogWriter(request.logPath, request.logKey, request.port)};
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
    // Records that were not read, or that came after the count was taken, would be destroyed
    // by a clear: the reader keeps them all then.
    bool keep = false;
    if (request.clearAfter) {
        const std::optional<Capacity> now = co_await capacityNow(ex);
        if (!now) co_return d.end(DownloadEnd::Failed);
        keep = !(*now == d.capacity && allAnnouncedRead(d.capacity.count, d.taken));
        if (!keep) {
            if (const bool ok = co_await ex.ClearReaderLogs(d.capacity.mark); !ok)
                co_return d.end(DownloadEnd::Failed);
        }
    }
    if (const bool ok = co_await ex.UnlockReader(); !ok) co_return d.end(DownloadEnd::Failed);
    const DownloadResult r = d.end(keep ? DownloadEnd::NotCleared : DownloadEnd::Done);
    if (ex.op() && keep)
        ex.op()->warning(summaryText(r.counts) + QLatin1Char('\n') +
                         admin_text::NotClearedText(d.taken, d.capacity.count));
    else if (ex.op())
        ex.op()->information(summaryText(r.counts));
    co_return r;
}

}  // namespace tallyport
