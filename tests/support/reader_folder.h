#pragma once

// A fresh data folder whose reader 1 ("Front door", mode IN) is at 127.0.0.1:port: what a test
// of the live recording starts a console on.
#include "store/data_module.h"
#include "support/scripted_operator.h"

#include <gtest/gtest.h>

namespace tallyport::test {

inline void pointReaderAt(const QString& folder, quint16 port) {
    ScriptedOperator op;
    DataModule data(op);
    data.setDataFolder(folder);
    ASSERT_TRUE(data.prepareDataFolder().value_or(false));
    ASSERT_TRUE(data.OpenDatabases());
    ASSERT_TRUE(data.src().run(QStringLiteral("UPDATE reader SET enable = 1, ipaddr = '127.0.0.1', "
                                              "ipport = ?, mode = 1, \"desc\" = 'Front door' "
                                              "WHERE PortNo = 1"),
                               int(port)));
}

}  // namespace tallyport::test
