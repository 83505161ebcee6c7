#include "store/staff_import.h"

#include "store/data_module.h"
#include "store/maintenance.h"
#include "store/maintenance_texts.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"

#include <QElapsedTimer>
#include <iterator>
#include <optional>

namespace tallyport {
namespace {

// Holders carry their photos: fewer to a batch than log rows.
constexpr int kBatchRows = 250;
constexpr qint64 kBatchMs = 100;

const QString kLineEnd = QStringLiteral("\n\r");

// The holder's columns, then the group's; a group missing from the foreign file reads as an
// empty name with no hours.
const QString kForeignRows = QStringLiteral(
    "SELECT staffs.CARDNO, staffs.NAME, staffs.TIMEGRP, staffs.ACCESSGRP, staffs.PHOTO, "
    "staffs.OFFLINE, staffs.PICKED, staffs.COM1, staffs.COM2, staffs.COM3, staffs.COM4, "
    "staffs.COM5, staffs.COM6, staffs.COM7, staffs.COM8, staffs.MEMO, "
    "coalesce(gid.descx, ''), gid.wd_from_1, gid.wd_to_1, gid.wd_from_2, gid.wd_to_2, "
    "coalesce(gid.sat_enable_1, 0), gid.sat_from_1, gid.sat_to_1, "
    "coalesce(gid.sat_enable_2, 0), gid.sat_from_2, gid.sat_to_2, "
    "coalesce(gid.ot_min, 0), coalesce(gid.ot_multi, 0) "
    "FROM staffs LEFT JOIN gid ON staffs.WORKGRP = gid.id ORDER BY staffs.CARDNO, staffs.SEQ");
constexpr int kGroupName = 16;  // the column of the group's name; its hours follow

const QString kInsertStaff = QStringLiteral(
    "INSERT INTO staffs(CARDNO, WORKGRP, NAME, TIMEGRP, ACCESSGRP, PHOTO, OFFLINE, PICKED, "
    "COM1, COM2, COM3, COM4, COM5, COM6, COM7, COM8, MEMO) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertGroup = QStringLiteral(
    "INSERT INTO gid(descx, wd_from_1, wd_to_1, wd_from_2, wd_to_2, sat_enable_1, sat_from_1, "
    "sat_to_1, sat_enable_2, sat_from_2, sat_to_2, ot_min, ot_multi) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

// How each column of kForeignRows is copied.
enum class Kind { Integer, Text, Bytes };
constexpr Kind I = Kind::Integer, T = Kind::Text;
constexpr Kind kKinds[] = {I, T, I, I, Kind::Bytes, I, I, I, I, I, I, I, I, I, I, T,  // holder
                           T, T, T, T, T,           I, T, T, I, T, T, I, I};          // group

void copyColumn(const Statement& from, int column, Statement& to, int index) {
    if (from.isNull(column)) {
        to.bind(index, nullptr);
        return;
    }
    switch (kKinds[column]) {
        case Kind::Integer:
            to.bind(index, from.int64(column));
            break;
        case Kind::Text:
            to.bind(index, from.text(column));
            break;
        case Kind::Bytes:
            to.bind(index, from.blob(column));
            break;
    }
}

class StaffImporter {
public:
    StaffImporter(Database& live, Statement& rows, StaffImport& out)
        : m_live(live), m_rows(rows), m_out(out) {}

    void run(qint64 total, const WorkSteps& step) {
        qint64 seen = 0;
        for (;;) {
            const auto more = m_rows.step();
            if (!more) return unreadable(more.error().text);
            if (!*more) return void(commit());
            if (!m_tx && !begin()) return;
            if (!storeHolder()) return;
            ++seen;
            if (batchFull() && (!commit() || (step && !step(seen, total)))) return;
        }
    }

private:
    // False when the engine ended the batch: the import stops there.
    bool storeHolder() {
        ++m_inBatch;
        const auto known = m_live.scalarInt(
            QStringLiteral("SELECT 1 FROM staffs WHERE CARDNO = ? LIMIT 1"), m_rows.int64(0));
        if (known && *known) return ++m_batch.duplicated, true;
        bool stored = known.has_value();
        if (stored) {
            const int group = groupId();
            if (!m_live.inTransaction()) return stop(m_live.lastError()), false;
            stored = insertHolder(group);
        }
        if (!stored) ++m_batch.errors;
        if (!m_live.inTransaction()) return stop(m_live.lastError()), false;
        return true;
    }
    bool insertHolder(int group) {
        auto st = m_live.prepare(kInsertStaff);
        if (!st) return false;
        st->bind(1, m_rows.int64(0)).bind(2, group);
        for (int c = 1; c <= 15; ++c) copyColumn(m_rows, c, *st, c + 2);
        if (!st->step()) return false;
        ++m_batch.staffAdded;
        return true;
    }
    // The local group of the holder's group name, made when missing; the default group when
    // it cannot be made.
    int groupId() {
        const QString name = m_rows.text(kGroupName);
        const auto id =
            m_live.scalarInt(QStringLiteral("SELECT id FROM gid WHERE descx = ?1 COLLATE NOCASE "
                                            "ORDER BY descx = ?1 DESC, id LIMIT 1"),
                             name);
        if (id && *id) return int(**id);
        auto st = m_live.prepare(kInsertGroup);
        if (!id || !st) return kDefaultGroupId;
        st->bind(1, name);
        for (int c = kGroupName + 1; c < int(std::size(kKinds)); ++c)
            copyColumn(m_rows, c, *st, c - kGroupName + 1);
        if (!st->step()) return kDefaultGroupId;
        ++m_batch.groupsAdded;
        return int(m_live.lastInsertRowId());
    }
    bool begin() {
        m_tx.emplace(m_live);
        m_clock.start();
        if (m_tx->begun()) return true;
        stop(m_tx->beginResult().error().text);
        return false;
    }
    bool batchFull() const { return m_inBatch >= kBatchRows || m_clock.elapsed() >= kBatchMs; }
    bool commit() {
        if (!m_tx) return true;
        const auto done = m_tx->commit();
        m_tx.reset();
        if (!done) return stop(done.error().text), false;
        yieldToLiveWriter(m_live);
        StaffImportCounts& c = m_out.counts;
        c.groupsAdded += m_batch.groupsAdded;
        c.staffAdded += m_batch.staffAdded;
        c.duplicated += m_batch.duplicated;
        c.errors += m_batch.errors;
        m_batch = {};
        m_inBatch = 0;
        return true;
    }
    void unreadable(const QString& reason) {
        commit();
        m_out.foreignUnreadable = true;
        m_out.failure = reason;
    }
    void stop(const QString& reason) {
        m_tx.reset();
        m_out.failure = reason;
    }

    Database& m_live;
    Statement& m_rows;
    StaffImport& m_out;
    std::optional<Transaction> m_tx;
    StaffImportCounts m_batch;
    int m_inBatch = 0;
    QElapsedTimer m_clock;
};

}  // namespace

void importStaffRows(const QString& foreignPath, const QString& livePath, StaffImport& out,
                     const WorkSteps& step) {
    const auto unreadable = [&out](const Error& e) {
        out.foreignUnreadable = true;
        out.failure = e.text;
    };
    auto foreign = Database::open(foreignPath, kSystemKey, Database::Mode::ReadOnly);
    if (!foreign) return unreadable(foreign.error());
    auto total = foreign->scalarInt(QStringLiteral("SELECT count(*) FROM staffs"));
    if (!total) return unreadable(total.error());
    auto rows = foreign->prepare(kForeignRows);
    if (!rows) return unreadable(rows.error());
    auto live = Database::open(livePath, kSystemKey, Database::Mode::ReadWrite);
    if (!live) return void(out.failure = live.error().text);
    StaffImporter(*live, *rows, out).run(total->value_or(0), step);
}

QString staffImportSummary(const StaffImportCounts& c) {
    QString s;
    if (c.groupsAdded > 0)
        s += QStringLiteral("Group Added = %1 records").arg(c.groupsAdded) + kLineEnd;
    s += QStringLiteral("Staff Added = %1 records").arg(c.staffAdded) + kLineEnd;
    if (c.duplicated > 0)
        s += QStringLiteral("Duplicated = %1 records").arg(c.duplicated) + kLineEnd;
    if (c.errors > 0) s += QStringLiteral("Error = %1 records").arg(c.errors) + kLineEnd;
    return s;
}

bool importStaffFrom(DataModule& data, Operator& op, const QString& path, bool remember) {
    if (!data.CheckDatabaseFile(path, kSystemKey)) return false;
    if (remember) WriteSettingText(setting::SysDbLastIn, path);
    StaffImport out;
    const QString live = data.filePath(kSystemFile);
    {
        // A cancel keeps what was added; the counts say how much.
        const LogViewHold hidden(data);
        (void)runLongWork<bool>(op, msg::ImportingStaff, [&out, path, live](WorkContext& work) {
            importStaffRows(path, live, out, stepsOf(work));
            return Result<bool>(true);
        });
    }
    if (out.foreignUnreadable) {
        op.errorDetail(msg::SystemUnreadable + path, out.failure);
        return false;
    }
    op.information(staffImportSummary(out.counts));
    if (out.failure.isEmpty()) return true;
    op.errorDetail(msg::DatabaseError, out.failure);
    return false;
}

bool ImportStaffRecords(DataModule& data, Operator& op) {
    const auto path =
        op.chooseOpenFile(msg::ImportStaffTitle,
                          ReadSettingText(setting::SysDbLastIn, data.filePath(kStaffImportName)),
                          msg::DatabaseChooserFilter);
    return path && importStaffFrom(data, op, *path, true);
}

}  // namespace tallyport
