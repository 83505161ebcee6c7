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

// One read transaction: every statement inside sees the same state of the file.
class Snapshot {
public:
    explicit Snapshot(Database& db) : m_db(db), m_begin(db.exec(QStringLiteral("BEGIN"))) {}
    ~Snapshot() {
        if (m_begin) (void)m_db.exec(QStringLiteral("COMMIT"));
    }
    const Result<void>& begun() const { return m_begin; }

private:
    Database& m_db;
    Result<void> m_begin;
};

Result<Database> openReadOnly(const QString& path, const QByteArray& key) {
    if (!QFileInfo(path).isFile()) return fail(QStringLiteral("Cannot open ") + path);
    return Database::open(path, key, Database::Mode::ReadOnly);
}

Result<qint64> stampOf(std::optional<Statement>& st, Database& db) {
    if (!st) {
        auto prepared = db.prepare(QStringLiteral("PRAGMA data_version"));
        if (!prepared) return std::unexpected(prepared.error());
        st = std::move(*prepared);
    }
    auto row = st->first([](const Statement& s) { return s.int64(0); });
    (void)st->reset();  // ends the read transaction the pragma began
    if (!row) return std::unexpected(row.error());
    return row->value_or(0);
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

WebLogReader::WebLogReader(QString dataFolder) : m_folder(std::move(dataFolder)) {}

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
    m_logStamp.reset();
    m_systemStamp.reset();
    m_att.close();
    m_src.close();
}

Result<StoreStamps> WebLogReader::stamps() {
    if (auto r = open(); !r) return std::unexpected(r.error());
    auto log = stampOf(m_logStamp, m_att);
    if (!log) return std::unexpected(log.error());
    auto system = stampOf(m_systemStamp, m_src);
    if (!system) return std::unexpected(system.error());
    return StoreStamps{*log, *system};
}

// Names sort as their bytes do, so the names that begin with the prefix follow at once the
// first name not below it; the index finds that one.
Result<int> WebLogReader::cardByName(const QString& prefix) {
    if (auto r = open(); !r) return std::unexpected(r.error());
    auto found = m_src.queryOne(
        QStringLiteral(
            "SELECT CARDNO, NAME FROM staffs WHERE NAME >= ? ORDER BY NAME, SEQ LIMIT 1"),
        [](const Statement& st) {
            return std::pair{st.integer(0), st.text(1)};
        },
        prefix);
    if (!found) return std::unexpected(found.error());
    return *found && (*found)->second.startsWith(prefix) ? (*found)->first : 0;
}

Result<RecordSet> WebLogReader::records(const RecordFilter& f) {
    if (auto r = open(); !r) return std::unexpected(r.error());
    const Where w = whereOf(f);
    RecordSet out;
    {
        Snapshot snap(m_att);
        if (!snap.begun()) return std::unexpected(snap.begun().error());
        if (f.count) {
            auto st = m_att.prepare(w.sql.isEmpty()
                                        ? QStringLiteral("SELECT n FROM recorder_count")
                                        : QStringLiteral("SELECT count(*) FROM recorder") + w.sql);
            if (!st) return std::unexpected(st.error());
            bindWhere(*st, f, w);
            auto n = st->first([](const Statement& s) { return s.int64(0); });
            if (!n) return std::unexpected(n.error());
            out.found = n->value_or(0);
        }
        auto st =
            m_att.prepare(QStringLiteral("SELECT SYSTIME, CARDNO, MODE, READER FROM recorder") +
                          w.sql + QStringLiteral(" ORDER BY SYSTIME DESC, rowid DESC LIMIT ?"));
        if (!st) return std::unexpected(st.error());
        st->bind(bindWhere(*st, f, w) + 1, std::max(f.rows, 1));
        auto rows = st->collect([](const Statement& s) {
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
    auto rows =
        m_src.query(QStringLiteral("SELECT PortNo, \"desc\" FROM reader"), [](const Statement& st) {
            return std::pair{st.integer(0), st.text(1)};
        });
    if (!rows) return std::unexpected(rows.error());
    QHash<int, QString> out;
    for (const auto& [port, desc] : *rows) out.insert(port, desc);
    return out;
}

// The holder as the web has always shown it: a card whose holder or group is missing shows
// as "[card]" with no group. Each card is looked up once per page.
Result<void> WebLogReader::readHolders(std::vector<WebRow>& rows) {
    Snapshot snap(m_src);
    if (!snap.begun()) return std::unexpected(snap.begun().error());
    auto readers = readerTexts();
    if (!readers) return std::unexpected(readers.error());
    auto st =
        m_src.prepare(QStringLiteral("SELECT staffs.NAME, gid.descx FROM staffs, gid "
                                     "WHERE staffs.CARDNO = ? AND staffs.WORKGRP = gid.id"));
    if (!st) return std::unexpected(st.error());
    QHash<int, std::pair<QString, QString>> holders;
    for (WebRow& r : rows) {
        auto it = holders.find(r.cardNo);
        if (it == holders.end()) {
            if (auto reset = st->reset(); !reset) return reset;
            st->bind(1, r.cardNo);
            auto found = st->first([](const Statement& s) {
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
