// Judging lines against one-session and two-session working hours.
#include "reports/attendance.h"

#include <gtest/gtest.h>

namespace tallyport {
namespace {

qint64 hm(int h, int m) {
    return h * kHourMs + m * kMinuteMs;
}
// 2026-01-05 is a Monday, 2026-01-10 a Saturday.
Stamp mon(int h, int m) {
    return stampFromDate(QDate(2026, 1, 5)) + hm(h, m);
}
Stamp sat(int h, int m) {
    return stampFromDate(QDate(2026, 1, 10)) + hm(h, m);
}

struct Day {
    std::vector<LineVerdict> lines;
    PersonCounters c;
};

// One day's records through the report's reader and the judgement, line by line.
Day judge(std::vector<PunchRecord> recs, SessionKind kind, const WorkingHours& h) {
    RecordCursor cur(std::move(recs));
    Day d;
    d.c.days = 1;
    const Stamp day = cur.current().time;
    while (!cur.atEnd() && sameDay(cur.current().time, day)) {
        Stamp pos = cur.current().time;
        const PairRecord p =
            kind == SessionKind::One ? DayFirstLast(cur, pos, true) : NextPair(cur, pos, true);
        d.lines.push_back(EvaluateSessionLine(p, kind, pos, cur.atEnd(), h, d.c));
        ++d.c.pairIndex;
    }
    return d;
}

WorkingHours oneSession() {
    WorkingHours h;
    h.standard = {hm(9, 0), hm(17, 0)};
    h.otMinimum = 15;
    h.otMultiple = 5;
    h.otFree = 0;
    return h;
}

WorkingHours twoSessions() {
    WorkingHours h;
    h.session1 = {hm(9, 0), hm(13, 0)};
    h.session2 = {hm(14, 0), hm(17, 30)};
    return h;
}

TEST(OneSession, LateAndRoundedOvertime) {
    const Day d = judge({{mon(9, 20), 1}, {mon(18, 10), 2}}, SessionKind::One, oneSession());
    ASSERT_EQ(d.lines.size(), 1u);
    const LineVerdict& v = d.lines[0];
    EXPECT_TRUE(v.judged);
    EXPECT_FALSE(v.error);
    EXPECT_EQ(v.late, hm(0, 20));
    EXPECT_EQ(v.early, 0);
    EXPECT_EQ(v.overtime, hm(1, 10));
    EXPECT_EQ(d.c.lateCount, 1);
    EXPECT_EQ(d.c.lateTotal, hm(0, 20));
    EXPECT_EQ(d.c.overtimeCount, 1);
    EXPECT_EQ(d.c.goodDays, 1);
}

TEST(OneSession, EarlyLeaveAndOvertimeOnTime) {
    Day d = judge({{mon(8, 55), 1}, {mon(16, 30), 2}}, SessionKind::One, oneSession());
    EXPECT_EQ(d.lines[0].late, 0);
    EXPECT_EQ(d.lines[0].early, hm(0, 30));
    EXPECT_EQ(d.lines[0].overtime, 0);
    EXPECT_EQ(d.c.earlyCount, 1);
    EXPECT_EQ(d.c.overtimeCount, 0);
    d = judge({{mon(8, 55), 1}, {mon(17, 40), 2}}, SessionKind::One, oneSession());
    EXPECT_EQ(d.lines[0].overtime, hm(0, 40));
    EXPECT_EQ(d.c.overtimeCount, 1);
}

TEST(OneSession, ArrivalAfterEndIsAnErrorWithoutAmounts) {
    const Day d = judge({{mon(17, 30), 1}, {mon(18, 0), 2}}, SessionKind::One, oneSession());
    EXPECT_TRUE(d.lines[0].judged);
    EXPECT_TRUE(d.lines[0].error);
    EXPECT_EQ(d.lines[0].late, 0);
    EXPECT_EQ(d.lines[0].overtime, 0);
    EXPECT_EQ(d.c.lateCount + d.c.earlyCount + d.c.overtimeCount + d.c.goodDays, 0);
}

TEST(OneSession, SaturdayHoursOnlyWhenOn) {
    WorkingHours h = oneSession();
    h.satOn = true;
    h.saturday = {hm(9, 0), hm(13, 0)};
    Day d = judge({{sat(9, 0), 1}, {sat(13, 30), 2}}, SessionKind::One, h);
    EXPECT_EQ(d.lines[0].overtime, hm(0, 30));
    h.satOn = false;  // judged by the standard hours
    d = judge({{sat(9, 0), 1}, {sat(13, 30), 2}}, SessionKind::One, h);
    EXPECT_EQ(d.lines[0].early, hm(3, 30));
}

TEST(OneSession, IncorrectLinesMoveNothing) {
    const Day d = judge({{mon(9, 0), 1}}, SessionKind::One, oneSession());
    EXPECT_FALSE(d.lines[0].judged);
    EXPECT_EQ(d.c.goodDays, 0);
}

TEST(TwoSession, LateInFirstOvertimeInSecondCompleteDay) {
    const Day d = judge({{mon(9, 10), 1}, {mon(13, 0), 2}, {mon(14, 0), 1}, {mon(17, 45), 2}},
                        SessionKind::Two, twoSessions());
    ASSERT_EQ(d.lines.size(), 2u);
    EXPECT_EQ(d.lines[0].late, hm(0, 10));
    EXPECT_FALSE(d.lines[0].missing);
    EXPECT_EQ(d.lines[0].overtime, 0);
    EXPECT_EQ(d.lines[1].overtime, hm(0, 15));
    EXPECT_EQ(d.c.completeDays, 1);
    EXPECT_EQ(d.c.overtimeCount, 1);
}

TEST(TwoSession, OnlySecondSessionIsPairOneAndMissing) {
    const Day d = judge({{mon(14, 5), 1}, {mon(17, 30), 2}}, SessionKind::Two, twoSessions());
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_TRUE(d.lines[0].missing);
    EXPECT_FALSE(d.lines[0].error);
    EXPECT_EQ(d.lines[0].late, hm(0, 5));
    EXPECT_EQ(d.c.pairIndex, 2);  // moved to the second pair, then the walk moved on
    EXPECT_EQ(d.c.completeDays, 0);
}

TEST(TwoSession, OnlyFirstSessionIsMissingTheSecond) {
    const Day d = judge({{mon(9, 0), 1}, {mon(13, 0), 2}}, SessionKind::Two, twoSessions());
    EXPECT_TRUE(d.lines[0].missing);
    EXPECT_EQ(d.c.completeDays, 0);
}

TEST(TwoSession, ThirdPairIsExcessiveAndSecondOutsideSessionIsError) {
    Day d = judge({{mon(9, 0), 1},
                   {mon(13, 0), 2},
                   {mon(14, 0), 1},
                   {mon(17, 30), 2},
                   {mon(18, 0), 1},
                   {mon(19, 0), 2}},
                  SessionKind::Two, twoSessions());
    ASSERT_EQ(d.lines.size(), 3u);
    EXPECT_FALSE(d.lines[1].excessive);
    EXPECT_TRUE(d.lines[2].excessive);
    EXPECT_EQ(d.c.completeDays, 0);  // the day was not over after the second pair
    d = judge({{mon(9, 0), 1}, {mon(10, 0), 2}, {mon(11, 0), 1}, {mon(12, 0), 2}}, SessionKind::Two,
              twoSessions());
    EXPECT_TRUE(d.lines[1].error);  // a second pair inside the first session
    EXPECT_EQ(d.c.completeDays, 0);
    d = judge({{mon(18, 0), 1}, {mon(19, 0), 2}}, SessionKind::Two, twoSessions());
    EXPECT_TRUE(d.lines[0].error);  // after both sessions
}

TEST(TwoSession, SaturdayWithoutSaturdayHoursIsAnOrdinaryDay) {
    const Day d = judge({{sat(9, 0), 1}, {sat(13, 0), 2}, {sat(14, 0), 1}, {sat(18, 0), 2}},
                        SessionKind::Two, twoSessions());
    EXPECT_FALSE(d.lines[1].excessive);
    EXPECT_EQ(d.lines[1].overtime, hm(0, 30));
    EXPECT_EQ(d.c.completeDays, 1);
}

TEST(TwoSession, SaturdayOneSession) {
    WorkingHours h = twoSessions();
    h.sat1On = true;
    h.sat1 = {hm(9, 0), hm(12, 0)};
    Day d = judge({{sat(9, 5), 1}, {sat(12, 30), 2}}, SessionKind::Two, h);
    EXPECT_EQ(d.lines[0].late, hm(0, 5));
    EXPECT_EQ(d.lines[0].overtime, hm(0, 30));
    EXPECT_FALSE(d.lines[0].missing);
    EXPECT_EQ(d.c.completeDays, 1);
    d = judge({{sat(9, 0), 1}, {sat(12, 0), 2}, {sat(13, 0), 1}, {sat(14, 0), 2}}, SessionKind::Two,
              h);
    EXPECT_TRUE(d.lines[1].excessive);
    // Arriving after the only Saturday session has ended earns no overtime.
    d = judge({{sat(15, 0), 1}, {sat(16, 0), 2}}, SessionKind::Two, h);
    EXPECT_TRUE(d.lines[0].error);
    EXPECT_EQ(d.lines[0].overtime, 0);
    EXPECT_EQ(d.c.lateCount, 0);
}

TEST(TwoSession, SaturdayTwoSessions) {
    WorkingHours h = twoSessions();
    h.sat1On = h.sat2On = true;
    h.sat1 = {hm(9, 0), hm(12, 0)};
    h.sat2 = {hm(13, 0), hm(15, 0)};
    Day d = judge({{sat(9, 0), 1}, {sat(12, 0), 2}, {sat(13, 0), 1}, {sat(15, 20), 2}},
                  SessionKind::Two, h);
    EXPECT_EQ(d.lines[0].overtime, 0);  // counted at the end of the last session only
    EXPECT_EQ(d.lines[1].overtime, hm(0, 20));
    EXPECT_EQ(d.c.completeDays, 1);
    // A second pair is bounded by the Saturday sessions.
    d = judge({{sat(9, 0), 1}, {sat(12, 0), 2}, {sat(16, 0), 1}, {sat(17, 0), 2}}, SessionKind::Two,
              h);
    EXPECT_TRUE(d.lines[1].error);
}

TEST(TwoSession, IncorrectPairSaysNothingMore) {
    const Day d = judge({{mon(9, 0), 1}, {mon(10, 0), 1}}, SessionKind::Two, twoSessions());
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_FALSE(d.lines[0].judged);
    EXPECT_FALSE(d.lines[0].missing);
    EXPECT_EQ(d.c.lateCount + d.c.completeDays + d.c.goodDays, 0);
}

}  // namespace
}  // namespace tallyport
