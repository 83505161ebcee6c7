// The shared computations: readers, judgement, rounding, slots and the small texts.
#include "reports/attendance.h"
#include "reports/report_texts.h"
#include "store/log_texts.h"

#include <gtest/gtest.h>

namespace tallyport {
namespace {

// 2026-01-05 is a Monday, 2026-01-10 a Saturday.
Stamp at(const char* dayTime) {
    return parseStampText(QString::fromLatin1(dayTime));
}
Stamp t(const char* time) {
    return at((QByteArray("2026-01-05 ") + time).constData());
}
qint64 hm(int h, int m, int s = 0) {
    return h * kHourMs + m * kMinuteMs + s * 1000LL;
}

RecordCursor cursor(std::initializer_list<std::pair<Stamp, int>> recs) {
    std::vector<PunchRecord> v;
    for (auto [time, mode] : recs) v.push_back({time, mode});
    return RecordCursor(std::move(v));
}

struct Found {
    Stamp in, out;
};
// Reads every line of one day with the reader, as the report walk does.
std::vector<Found> readDay(RecordCursor& c, bool strict, bool firstLast) {
    std::vector<Found> out;
    const Stamp day = c.current().time;
    while (!c.atEnd() && sameDay(c.current().time, day)) {
        Stamp pos = c.current().time;
        const PairRecord p = firstLast ? DayFirstLast(c, pos, strict) : NextPair(c, pos, strict);
        out.push_back({p.inTime, p.outTime});
    }
    return out;
}

TEST(Comparisons, DaysAndTimesOfDay) {
    EXPECT_TRUE(sameDay(at("2026-01-05 00:00:00"), at("2026-01-05 23:59:59")));
    EXPECT_TRUE(dayBefore(at("2026-01-04 23:59:59"), at("2026-01-05 00:00:00")));
    EXPECT_FALSE(timeAfter(at("2026-01-06 08:00:00"), at("2026-01-05 08:00:00")));
    EXPECT_TRUE(timeAfter(at("2026-01-04 08:00:01"), at("2026-01-05 08:00:00")));
    EXPECT_EQ(timeDiff(at("2026-01-04 09:00:00"), at("2026-01-09 08:30:00")), hm(0, 30));
    EXPECT_TRUE(isSaturday(at("2026-01-10 12:00:00")));
    EXPECT_FALSE(isSaturday(at("2026-01-11 12:00:00")));
    EXPECT_EQ(parseStampText(u"2026-01-05 08:00:00.750"), t("08:00:00"));
    EXPECT_EQ(parseStampText(u"2026-02-30 08:00:00"), 0);
    EXPECT_EQ(parseStampText(u"garbage"), 0);
}

TEST(NextPair, StrictSkipsSecondInAndLastOutWins) {
    auto c = cursor({{t("08:00:00"), 1},
                     {t("08:05:00"), 1},
                     {t("12:00:00"), 2},
                     {t("12:02:00"), 2},
                     {t("13:00:00"), 1},
                     {t("17:00:00"), 2}});
    const auto lines = readDay(c, true, false);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].in, t("08:00:00"));
    EXPECT_EQ(lines[0].out, t("12:02:00"));
    EXPECT_EQ(lines[1].in, t("13:00:00"));
    EXPECT_EQ(lines[1].out, t("17:00:00"));
}

TEST(NextPair, StrictSkipsLeadingOutAndClockRecords) {
    auto c =
        cursor({{t("07:55:00"), 2}, {t("07:58:00"), 0}, {t("08:00:00"), 1}, {t("12:00:00"), 2}});
    Stamp pos = t("07:55:00");
    const PairRecord p = NextPair(c, pos, true);
    EXPECT_EQ(p.inTime, t("08:00:00"));
    EXPECT_EQ(p.outTime, t("12:00:00"));
    EXPECT_EQ(p.outMode, 2);
    EXPECT_TRUE(c.atEnd());
    EXPECT_EQ(pos, t("12:00:00"));  // left on the last record read
}

