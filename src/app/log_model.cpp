#include "app/log_model.h"

#include "base/time_texts.h"

#include "base/field_kind.h"
#include "store/data_module.h"
#include "store/date_time.h"
#include "store/log_texts.h"

#include <QLocale>
#include <algorithm>
#include <set>

namespace tallyport {
namespace {

// Skipping rows of the page query costs ten times a step of the covering index, so the page
// query starts from a boundary at most this far back, found by stepping the index.
constexpr qint64 kNear = LogModel::kPageRows;
constexpr qint64 kBoundStep = 1024;  // a scan notes a boundary this often
constexpr size_t kKeptPages = 24;
constexpr qint64 kRecheckLimit = 50000;  // more rows than this behind the last boundary: drop

struct ColumnHead {
    const char* title;
    FieldKind kind;
};
constexpr ColumnHead kHeads[LogModel::ColumnCount] = {
    {"Date and Time", FieldKind::DateTime},
    {"Card Information", FieldKind::Other},
    {"Mode", FieldKind::Other},
    {"Reader", FieldKind::Other},
    {"Lock", FieldKind::Other},
};

// The holder of a card as the log shows it: "NAME, GROUP" (the group empty when it does not
// exist), "[card]" for a card nobody holds.
Result<QString> cardText(Statement& holder, int card) {
    if (auto r = holder.reset(); !r) return std::unexpected(r.error());
    holder.bind(1, card);
    auto text = holder.first(
        [](const Statement& st) { return st.text(0) + QStringLiteral(", ") + st.text(1); });
    if (!text) return std::unexpected(text.error());
    return text->value_or(QStringLiteral("[%1]").arg(card));
}

}  // namespace

QString logTimeText(const QDateTime& t) {
    return QLocale().toString(t.date(), QStringLiteral("MMM d, yyyy ddd")) + QStringLiteral(" - ") +
           amPmTimeText(t.time(), AmPmGap::Spaced, AmPmPrecision::Seconds);
}

// A read of the model that fails is told once and ends like the rows ended: a view cannot stop.
bool LogModel::next(Statement& st) const {
    auto more = st.step();
    if (!more) m_data.reportFailure(more.error());
    return more.value_or(false);
}

LogModel::LogModel(DataModule& data, std::function<QString(int)> readerDesc, QObject* parent)
    : QAbstractTableModel(parent), m_data(data), m_readerDesc(std::move(readerDesc)) {
    m_checkpoints.setInterval(20);
    connect(&m_checkpoints, &QTimer::timeout, this, &LogModel::noteNextCheckpoint);
}

void LogModel::noteNextCheckpoint() {
    m_nextCheckpoint += m_checkpointStep;
    if (m_nextCheckpoint >= m_count || !m_data.isOpen()) return m_checkpoints.stop();
    boundaryAtOrBefore(m_nextCheckpoint);
}

int LogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_count);
}

int LogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LogModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const Page* p = page(index.row());
    if (!p) return {};
    const size_t i = static_cast<size_t>(index.row() - p->first);
    return i < p->rows.size() ? p->rows[i].texts[index.column()] : QVariant();
}

QVariant LogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kHeads[section].title);
    if (role == FieldKindRole) return static_cast<int>(kHeads[section].kind);
    return {};
}

std::optional<LogRecord> LogModel::record(int row) const {
    const Page* p = page(row);
    if (!p) return std::nullopt;
    const size_t i = static_cast<size_t>(row - p->first);
    if (i >= p->rows.size()) return std::nullopt;
    return p->rows[i].rec;
}

void LogModel::refresh() {
    beginResetModel();
    const qint64 count = m_data.isOpen() ? m_data.logCount() : 0;
    if (!boundariesStillHold(count)) {
        m_bounds.clear();
        m_nextCheckpoint = 0;
    }
    m_pages.clear();
    m_count = count;
    endResetModel();
    if (m_nextCheckpoint + m_checkpointStep < m_count) m_checkpoints.start();
}

void LogModel::clear() {
    beginResetModel();
    m_bounds.clear();
    m_pages.clear();
    m_count = 0;
    m_checkpoints.stop();
    m_nextCheckpoint = 0;
    endResetModel();
}

