#include "store/schema.h"

#include <QMap>
#include <QSet>
#include <QStringList>

namespace tallyport {
namespace {

// The log. The row count is kept by triggers, so nobody counts two million rows to show it.
const char* const kLogTables = R"sql(
CREATE TABLE recorder (
  SYSTIME TEXT NOT NULL,
  CARDNO INTEGER NOT NULL DEFAULT 0,
  MODE INTEGER NOT NULL DEFAULT 0,
  READER INTEGER NOT NULL DEFAULT 0,
  LOCK INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX recorder_systime_cardno ON recorder(SYSTIME, CARDNO);
CREATE INDEX recorder_cardno_systime ON recorder(CARDNO, SYSTIME);
CREATE TABLE recorder_count (n INTEGER NOT NULL);
INSERT INTO recorder_count(n) VALUES (0);
CREATE TRIGGER recorder_count_up AFTER INSERT ON recorder
  BEGIN UPDATE recorder_count SET n = n + 1; END;
CREATE TRIGGER recorder_count_down AFTER DELETE ON recorder
  BEGIN UPDATE recorder_count SET n = n - 1; END;
)sql";

const char* const kSystemTables = R"sql(
CREATE TABLE staffs (
  SEQ INTEGER PRIMARY KEY AUTOINCREMENT,
  CARDNO INTEGER NOT NULL,
  NAME TEXT NOT NULL DEFAULT '' CHECK (length(NAME) <= 16),
  WORKGRP INTEGER NOT NULL DEFAULT 0,
  TIMEGRP INTEGER NOT NULL DEFAULT 0,
  ACCESSGRP INTEGER NOT NULL DEFAULT 0,
  PHOTO BLOB,
  OFFLINE INTEGER NOT NULL DEFAULT 0,
  PICKED INTEGER NOT NULL DEFAULT 0,
  COM1 INTEGER NOT NULL DEFAULT 0, COM2 INTEGER NOT NULL DEFAULT 0,
  COM3 INTEGER NOT NULL DEFAULT 0, COM4 INTEGER NOT NULL DEFAULT 0,
  COM5 INTEGER NOT NULL DEFAULT 0, COM6 INTEGER NOT NULL DEFAULT 0,
  COM7 INTEGER NOT NULL DEFAULT 0, COM8 INTEGER NOT NULL DEFAULT 0,
  MEMO TEXT NOT NULL DEFAULT ''
);
CREATE UNIQUE INDEX staffs_cardno ON staffs(CARDNO);
CREATE INDEX staffs_name ON staffs(NAME);
-- Covers the card lists: a holder's row holds the photo, so reading rows costs a page each.
CREATE INDEX staffs_list ON staffs(NAME, CARDNO, WORKGRP, PICKED);
CREATE TABLE gid (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  descx TEXT NOT NULL CHECK (length(descx) <= 20),
  wd_from_1 TEXT, wd_to_1 TEXT, wd_from_2 TEXT, wd_to_2 TEXT,
  sat_enable_1 INTEGER NOT NULL DEFAULT 0, sat_from_1 TEXT, sat_to_1 TEXT,
  sat_enable_2 INTEGER NOT NULL DEFAULT 0, sat_from_2 TEXT, sat_to_2 TEXT,
  ot_min INTEGER NOT NULL DEFAULT 0,
  ot_multi INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX gid_descx ON gid(descx);
CREATE TABLE reader (
  PortNo INTEGER NOT NULL,
  enable INTEGER NOT NULL DEFAULT 0,
  ipaddr TEXT NOT NULL DEFAULT '',
  ipport INTEGER,
  "desc" TEXT NOT NULL DEFAULT '',
  mode INTEGER NOT NULL DEFAULT 0,
  locktime INTEGER NOT NULL DEFAULT 0,
  capture INTEGER NOT NULL DEFAULT 0,
  outport INTEGER NOT NULL DEFAULT 0,
  bpport INTEGER NOT NULL DEFAULT 0,
  apb INTEGER NOT NULL DEFAULT 0,
  motion INTEGER NOT NULL DEFAULT -1
);
CREATE TABLE apb (CARDNO INTEGER NOT NULL, STATE INTEGER NOT NULL DEFAULT 0);
CREATE UNIQUE INDEX apb_cardno ON apb(CARDNO);
CREATE TABLE emails (
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  TITLE TEXT NOT NULL DEFAULT '',
  MSG TEXT NOT NULL DEFAULT '',
  ATTACH TEXT NOT NULL DEFAULT ''
);
CREATE TABLE passwd ("KEY" TEXT NOT NULL, "VALUE" TEXT NOT NULL DEFAULT '');
CREATE UNIQUE INDEX passwd_key ON passwd("KEY");
CREATE TABLE iotime (tfrom TEXT NOT NULL, tto TEXT NOT NULL);
CREATE TABLE timetbl (gid INTEGER NOT NULL, timein TEXT NOT NULL, timeout TEXT NOT NULL);
CREATE INDEX timetbl_gid ON timetbl(gid);
)sql";

Result<void> seedSystem(Database& db) {
    for (int port = 1; port <= kReaderCount; ++port) {
        auto r =
            db.run(QStringLiteral("INSERT INTO reader(PortNo, enable, ipaddr, ipport, \"desc\", "
                                  "mode, locktime) VALUES (?, 0, '', 1668, ?, 2, 1)"),
                   port, QStringLiteral("COM%1").arg(port));
        if (!r) return r;
    }
    return db.run(
        QStringLiteral("INSERT INTO gid(id, descx, wd_from_1, wd_to_1, wd_from_2, wd_to_2, "
                       "sat_enable_1, sat_from_1, sat_to_1, sat_enable_2, sat_from_2, sat_to_2, "
                       "ot_min, ot_multi) VALUES (?, ?, '09:00:00', '13:00:00', '14:00:00', "
                       "'17:00:00', 0, '09:00:00', '13:00:00', 0, '14:00:00', '17:00:00', 15, 5)"),
        kDefaultGroupId, kDefaultGroupName);
}

Result<void> create(Database& db, const char* tables, int version,
                    Result<void> (*seed)(Database&)) {
    Transaction tx(db);
    if (!tx.begun()) return tx.beginResult();
    if (auto r = db.exec(QString::fromUtf8(tables)); !r) return r;
    if (seed)
        if (auto r = seed(db); !r) return r;
    if (auto r = db.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)); !r) return r;
    return tx.commit();
}

