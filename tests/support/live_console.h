#pragma once

// A console started on a new installation in a throw-away folder, its reader 1 (and 2) pointed
// at a reader simulator over TCP, its devices recording, its clock in the test's hand.
#include "app/auto_inout.h"
#include "app/console.h"
#include "base/clock.h"
#include "store/date_time.h"
#include "store/settings.h"
#include "support/recording_devices.h"
#include "support/scripted_operator.h"
#include "support/sim_process.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>

namespace tallyport::test {

class LiveConsole : public ::testing::Test {
protected:
    void SetUp() override {
        setAppClock(&clock);
        ASSERT_TRUE(sim.ready());
        console.setPeripherals(devices.peripherals());
        QObject::connect(&console, &Console::eventStored,
                         [this](const LogRecord& row) { stored.push_back(row); });
        QObject::connect(&console, &Console::eventShown,
                         [this](int card, const QDateTime&) { shown.push_back(card); });
        QObject::connect(&console, &Console::logChanged, [this] { ++logChanges; });
        ASSERT_TRUE(console.startUp());
        ASSERT_TRUE(console.creationStep());
        addGroup(2, QStringLiteral("OFFICE"));
        pointReader(2, 1, QStringLiteral("Back door"), false);
        pointReader(1, 1, QStringLiteral("Front door"));
    }
    void TearDown() override {
        console.Shutdown();
        setAppClock(nullptr);
    }

    Database& src() { return console.data().src(); }
    Database& att() { return console.data().att(); }
    ReaderClient& reader(int port) { return console.readers().reader(port); }

    void addGroup(int id, const QString& name) {
        ASSERT_TRUE(
            src().run(QStringLiteral("INSERT INTO gid(id, descx) VALUES (?, ?)"), id, name));
    }
    void addStaff(int card, const QString& name, int group, bool com1 = true, bool com2 = false) {
        ASSERT_TRUE(
            src().run(QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP, COM1, COM2) "
                                     "VALUES (?, ?, ?, ?, ?)"),
                      card, name, group, com1, com2));
    }
    // Reader `port` in `mode`, connected to the simulator's reader port - 1 when `connect`.
    void pointReader(int port, int mode, const QString& desc, bool connect = true) {
        ASSERT_TRUE(src().run(
            QStringLiteral("UPDATE reader SET enable = ?, ipaddr = '127.0.0.1', ipport = ?, "
                           "\"desc\" = ?, mode = ? WHERE PortNo = ?"),
            connect, QString::number(sim.port(port - 1)), desc, mode, port));
        ASSERT_TRUE(console.readers().ConfigureReader(port));
        if (connect) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return reader(port).Enable(); }, 5000));
        }
    }

    // Sends a control line to the simulator and waits until the console stored its row.
    LogRecord punch(const QString& line) {
        const size_t before = stored.size();
        EXPECT_TRUE(sim.ok(line)) << qPrintable(line);
        EXPECT_TRUE(QTest::qWaitFor([&] { return stored.size() > before; }, 3000))
            << qPrintable(line);
        return stored.size() > before ? stored[before] : LogRecord{};
    }
    // The row as stored, read back from the file.
    LogRecord storedRow(qint64 rowId) {
        auto st = att().prepare(QStringLiteral("SELECT ") + kLogColumns +
                                QStringLiteral(" FROM recorder WHERE rowid = ?"));
        if (!st) return {};
        st->bind(1, rowId);
        if (!st->step().value_or(false)) return {};
        return logRecordFromRow(*st);
    }
    qint64 count(Database& db, const QString& table) {
        return db.scalarInt(QStringLiteral("SELECT count(*) FROM ") + table)->value_or(-1);
    }

    std::vector<LogRecord> stored;
    std::vector<int> shown;
    int logChanges = 0;
    ManualClock clock{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))};
    tallyport::testing::SimProcess sim{{"--port", "0", "--ports", "2"}};
    ScriptedOperator op;
    TempDataDir dir;
    RecordingDevices devices;
    Console console{op, dir.path()};
};

}  // namespace tallyport::test
