#include "admin/log_writer.h"

#include "store/date_time.h"
#include "store/sqlcipher_db.h"

#include <set>

namespace tallyport {

// The log's row count is kept by a trigger, and with a trigger every INSERT statement writes
// the pages it changes to a statement journal, each page encrypted: one statement per record
// would cost a hundred microseconds. So a batch goes in with one statement from a temporary
// table; that statement's duplicate test cannot see its own rows, so twins within the batch
// are set aside first.
Result<void> LogMerger::merge(const std::vector<readers::LogRecord>& records,
                              DownloadCounts& counts) {
    if (records.empty()) return {};
    std::set<std::pair<QString, int>> seen;
    std::vector<std::pair<QString, const readers::LogRecord*>> batch;
    for (const readers::LogRecord& r : records) {
        QString time = dateTimeText(r.time);
        if (seen.emplace(time, r.card).second) batch.emplace_back(std::move(time), &r);
    }
    Transaction tx(m_att);
    if (!tx.begun()) return tx.beginResult();
    if (auto r = m_att.exec(QStringLiteral(
            "CREATE TEMP TABLE IF NOT EXISTS download_batch "
            "(SYSTIME TEXT NOT NULL, CARDNO INTEGER NOT NULL, MODE INTEGER NOT NULL);"
            "DELETE FROM temp.download_batch"));
        !r)
        return r;
    auto st = m_att.prepare(
        QStringLiteral("INSERT INTO temp.download_batch(SYSTIME, CARDNO, MODE) VALUES (?, ?, ?)"));
    if (!st) return std::unexpected(st.error());
    for (const auto& [time, r] : batch) {
        st->bindAll(time, r->card, r->mode);
        if (auto done = st->step(); !done) return std::unexpected(done.error());
        if (auto again = st->reset(); !again) return std::unexpected(again.error());
    }
    if (auto r = m_att.run(
            QStringLiteral("INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) "
                           "SELECT SYSTIME, CARDNO, MODE, ?, 0 FROM temp.download_batch b "
                           "WHERE NOT EXISTS (SELECT 1 FROM recorder r "
                           "WHERE r.SYSTIME = b.SYSTIME AND r.CARDNO = b.CARDNO)"),
            m_port);
        !r)
        return r;
    const int added = m_att.changes();
    if (auto r = m_att.exec(QStringLiteral("DELETE FROM temp.download_batch")); !r) return r;
    if (auto c = tx.commit(); !c) return c;
    counts.added += added;
    counts.duplicated += int(records.size()) - added;
    return {};
}

LogWriter::LogWriter(QString logPath, QByteArray key, int port)
    : m_path(std::move(logPath)), m_key(std::move(key)), m_port(port) {
    m_thread = std::thread([this] { run(); });
}

LogWriter::~LogWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    m_thread.join();
}

void LogWriter::submit(std::vector<readers::LogRecord> batch) {
    if (batch.empty() || m_failure) return;
    ++m_outstanding;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(batch));
    }
    m_wake.notify_one();
}

Task<void> LogWriter::drained() {
    while (m_outstanding > 0 && !m_failure) co_await nextSignal(this, &LogWriter::batchDone);
}

// Told on the thread that made the writer; a failure drops what is still queued.
void LogWriter::done(DownloadCounts counts, std::optional<Error> failure) {
    m_counts.added += counts.added;
    m_counts.duplicated += counts.duplicated;
    if (failure && !m_failure) m_failure = std::move(failure);
    m_outstanding = std::max(0, m_outstanding - 1);
    Q_EMIT batchDone();
}

// Batches queued meanwhile go in together, up to a transaction's size.
void LogWriter::run() {
    std::optional<Database> db;
    LogMerger* merger = nullptr;
    std::optional<LogMerger> mergerStore;
    for (;;) {
        std::vector<std::vector<readers::LogRecord>> taken;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_stop) return;
            size_t rows = 0;
            while (!m_queue.empty() &&
                   (taken.empty() || rows + m_queue.front().size() <= kMaxTransactionRows)) {
                rows += m_queue.front().size();
                taken.push_back(std::move(m_queue.front()));
                m_queue.pop_front();
            }
        }
        std::vector<readers::LogRecord> rows;
        for (auto& b : taken) rows.insert(rows.end(), b.begin(), b.end());
        std::optional<Error> failure;
        DownloadCounts counts;
        if (!db) {
            auto opened = Database::open(m_path, m_key, Database::Mode::ReadWrite);
            if (opened) {
                db.emplace(std::move(*opened));
                // A full reader's cards are spread over the log's card index: keep the pages
                // it touches in memory instead of reading and decrypting them again per batch.
                (void)db->exec(QStringLiteral("PRAGMA cache_size = -65536"));
                mergerStore.emplace(*db, m_port);
                merger = &*mergerStore;
            } else {
                failure = opened.error();
            }
        }
        if (merger)
            if (auto r = merger->merge(rows, counts); !r) failure = r.error();
        for (size_t i = 0; i < taken.size(); ++i) {
            const DownloadCounts part = i + 1 == taken.size() ? counts : DownloadCounts{};
            QMetaObject::invokeMethod(
                this, [this, part, failure] { done(part, failure); }, Qt::QueuedConnection);
        }
    }
}

}  // namespace tallyport