// The pages go whole: only the shown ones are read again, and the boundaries stay.
void LogModel::dropHolderTexts() {
    m_pages.clear();
    if (m_count > 0)
        Q_EMIT dataChanged(index(0, ColCard), index(static_cast<int>(m_count) - 1, ColCard),
                           {Qt::DisplayRole});
}

// Rows appended after the last known boundary leave every boundary where it was; a row
// inserted or removed before it moves them all.
bool LogModel::boundariesStillHold(qint64 newCount) {
    if (m_bounds.empty() || newCount == 0) return false;
    const auto& [pos, t] = *m_bounds.rbegin();
    if (m_count - pos > kRecheckLimit || newCount - pos > kRecheckLimit) return false;
    auto after = m_data.att().scalarInt(
        QStringLiteral("SELECT count(*) FROM recorder WHERE SYSTIME >= ?"), t);
    if (!after) m_data.reportFailure(after.error());
    return after && *after && **after == newCount - pos;
}

const LogModel::Page* LogModel::page(int row) const {
    if (row < 0 || row >= m_count || !m_data.isOpen()) return nullptr;
    const int first = row / kPageRows * kPageRows;
    for (auto it = m_pages.begin(); it != m_pages.end(); ++it) {
        if (it->first != first) continue;
        m_pages.splice(m_pages.begin(), m_pages, it);
        return &m_pages.front();
    }
    m_pages.push_front(loadPage(first));
    if (m_pages.size() > kKeptPages) m_pages.pop_back();
    return &m_pages.front();
}

LogModel::Page LogModel::loadPage(int first) const {
    Page page;
    page.first = first;
    const auto [pos, t] = boundaryAtOrBefore(first);
    auto st = m_data.att().prepare(QStringLiteral("SELECT ") + kLogColumns +
                                   QStringLiteral(" FROM recorder WHERE SYSTIME >= ? "
                                                  "ORDER BY SYSTIME, rowid LIMIT ? OFFSET ?"));
    if (!st) {
        m_data.reportFailure(st.error());
        return page;
    }
    st->bindAll(t, kPageRows, first - pos);
    QStringList times;
    while (next(*st)) {
        page.rows.push_back(Row{logRecordFromRow(*st), {}});
        times << st->text(1);
    }
    // The last change of time in the page is where the next page down starts from.
    for (qsizetype j = times.size() - 1; j > 0; --j) {
        if (times[j] == times[j - 1]) continue;
        m_bounds.emplace(first + j, times[j]);
        break;
    }
    fillTexts(page.rows);
    return page;
}

// The nearest boundary at or before a position: a known one when close, otherwise found by
// stepping the index from the nearer known side.
std::pair<qint64, QString> LogModel::boundaryAtOrBefore(qint64 pos) const {
    auto next = m_bounds.upper_bound(pos);
    std::pair<qint64, QString> before{0, QString()};
    if (next != m_bounds.begin()) before = *std::prev(next);
    if (pos - before.first <= kNear) return before;
    const bool atEnd = next == m_bounds.end();
    const qint64 after = atEnd ? m_count : next->first;
    const bool down = after - pos < pos - before.first;
    const QString from = down ? (atEnd ? QString() : next->second) : before.second;
    if (auto found = windowBoundary(down ? after : before.first, from, pos, down)) {
        m_bounds.insert(*found);
        return *found;
    }
    return down ? scanBackward(after, from, pos) : scanForward(before.first, from, pos);
}