TEST(NextPair, ByOrderPairsThenMovesToNextDay) {
    const Stamp next = at("2026-01-06 08:00:00");
    auto c = cursor({{t("08:00:00"), 0}, {t("12:00:00"), 0}, {t("13:00:00"), 0}, {next, 1}});
    Stamp pos = t("08:00:00");
    PairRecord p = NextPair(c, pos, false);
    EXPECT_EQ(p.inTime, t("08:00:00"));
    EXPECT_EQ(p.outTime, t("12:00:00"));
    EXPECT_EQ(pos, t("13:00:00"));
    p = NextPair(c, pos, false);
    EXPECT_EQ(p.inTime, t("13:00:00"));
    EXPECT_EQ(p.outTime, 0);
    EXPECT_FALSE(p.complete());
    EXPECT_EQ(pos, next);  // the day is over
    pos = t("13:00:00");
    p = NextPair(c, pos, false);  // called on the old day: nothing consumed
    EXPECT_TRUE(p.empty());
    EXPECT_EQ(pos, next);
    EXPECT_FALSE(c.atEnd());
}

TEST(NextPair, ExhaustedCursorZeroesPosition) {
    RecordCursor c;
    Stamp pos = t("08:00:00");
    EXPECT_TRUE(NextPair(c, pos, true).empty());
    EXPECT_EQ(pos, 0);
    pos = t("08:00:00");
    EXPECT_TRUE(NextPair(c, pos, false).empty());
    EXPECT_EQ(pos, 0);
}

TEST(DayFirstLast, ByOrderFirstAndLastRecordOfTheDay) {
    const Stamp next = at("2026-01-06 09:00:00");
    auto c = cursor({{t("08:00:00"), 2}, {t("12:00:00"), 0}, {t("17:00:00"), 1}, {next, 0}});
    Stamp pos = t("08:00:00");
    PairRecord p = DayFirstLast(c, pos, false);
    EXPECT_EQ(p.inTime, t("08:00:00"));
    EXPECT_EQ(p.inMode, 2);
    EXPECT_EQ(p.outTime, t("17:00:00"));
    EXPECT_EQ(pos, next);
    p = DayFirstLast(c, pos, false);  // a day of one record: no out time
    EXPECT_EQ(p.inTime, next);
    EXPECT_EQ(p.outTime, 0);
    EXPECT_TRUE(c.atEnd());
    EXPECT_EQ(pos, next);  // unchanged at exhaustion
}

TEST(DayFirstLast, StrictFirstInLastOutAndOnlyOuts) {
    auto c = cursor({{t("07:00:00"), 2},
                     {t("08:00:00"), 1},
                     {t("09:00:00"), 1},
                     {t("12:00:00"), 2},
                     {t("17:00:00"), 2},
                     {t("18:00:00"), 0}});
    Stamp pos = t("07:00:00");
    PairRecord p = DayFirstLast(c, pos, true);
    EXPECT_EQ(p.inTime, t("08:00:00"));
    EXPECT_EQ(p.outTime, t("17:00:00"));
    EXPECT_TRUE(c.atEnd());

    const Stamp next = at("2026-01-06 08:00:00");
    auto outs = cursor({{t("12:00:00"), 2}, {t("17:00:00"), 2}, {next, 1}});
    pos = t("12:00:00");
    EXPECT_TRUE(DayFirstLast(outs, pos, true).empty());
    EXPECT_EQ(pos, next);
}

TEST(RoundOvertime, Table) {
    struct Case {
        qint64 raw;
        int min, mul, free;
        qint64 expect;
    } cases[] = {
        {hm(0, 14, 59), 15, 5, 0, 0},
        {hm(0, 15), 15, 5, 0, hm(0, 15)},
        {hm(0, 37, 40), 15, 5, 0, hm(0, 35)},
        {hm(0, 37, 40), 15, 5, 5, hm(0, 30)},
        {hm(0, 16), 15, 5, 5, hm(0, 10)},
        {hm(0, 21), 15, 0, 5, hm(0, 16)},
        {hm(0, 21, 30), 15, 0, 5, hm(0, 16, 30)},  // not truncated without a multiple
        {hm(0, 10), 15, 0, 0, 0},
        {hm(0, 5), 15, 5, 20, 0},
        // More no-pay than minimum: the overtime beyond the no-pay minutes still counts.
        {hm(0, 34), 15, 0, 20, hm(0, 14)},
        {hm(0, 34), 15, 1, 20, hm(0, 14)},
        {hm(0, 15), 15, 5, 15, 0},
        {0, 0, 0, 0, 0},
    };
    for (const Case& k : cases) {
        int count = 0;
        const qint64 got = RoundOvertime(k.raw, k.min, k.mul, k.free, count);
        EXPECT_EQ(got, k.expect) << k.raw << " min " << k.min << " mul " << k.mul << " free "
                                 << k.free;
        EXPECT_EQ(count, got > 0 ? 1 : 0);
    }
}