// Upgrade steps are cumulative: step n takes a file from version n to n + 1.
using Step = Result<void> (*)(Database&);

Result<void> upgrade(Database& db, int target, const std::vector<Step>& steps) {
    auto v = db.scalarInt(QStringLiteral("PRAGMA user_version"));
    if (!v) return std::unexpected(v.error());
    const int current = int(v->value_or(0));
    if (current == target) return {};
    if (current > target || current < 1)
        return fail(QStringLiteral("Unknown database version %1").arg(current));
    Transaction tx(db);
    if (!tx.begun()) return tx.beginResult();
    for (int n = current; n < target; ++n)
        if (auto r = steps.at(size_t(n - 1))(db); !r) return r;
    if (auto r = db.exec(QStringLiteral("PRAGMA user_version = %1").arg(target)); !r) return r;
    return tx.commit();
}

// Every table with its columns, and every trigger, by lower-case name; the engine's own tables
// are left out.
struct Shape {
    QMap<QString, QSet<QString>> tables;
    QSet<QString> triggers;
};

Result<Shape> shapeOf(Database& db) {
    Shape shape;
    auto objects = db.query(
        QStringLiteral("SELECT type, name FROM sqlite_master WHERE type IN ('table', 'trigger') "
                       "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"),
        [](const Statement& st) {
            return std::pair{st.text(0), st.text(1).toLower()};
        });
    if (!objects) return std::unexpected(objects.error());
    for (const auto& [type, name] : *objects) {
        if (type == QLatin1String("trigger")) {
            shape.triggers.insert(name);
            continue;
        }
        // A pragma takes no bound value: the name, read from the file itself, goes in quoted.
        const QString quoted = u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
        auto columns = db.query(QStringLiteral("PRAGMA table_info(%1)").arg(quoted),
                                [](const Statement& st) { return st.text(1).toLower(); });
        if (!columns) return std::unexpected(columns.error());
        shape.tables.insert(name, QSet<QString>(columns->begin(), columns->end()));
    }
    return shape;
}

}  // namespace

Result<void> checkHoldsSchema(Database& db, Result<void> (*create)(Database&)) {
    // An in-memory file is never written to disk: any key will do.
    auto blank = Database::open(QStringLiteral(":memory:"), kLogKey, Database::Mode::Create);
    if (!blank) return std::unexpected(blank.error());
    if (auto r = create(*blank); !r) return r;
    auto want = shapeOf(*blank);
    if (!want) return std::unexpected(want.error());
    auto have = shapeOf(db);
    if (!have) return std::unexpected(have.error());
    QStringList missing;
    for (auto t = want->tables.cbegin(); t != want->tables.cend(); ++t) {
        if (!have->tables.contains(t.key())) {
            missing << QStringLiteral("table ") + t.key();
            continue;
        }
        const QSet<QString>& there = have->tables[t.key()];
        for (const QString& column : t.value())
            if (!there.contains(column))
                missing << QStringLiteral("column %1.%2").arg(t.key(), column);
    }
    for (const QString& trigger : std::as_const(want->triggers))
        if (!have->triggers.contains(trigger)) missing << QStringLiteral("trigger ") + trigger;
    if (missing.isEmpty()) return {};
    missing.sort();
    return fail(QStringLiteral("Not a whole database of its kind; it lacks ") +
                missing.join(QStringLiteral(", ")));
}

Result<void> createLogSchema(Database& db) {
    return create(db, kLogTables, kLogSchemaVersion, nullptr);
}

Result<void> createSystemSchema(Database& db) {
    return create(db, kSystemTables, kSystemSchemaVersion, &seedSystem);
}

Result<void> upgradeLogSchema(Database& db) {
    return upgrade(db, kLogSchemaVersion, {});
}

Result<void> upgradeSystemSchema(Database& db) {
    return upgrade(db, kSystemSchemaVersion, {});
}

}  // namespace tallyport