// The engine skips rows on the covering index fastest (OFFSET), so the rows just before the
// target are fetched in one query and the boundary read from them. Nothing when one SYSTIME
// fills the whole window: the stepping scans below handle such long ties.
std::optional<std::pair<qint64, QString>> LogModel::windowBoundary(qint64 from, const QString& t,
                                                                   qint64 target, bool down) const {
    const qint64 k = std::min<qint64>(64, down ? target : target - from);
    QString sql = QStringLiteral("SELECT SYSTIME FROM recorder ");
    if (!t.isNull())
        sql +=
            down ? QStringLiteral("WHERE SYSTIME < ?3 ") : QStringLiteral("WHERE SYSTIME >= ?3 ");
    sql += down ? QStringLiteral("ORDER BY SYSTIME DESC LIMIT ?1 OFFSET ?2")
                : QStringLiteral("ORDER BY SYSTIME LIMIT ?1 OFFSET ?2");
    auto st = m_data.att().prepare(sql);
    if (!st) {
        m_data.reportFailure(st.error());
        return std::nullopt;
    }
    st->bind(1, k + 1).bind(2, down ? from - 1 - target : target - from - k);
    if (!t.isNull()) st->bind(3, t);
    QStringList w;  // positions target-k .. target
    while (next(*st)) w << st->text(0);
    if (w.size() != k + 1) return std::nullopt;
    if (down) std::reverse(w.begin(), w.end());
    for (qsizetype j = k; j > 0; --j)
        if (w[j] != w[j - 1]) return std::pair{target - k + j, w[j]};
    if (target - k == 0) return std::pair{qint64(0), QString()};
    if (!down && target - k == from) return std::pair{from, t};
    return std::nullopt;
}

std::pair<qint64, QString> LogModel::scanForward(qint64 from, const QString& t,
                                                 qint64 target) const {
    std::pair<qint64, QString> found{from, t};
    auto st = m_data.att().prepare(
        QStringLiteral("SELECT SYSTIME FROM recorder WHERE SYSTIME >= ? ORDER BY SYSTIME"));
    if (!st) {
        m_data.reportFailure(st.error());
        return found;
    }
    st->bind(1, t);
    qint64 noted = from;
    QString previous;
    for (qint64 p = from; p <= target && next(*st); ++p) {
        QString value = st->text(0);
        if (value == previous) continue;
        if (p - noted >= kBoundStep) m_bounds.emplace(noted = p, value);
        found = {p, value};
        previous = std::move(value);
    }
    m_bounds.insert(found);
    return found;
}

// Down from the boundary (from, t) (the newest row when t is null) to the first row of the
// SYSTIME that the target position holds.
std::pair<qint64, QString> LogModel::scanBackward(qint64 from, const QString& t,
                                                  qint64 target) const {
    auto st = m_data.att().prepare(
        t.isNull() ? QStringLiteral("SELECT SYSTIME FROM recorder ORDER BY SYSTIME DESC")
                   : QStringLiteral("SELECT SYSTIME FROM recorder WHERE SYSTIME < ? "
                                    "ORDER BY SYSTIME DESC"));
    if (!st) {
        m_data.reportFailure(st.error());
        return {0, QString()};
    }
    if (!t.isNull()) st->bind(1, t);
    qint64 noted = from;
    QString current;
    for (qint64 p = from - 1; p >= 0 && next(*st); --p) {
        QString value = st->text(0);
        if (!current.isNull() && value != current) {  // p + 1 is the first row of `current`
            const qint64 first = p + 1;
            if (first <= target) return *m_bounds.emplace(first, current).first;
            if (noted - first >= kBoundStep) m_bounds.emplace(noted = first, current);
        }
        current = std::move(value);
    }
    return {0, QString()};
}

void LogModel::fillTexts(std::vector<Row>& rows) const {
    std::set<int> cards;
    for (const Row& r : rows) cards.insert(r.rec.cardNo);
    std::map<int, QString> holders;
    auto holder = m_data.src().prepare(
        QStringLiteral("SELECT staffs.NAME, coalesce(gid.descx, '') FROM staffs "
                       "LEFT JOIN gid ON gid.id = staffs.WORKGRP WHERE staffs.CARDNO = ?"));
    if (!holder) m_data.reportFailure(holder.error());
    for (int card : cards) {
        auto text = holder ? cardText(*holder, card) : Result<QString>(QString());
        if (!text) m_data.reportFailure(text.error());
        holders[card] = text && !text->isEmpty() ? *text : QStringLiteral("[%1]").arg(card);
    }
    for (Row& r : rows) {
        r.texts[ColTime] = logTimeText(r.rec.sysTime);
        r.texts[ColCard] = holders[r.rec.cardNo];
        r.texts[ColMode] = modeText(r.rec.mode);
        r.texts[ColReader] = lockText(r.rec.reader, m_readerDesc);
        r.texts[ColLock] = lockText(r.rec.lock, m_readerDesc);
    }
}

}  // namespace tallyport
