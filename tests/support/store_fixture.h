#pragma once

#include "store/data_module.h"
#include "support/scripted_operator.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

namespace tallyport::test {

// A new installation in a throw-away folder, opened, with a scripted operator.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        data.setDataFolder(dir.path());
        ASSERT_TRUE(data.prepareDataFolder().value_or(false));
        ASSERT_TRUE(data.OpenDatabases());
    }

    void addGroup(int id, const QString& name) {
        ASSERT_TRUE(
            data.src().run(QStringLiteral("INSERT INTO gid(id, descx) VALUES (?, ?)"), id, name));
    }
    void addStaff(int card, const QString& name, int group) {
        ASSERT_TRUE(data.src().run(
            QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP) VALUES (?, ?, ?)"), card,
            name, group));
    }
    void addLog(const QString& when, int card, int mode = 1, int reader = 1) {
        ASSERT_TRUE(data.att().run(
            QStringLiteral(
                "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER) VALUES (?, ?, ?, ?)"),
            when, card, mode, reader));
    }

    TempDataDir dir;
    ScriptedOperator op;
    DataModule data{op};
};

}  // namespace tallyport::test
