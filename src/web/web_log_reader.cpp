#include "web/web_log_reader.h"

#include "store/date_time.h"
#include "store/log_texts.h"
#include "store/schema.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <tuple>

namespace tallyport {
namespace {

constexpr int kReopenPauseMs = 1000;

Result<Database> openReadOnly(const QString& path, const QByteArray& key) {
    if (!QFileInfo(path).isFile()) return fail(QStringLiteral("Cannot open ") + path);
    return Database::open(path, key, Database::Mode::ReadOnly);
}

struct Where {
    QString sql;
    std::vector<QString> texts;  // bound after the card, in order
};

Where whereOf(const RecordFilter& f) {
    QStringList parts;
    Where w;
    if (f.card) parts << QStringLiteral("CARDNO = ?");
    if (f.from || f.to) {
        const auto [lo, hi] =
            wholeDayRange(f.from.value_or(QDate(1, 1, 1)), f.to.value_or(QDate(9999, 12, 30)));
        if (f.from) {
            parts << QStringLiteral("SYSTIME >= ?");
            w.texts.push_back(lo);
        }
        if (f.to) {
            parts << QStringLiteral("SYSTIME < ?");
            w.texts.push_back(hi);
        }
    }
    if (!parts.isEmpty()) w.sql = QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
    return w;
}

int bindWhere(Statement& st, const RecordFilter& f, const Where& w) {
    int i = 0;
    if (f.card) st.bind(++i, *f.card);
    for (const QString& t : w.texts) st.bind(++i, t);
    return i;
}

}  // namespace

// A kept statement while it is used: ready to run, with no values bound; reset when left, so
// that it holds no read transaction of its own afterwards.
class WebLogReader::InUse {
public:
    explicit InUse(Statement& st) : m_st(st) { (void)m_st.reset(); }
    ~InUse() { (void)m_st.reset(); }
    InUse(const InUse&) = delete;
    InUse& operator=(const InUse&) = delete;
    Statement* operator->() { return &m_st; }
    Statement& operator*() { return m_st; }

private:
    Statement& m_st;
};

// One read transaction: every statement inside sees the same state of the file.
class WebLogReader::Snapshot {
public:
    Snapshot(WebLogReader& reader, Database& db)
        : m_reader(reader), m_db(db), m_begin(reader.runKept(db, QStringLiteral("BEGIN"))) {}
    ~Snapshot() {
        if (m_begin) (void)m_reader.runKept(m_db, QStringLiteral("COMMIT"));
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    const Result<void>& begun() const { return m_begin; }

private:
    WebLogReader& m_reader;
    Database& m_db;
    Result<void> m_begin;
};

WebLogReader::WebLogReader(QString dataFolder) : m_folder(std::move(dataFolder)) {}

Result<Statement*> WebLogReader::kept(Database& db, const QString& sql) {
    auto& statements = &db == &m_att ? m_attKept : m_srcKept;
    if (auto it = statements.find(sql); it != statements.end()) return &it->second;
    auto prepared = db.prepare(sql);
    if (!prepared) return std::unexpected(prepared.error());
    return &statements.emplace(sql, std::move(*prepared)).first->second;
}

Result<void> WebLogReader::runKept(Database& db, const QString& sql) {
    auto st = kept(db, sql);
    if (!st) return std::unexpected(st.error());
    InUse use(**st);
    auto r = use->step();
    if (!r) return std::unexpected(r.error());
    return {};
}

// The pragma begins a read transaction of its own, which ends when the statement is reset.
Result<qint64> WebLogReader::stampOf(Database& db) {
    auto st = kept(db, QStringLiteral("PRAGMA data_version"));
    if (!st) return std::unexpected(st.error());
    InUse use(**st);
    auto row = use->first([](const Statement& s) { return s.int64(0); });
    if (!row) return std::unexpected(row.error());
    return row->value_or(0);
}

Result<void> WebLogReader::open() {
    if (isOpen()) return {};
    if (m_lastTry.isValid() && m_lastTry.elapsed() < kReopenPauseMs)
        return std::unexpected(m_lastOpenError);
    m_lastTry.start();
    close();
    auto att = openReadOnly(QDir(m_folder).filePath(kLogFile), kLogKey);
    if (!att) {
        m_lastOpenError = att.error();
        return std::unexpected(m_lastOpenError);
    }
    auto src = openReadOnly(QDir(m_folder).filePath(kSystemFile), kSystemKey);
    if (!src) {
        m_lastOpenError = src.error();
        return std::unexpected(m_lastOpenError);
    }
    m_att = std::move(*att);
    m_src = std::move(*src);
    m_lastTry.invalidate();  // only failures wait before the next try
    return {};
}

void WebLogReader::close() {
    m_attKept.clear();  // statements go before their connections
    m_srcKept.clear();
    m_att.close();
    m_src.close();
}

Result<StoreStamps> WebLogReader::stamps() {
    if (auto r = open(); !r) return std::unexpected(r.error());
    auto log = stampOf(m_att);
    if (!log) return std::unexpected(log.error());
    auto system = stampOf(m_src);
    if (!system) return std::unexpected(system.error());
    return StoreStamps{*log, *system};
}

// Names sort as their bytes do, so the names that begin with the prefix follow at once the
// first name not below it; the index finds that one.
Result<int> WebLogReader::cardByName(const QString& prefix) {
    if (auto r = open(); !r) return std::unexpected(r.error());
    auto st = kept(m_src, QStringLiteral("SELECT CARDNO, NAME FROM staffs WHERE NAME >= ? "
                                         "ORDER BY NAME, SEQ LIMIT 1"));
    if (!st) return std::unexpected(st.error());
    InUse use(**st);
    use->bind(1, prefix);
    auto found = use->first([](const Statement& s) { return std::pair{s.integer(0), s.text(1)}; });
    if (!found) return std::unexpected(found.error());
    return *found && (*found)->second.startsWith(prefix) ? (*found)->first : 0;
}

Result<RecordSet> WebLogReader::records(const RecordFilter& f) {
    if (auto r = open(); !r) return std::unexpected(r.error());
    const Where w = whereOf(f);
    RecordSet out;
    {
        Snapshot snap(*this, m_att);
        if (!snap.begun()) return std::unexpected(snap.begun().error());
        if (f.count) {
            auto st = kept(m_att, w.sql.isEmpty()
                                      ? QStringLiteral("SELECT n FROM recorder_count")
                                      : QStringLiteral("SELECT count(*) FROM recorder") + w.sql);
            if (!st) return std::unexpected(st.error());
            InUse use(**st);
            bindWhere(*use, f, w);
            auto n = use->first([](const Statement& s) { return s.int64(0); });
            if (!n) return std::unexpected(n.error());
            out.found = n->value_or(0);
        }
        auto st =
            kept(m_att, QStringLiteral("SELECT SYSTIME, CARDNO, MODE, READER FROM recorder") +
                            w.sql + QStringLiteral(" ORDER BY SYSTIME DESC, rowid DESC LIMIT ?"));
        if (!st) return std::unexpected(st.error());
        InUse use(**st);
        use->bind(bindWhere(*use, f, w) + 1, std::max(f.rows, 1));
        auto rows = use->collect([](const Statement& s) {
            WebRow r;
            r.time = s.text(0).left(19);
            r.cardNo = s.integer(1);
            r.mode = s.integer(2);
            r.port = s.integer(3);
            return r;
        });
        if (!rows) return std::unexpected(rows.error());
        out.rows = std::move(*rows);
    }
    if (auto r = readHolders(out.rows); !r) return std::unexpected(r.error());
    return out;
}

Result<QHash<int, QString>> WebLogReader::readerTexts() {
    auto st = kept(m_src, QStringLiteral("SELECT PortNo, \"desc\" FROM reader"));
    if (!st) return std::unexpected(st.error());
    InUse use(**st);
    auto rows = use->collect([](const Statement& s) { return std::pair{s.integer(0), s.text(1)}; });
    if (!rows) return std::unexpected(rows.error());
    QHash<int, QString> out;
    for (const auto& [port, desc] : *rows) out.insert(port, desc);
    return out;
}

// The holder as the web has always shown it: a card whose holder or group is missing shows
// as "[card]" with no group. Each card is looked up once per page.
Result<void> WebLogReader::readHolders(std::vector<WebRow>& rows) {
    Snapshot snap(*this, m_src);
    if (!snap.begun()) return std::unexpected(snap.begun().error());
    auto readers = readerTexts();
    if (!readers) return std::unexpected(readers.error());
    auto st = kept(m_src, QStringLiteral("SELECT staffs.NAME, gid.descx FROM staffs, gid "
                                         "WHERE staffs.CARDNO = ? AND staffs.WORKGRP = gid.id"));
    if (!st) return std::unexpected(st.error());
    InUse use(**st);
    QHash<int, std::pair<QString, QString>> holders;
    for (WebRow& r : rows) {
        auto it = holders.find(r.cardNo);
        if (it == holders.end()) {
            if (auto reset = use->reset(); !reset) return reset;
            use->bind(1, r.cardNo);
            auto found = use->first([](const Statement& s) {
                return std::pair{s.text(0), s.text(1)};
            });
            if (!found) return std::unexpected(found.error());
            it = holders.insert(r.cardNo, found->value_or(std::pair{
                                              QStringLiteral("[%1]").arg(r.cardNo), QString()}));
        }
        std::tie(r.holder, r.group) = *it;
        r.reader = lockText(r.port, [&](int port) { return readers->value(port); });
    }
    return {};
}

}  // namespace tallyport
