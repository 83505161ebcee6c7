#pragma once

// A data folder for a headless console that records: made when new, reader 1 ("Front door",
// mode IN) pointed at a simulator's reader on 127.0.0.1, and the given holders in group 1.
#include "store/data_module.h"
#include "support/scripted_operator.h"

#include <gtest/gtest.h>
#include <QList>
#include <QPair>

namespace tallyport::test {

inline void prepareRecorderFolder(const QString& folder, quint16 readerPort,
                                  const QList<QPair<int, QString>>& holders) {
    ScriptedOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    ASSERT_TRUE(data.prepareDataFolder().has_value());
    ASSERT_TRUE(data.OpenDatabases());
    for (const auto& [card, name] : holders)
        ASSERT_TRUE(data.src().run(
            QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (?, ?, 1)"), card,
            name));
    ASSERT_TRUE(data.src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', "
                                              "ipport = ?, \"desc\" = 'Front door', mode = 1 "
                                              "WHERE PortNo = 1"),
                               int(readerPort)));
    data.CloseDatabases();
}

}  // namespace tallyport::test
