#include "app/log_model.h"
#include "store/schema.h"
#include "support/store_fixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QSignalSpy>

namespace tallyport::test {
namespace {

class LogModelTest : public StoreFixture {
protected:
    LogModel model{data, [](int port) { return QStringLiteral("Door %1").arg(port); }};

    // Rows inserted out of time order, three to a second, so rowids do not follow SYSTIME and
    // ties are many.
    void fillShuffled(int rows) {
        ASSERT_TRUE(data.att().run(
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ? - 1) "
                "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) "
                "SELECT datetime('2024-03-01 08:00:00', '+' || ((i * 7919) % ? / 3) "
                "|| ' seconds'), i, 1, 1, 1 FROM n"),
            rows, rows));
    }
    std::vector<qint64> expectedOrder() {
        std::vector<qint64> ids;
        auto st = data.att().prepare(
            QStringLiteral("SELECT rowid FROM recorder ORDER BY SYSTIME, rowid"));
        while (st->step().value_or(false)) ids.push_back(st->int64(0));
        return ids;
    }
    qint64 rowidAtOffset(int i) {
        return data.att()
            .scalarInt(QStringLiteral(
                           "SELECT rowid FROM recorder ORDER BY SYSTIME, rowid LIMIT 1 OFFSET ?"),
                       i)
            ->value_or(-1);
    }
    QString text(int row, int column) { return model.data(model.index(row, column)).toString(); }
};

TEST_F(LogModelTest, EmptyLogHasNoRows) {
    model.refresh();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.record(0));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Date and Time"));
}

// The log's table is gone under the grid (another program changed the file): the grid shows no
// rows where it cannot read them, and the failure is told once, after the painting.
TEST_F(LogModelTest, AReadThatFailsIsToldOnceAndShowsNothing) {
    fillShuffled(300);
    model.refresh();
    ASSERT_EQ(model.rowCount(), 300);
    auto other = Database::open(data.filePath(kLogFile), kLogKey, Database::Mode::ReadWrite);
    ASSERT_TRUE(other);
    ASSERT_TRUE(other->exec(QStringLiteral("ALTER TABLE recorder RENAME TO recorder_old")));
    EXPECT_EQ(text(0, LogModel::ColTime), QString());
    EXPECT_EQ(text(299, LogModel::ColTime), QString());
    EXPECT_TRUE(op.shown().isEmpty());
    QCoreApplication::processEvents();
    ASSERT_EQ(op.shown().size(), 1) << op.shown().join(u'|').toStdString();
    EXPECT_TRUE(op.shown()[0].startsWith(QStringLiteral("error: Database Error.\nQuery failed: ")));
    EXPECT_TRUE(op.shown()[0].contains(QStringLiteral("recorder"))) << op.shown()[0].toStdString();
}

