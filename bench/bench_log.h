#pragma once

#include "store/data_module.h"

// The fills go through the live connection, which leaves copying the write-ahead file back to
// the console's own thread: a bench starts from a copied-back log, as a console that has run
// for a while does, not beside hundreds of megabytes still to copy.
inline bool SettleBenchLog(tallyport::DataModule& data) {
    return bool(data.att().exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
}

// Fills the log inside the engine: `rows` rows from 2020-01-01 07:00, `perStep` rows sharing
// each 37-second step (more than one gives ties in SYSTIME), 500 cards, readers 1..8.
inline bool FillBenchLog(tallyport::DataModule& data, int rows, int perStep = 1) {
    tallyport::Transaction tx(data.att());
    const auto r = data.att().run(
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
            "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) "
            "SELECT datetime('2020-01-01 07:00:00', '+' || (i / ? * 37) || ' seconds'), "
            "1000 + i % 500, 1 + i % 2, 1 + i % 8, 0 FROM n"),
        rows, perStep);
    return r && tx.commit() && SettleBenchLog(data);
}

// A year of a 500-holder site: 500 holders "Holder 001".."Holder 500" (cards 1..500, group 1),
// each punching IN, OUT, IN, OUT with a few minutes' spread on the 260 weekdays of 2025:
// 520,000 log rows, generated inside SQLCipher.
inline bool FillSiteYear(tallyport::DataModule& data) {
    static const char* const kFill = R"sql(
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 500),
days(day) AS (SELECT date('2025-01-01', '+' || i || ' days') FROM n
              WHERE i < 365 AND strftime('%w', date('2025-01-01', '+' || i || ' days'))
                    NOT IN ('0', '6') LIMIT 260),
cards(c) AS (SELECT i + 1 FROM n WHERE i < 500),
punch(k, base, mode) AS (VALUES (0, 8 * 60 + 50, 1), (1, 12 * 60, 2), (2, 13 * 60, 1),
                                (3, 17 * 60, 2))
INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER)
SELECT day || ' ' || printf('%02d:%02d:%02d', (base + (c * 7 + k) % 20) / 60,
                            (base + (c * 7 + k) % 20) % 60, c % 60), c, mode, 1
FROM days, cards, punch ORDER BY day, c, k
)sql";
    static const char* const kStaff = R"sql(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500)
INSERT INTO staffs(CARDNO, NAME, WORKGRP) SELECT i, printf('Holder %03d', i), 1 FROM n
)sql";
    {
        tallyport::Transaction tx(data.att());
        if (!data.att().exec(QString::fromLatin1(kFill)) || !tx.commit()) return false;
    }
    return SettleBenchLog(data) && bool(data.src().exec(QString::fromLatin1(kStaff)));
}