TEST(MatchTimeSlot, FirstSlotEndingAfterIn) {
    const std::vector<TimeSlot> slots{{hm(8, 0), hm(12, 0)}, {hm(13, 0), hm(17, 0)}};
    auto m = MatchTimeSlot({t("12:30:00"), 1, t("17:00:00"), 2}, slots);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->slot, 2);
    EXPECT_EQ(m->late, 0);
    EXPECT_EQ(m->early, 0);
    m = MatchTimeSlot({t("12:00:00"), 1, t("16:00:00"), 2}, slots);  // IN on a timeout
    ASSERT_TRUE(m);
    EXPECT_EQ(m->slot, 2);
    EXPECT_EQ(m->early, hm(1, 0));
    m = MatchTimeSlot({t("08:10:00"), 1, t("11:00:00"), 2}, slots);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->slot, 1);
    EXPECT_EQ(m->late, hm(0, 10));
    EXPECT_EQ(m->early, hm(1, 0));
    EXPECT_FALSE(MatchTimeSlot({t("17:00:00"), 1, t("18:00:00"), 2}, slots));
    EXPECT_FALSE(MatchTimeSlot({t("09:00:00"), 1, 0, 0}, {}));
}

TEST(ReportTexts, Formats) {
    EXPECT_EQ(DurationText(kDayMs + hm(2, 5)), QStringLiteral("26:05:00 "));
    EXPECT_EQ(DurationText(hm(0, 0, 7) + 999), QStringLiteral("00:00:07 "));
    EXPECT_EQ(ElapsedText(at("2026-01-06 12:00:00"), t("08:00:00")), QStringLiteral("(04:00:00)"));
    EXPECT_EQ(PadRight(QStringLiteral(" No IN"), 16), QStringLiteral(" No IN          "));
    EXPECT_EQ(PadRight(QStringLiteral("abcdef"), 3), QStringLiteral("abcdef"));
    EXPECT_EQ(SheetName(QStringLiteral("Ann Lee Wong")), QStringLiteral("Ann_Lee_Wong"));
    EXPECT_EQ(ModeTag(0).size(), 7);
    EXPECT_EQ(ModeTag(2), QStringLiteral("[OUT]  "));
    const Stamp pm = t("13:05:09"), midnight = t("00:30:00"), noon = t("12:00:00");
    EXPECT_EQ(recordTimeText(pm, 0), QStringLiteral(" PM01:05:09"));
    EXPECT_EQ(recordTimeText(midnight, 0), QStringLiteral(" AM12:30:00"));
    EXPECT_EQ(recordTimeText(noon, 2), QStringLiteral(" PM12:00"));
    EXPECT_EQ(recordTimeText(pm, 1), QStringLiteral(" 13:05:09"));
    EXPECT_EQ(recordTimeText(pm, 3), QStringLiteral(" 13:05"));
    EXPECT_EQ(recordFormatWidth(0), 11);
    EXPECT_EQ(recordFormatWidth(3), 6);
    EXPECT_EQ(dayColumnText(t("08:00:00")), QStringLiteral("Jan 05, 2026 Mon -"));
    EXPECT_EQ(dayColumnText(t("08:00:00")).size(), kDayColumnWidth);
    EXPECT_EQ(rangeDateText(t("08:00:00")), QStringLiteral("5/Jan/2026"));
    EXPECT_EQ(hourMinuteText(hm(17, 30)), QStringLiteral("17:30"));
}

TEST(OvernightShift, HoursWrapAroundMidnight) {
    EXPECT_EQ(shiftTimeOfDay(hm(20, 0), 12), hm(8, 0));
    EXPECT_EQ(shiftTimeOfDay(hm(8, 0), 12), hm(20, 0));
    EXPECT_EQ(shiftTimeOfDay(hm(12, 0), 12), 0);
    // A night shift read 12 hours earlier falls into one day, in order.
    const Stamp in = at("2026-01-05 19:55:00") - 12 * kHourMs;
    const Stamp out = at("2026-01-06 08:10:00") - 12 * kHourMs;
    EXPECT_TRUE(sameDay(in, out));
    EXPECT_TRUE(timeAfter(out, in));
}

}  // namespace
}  // namespace tallyport
