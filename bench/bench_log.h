#pragma once

#include "store/datasrc.h"

// Fills the log inside the engine: `rows` rows from 2020-01-01 07:00, `perStep` rows sharing
// each 37-second step (more than one gives ties in SYSTIME), 500 cards, readers 1..8.
inline bool FillBenchLog(tallyport::Tdsrc& data, int rows, int perStep = 1) {
    tallyport::Transaction tx(data.att());
    const auto r = data.att().run(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
        "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) "
        "SELECT datetime('2020-01-01 07:00:00', '+' || (i / ? * 37) || ' seconds'), "
        "1000 + i % 500, 1 + i % 2, 1 + i % 8, 0 FROM n"), rows, perStep);
    return r && tx.commit();
}
