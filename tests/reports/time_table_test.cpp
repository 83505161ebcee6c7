#include "reports/time_table.h"
#include "store/messages.h"
#include "support/store_fixture.h"

namespace tallyport {
namespace {

using test::StoreFixture;

QTime hm(int h, int m = 0) {
    return QTime(h, m);
}

class TimeTableTest : public StoreFixture {
protected:
    Database& src() { return data.src(); }
    QList<QPair<QTime, QTime>> periods(int group) {
        QList<QPair<QTime, QTime>> out;
        const auto rows = loadTimeTable(src(), group);
        EXPECT_TRUE(rows);
        for (const auto& p : rows.value_or(std::vector<TimePeriod>{})) out.append({p.in, p.out});
        return out;
    }
};

TEST_F(TimeTableTest, RefusesPeriodsThatDoNotEndAfterTheyStart) {
    struct Case {
        QTime in, out;
    };
    for (const Case c : {Case{hm(9), hm(9)}, Case{hm(22), hm(6)}, Case{hm(14), hm(13, 59)}}) {
        auto r = addTimePeriod(src(), 1, c.in, c.out);
        ASSERT_FALSE(r) << c.in.toString().toStdString();
        EXPECT_EQ(r.error().text, msg::WrongTimeEntry);
    }
    EXPECT_TRUE(periods(1).isEmpty());
}

TEST_F(TimeTableTest, OverlapAndTouchRules) {
    ASSERT_TRUE(addTimePeriod(src(), 1, hm(8), hm(12)));
    struct Case {
        const char* what;
        QTime in, out;
        bool accepted;
    };
    const Case cases[] = {
        {"touches the end", hm(12), hm(13), false},
        {"touches the start", hm(7), hm(8), false},
        {"encloses", hm(7), hm(13), false},
        {"inside", hm(9), hm(10), false},
        {"same", hm(8), hm(12), false},
        {"starts inside", hm(11, 59), hm(13), false},
        {"before", hm(6), hm(7, 59), true},
        {"a minute after", hm(12, 1), hm(13), true},
    };
    for (const auto& c : cases) {
        auto r = addTimePeriod(src(), 1, c.in, c.out);
        EXPECT_EQ(bool(r), c.accepted) << c.what;
        if (!r) {
            EXPECT_EQ(r.error().text, msg::TimeOverlapped) << c.what;
        }
    }
    // Read back in IN order, whatever the order they were added in.
    EXPECT_EQ(periods(1), (QList<QPair<QTime, QTime>>{
                              {hm(6), hm(7, 59)}, {hm(8), hm(12)}, {hm(12, 1), hm(13)}}));
}

TEST_F(TimeTableTest, GroupsAreIndependent) {
    addGroup(5, QStringLiteral("NIGHT"));
    ASSERT_TRUE(addTimePeriod(src(), 1, hm(8), hm(12)));
    ASSERT_TRUE(addTimePeriod(src(), 5, hm(8), hm(12)));
    EXPECT_EQ(periods(1).size(), 1);
    EXPECT_EQ(periods(5).size(), 1);
    EXPECT_TRUE(periods(6).isEmpty());
}

TEST_F(TimeTableTest, DeleteRemovesOnlyThatPeriod) {
    addGroup(5, QStringLiteral("NIGHT"));
    ASSERT_TRUE(addTimePeriod(src(), 1, hm(8), hm(12)));
    ASSERT_TRUE(addTimePeriod(src(), 1, hm(13), hm(17)));
    ASSERT_TRUE(addTimePeriod(src(), 5, hm(8), hm(12)));
    const auto rows = loadTimeTable(src(), 1).value();
    ASSERT_TRUE(deleteTimePeriod(src(), rows[0].rowId));
    EXPECT_EQ(periods(1), (QList<QPair<QTime, QTime>>{{hm(13), hm(17)}}));
    EXPECT_EQ(periods(5).size(), 1);
    // A row already gone is a failure, not a silent success.
    auto again = deleteTimePeriod(src(), rows[0].rowId);
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().text, msg::UpdateFailed);
    // After the delete the freed period can be added again.
    EXPECT_TRUE(addTimePeriod(src(), 1, hm(8), hm(12)));
}

TEST_F(TimeTableTest, NoGroupRefused) {
    auto r = addTimePeriod(src(), 0, hm(8), hm(12));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().text, msg::NoDataRecord);
}

}  // namespace
}  // namespace tallyport