TEST_F(LogModelTest, ColumnTextsOfEachKindOfRow) {
    addGroup(7, QStringLiteral("OFFICE"));
    addStaff(100, QStringLiteral("ANNA"), 7);
    addStaff(200, QStringLiteral("BOB"), 99);  // his group does not exist
    ASSERT_TRUE(data.att().run(QStringLiteral(
        "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER, LOCK) VALUES "
        "('2024-01-05 15:04:05', 100, 1, 3, 0), ('2024-01-06 00:30:00', 200, 2, 1, 1), "
        "('2024-01-07 12:00:00', 4711, 5, 8, 9), ('2024-01-08 09:00:00', 100, 0, 9, 2)")));
    model.refresh();
    ASSERT_EQ(model.rowCount(), 4);
    struct Case {
        int row;
        const char* time;
        const char* card;
        const char* mode;
        const char* reader;
        const char* lock;
    };
    const Case cases[] = {
        {0, "Jan 5, 2024 Fri - PM 03:04:05", "ANNA, OFFICE", "IN", "Door 3", "DENIED"},
        {1, "Jan 6, 2024 Sat - AM 12:30:00", "BOB, ", "OUT", "Door 1", "Door 1"},
        {2, "Jan 7, 2024 Sun - PM 12:00:00", "[4711]", "N/A", "Door 8", "ERROR"},
        {3, "Jan 8, 2024 Mon - AM 09:00:00", "ANNA, OFFICE", "CLOCK", "ERROR", "Door 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(text(c.row, LogModel::ColTime), QString::fromUtf8(c.time));
        EXPECT_EQ(text(c.row, LogModel::ColCard), QString::fromUtf8(c.card));
        EXPECT_EQ(text(c.row, LogModel::ColMode), QString::fromUtf8(c.mode));
        EXPECT_EQ(text(c.row, LogModel::ColReader), QString::fromUtf8(c.reader));
        EXPECT_EQ(text(c.row, LogModel::ColLock), QString::fromUtf8(c.lock));
    }
}

TEST_F(LogModelTest, RowsFollowTimeThenRowidWherevereTheyAreRead) {
    constexpr int kRows = 9000;
    fillShuffled(kRows);
    model.refresh();
    ASSERT_EQ(model.rowCount(), kRows);
    // The newest row first, as the grid opens, then jumps across the log.
    const int spots[] = {kRows - 1, 0, kRows / 2, 1, 2047, 2048, 2049, kRows - 2, 4100, 6666};
    for (int i : spots) {
        SCOPED_TRACE(i);
        const auto rec = model.record(i);
        ASSERT_TRUE(rec);
        EXPECT_EQ(rec->rowId, rowidAtOffset(i));
    }
    // Every row, scrolled up from the newest, and a random sample of jumps, is where the plain
    // ordered query puts it.
    const std::vector<qint64> expected = expectedOrder();
    int wrong = 0;
    for (int i = kRows - 1; i >= 0; --i) wrong += model.record(i)->rowId != expected[size_t(i)];
    EXPECT_EQ(wrong, 0);
    for (int n = 0; n < 600; ++n) {
        const int i = QRandomGenerator::global()->bounded(kRows);
        wrong += model.record(i)->rowId != expected[size_t(i)];
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(LogModelTest, CheckpointsNotedWhileIdleLeadToTheRightRows) {
    fillShuffled(6000);
    model.setCheckpointStep(700);
    model.refresh();
    QDeadlineTimer deadline(30000);
    while (!model.checkpointsDone() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_TRUE(model.checkpointsDone());
    for (int i : {3000, 699, 700, 701, 1400, 5999, 0, 4321})
        EXPECT_EQ(model.record(i)->rowId, rowidAtOffset(i)) << i;
}

// A thousand rows of one second (an import of rows without seconds, say) in the middle.
TEST_F(LogModelTest, LongTiesKeepRowidOrder) {
    ASSERT_TRUE(data.att().run(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2999) "
        "INSERT INTO recorder(SYSTIME, CARDNO) SELECT CASE WHEN i % 3 = 0 "
        "THEN '2024-03-01 12:00:00' ELSE datetime('2024-03-01 08:00:00', '+' || i || ' minutes') "
        "END, i FROM n")));
    model.refresh();
    const std::vector<qint64> expected = expectedOrder();
    for (int i : {2999, 1500, 0, 1000, 1001, 1999, 2000, 700, 2300}) {
        EXPECT_EQ(model.record(i)->rowId, expected[size_t(i)]) << i;
        EXPECT_EQ(model.record(i)->rowId, rowidAtOffset(i)) << i;
    }
}

TEST_F(LogModelTest, RowsStoredWhileOpenShowAfterRefresh) {
    fillShuffled(5000);
    model.refresh();
    ASSERT_EQ(model.record(4999)->rowId, rowidAtOffset(4999));
    ASSERT_TRUE(model.record(2500));  // boundaries known across the log

    addLog(QStringLiteral("2030-01-01 10:00:00"), 4242);  // the newest row
    model.refresh();
    ASSERT_EQ(model.rowCount(), 5001);
    EXPECT_EQ(model.record(5000)->cardNo, 4242);
    EXPECT_EQ(model.record(2500)->rowId, rowidAtOffset(2500));

    addLog(QStringLiteral("2000-01-01 10:00:00"), 4343);  // an old row, e.g. downloaded late
    model.refresh();
    EXPECT_EQ(model.record(0)->cardNo, 4343);
    for (int i : {1, 2500, 2501, 5001}) EXPECT_EQ(model.record(i)->rowId, rowidAtOffset(i)) << i;
}

// Renamed groups and changed holders show in every page, loaded or not; the rows stay where
// they were, so a grid keeps its selection and scroll position.
TEST_F(LogModelTest, DroppedHolderTextsAreMadeAgainWithoutAReset) {
    addGroup(7, QStringLiteral("OFFICE"));
    addStaff(100, QStringLiteral("ANNA"), 7);
    for (int i = 0; i < 3 * LogModel::kPageRows; ++i)
        addLog(QStringLiteral("2024-01-05 08:%1:%2")
                   .arg(i / 60, 2, 10, QChar('0'))
                   .arg(i % 60, 2, 10, QChar('0')),
               i % 2 ? 100 : 200);
    model.refresh();
    for (int row : {1, 3 * LogModel::kPageRows - 1})
        ASSERT_EQ(text(row, LogModel::ColCard), "ANNA, OFFICE");
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    ASSERT_TRUE(data.src().run(QStringLiteral("UPDATE gid SET descx = 'NIGHT' WHERE id = 7")));
    ASSERT_TRUE(
        data.src().run(QStringLiteral("INSERT INTO staffs(CARDNO, NAME) VALUES (200, 'BEN')")));
    model.dropHolderTexts();
    EXPECT_EQ(resets.count(), 0);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 0);
    EXPECT_EQ(changed.at(0).at(1).value<QModelIndex>().row(), 3 * LogModel::kPageRows - 1);
    EXPECT_EQ(model.rowCount(), 3 * LogModel::kPageRows);
    for (int row : {0, 1, LogModel::kPageRows + 6, 3 * LogModel::kPageRows - 1})
        EXPECT_EQ(text(row, LogModel::ColCard), row % 2 ? "ANNA, NIGHT" : "BEN, ") << row;
}

}  // namespace
}  // namespace tallyport::test
