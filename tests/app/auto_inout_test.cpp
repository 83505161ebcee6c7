// The automatic IN/OUT direction: the periods, their edits and checks, the minute tick and the
// operator's override, alone and with cards from a clock-only reader.
#include "app/auto_inout.h"
#include "store/log_texts.h"
#include "store/messages.h"
#include "store/setting_names.h"
#include "support/live_console.h"
#include "support/store_fixture.h"

using namespace tallyport;

namespace {

QTime at(const char* hhmmss) {
    return QTime::fromString(QString::fromLatin1(hhmmss), "HH:mm:ss");
}

class Periods : public tallyport::test::StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        WriteSettingBool(setting::AutoInOut, true);
        WriteSettingBool(setting::AutoOverride, true);
    }
    void add(const char* from, const char* to) {
        ASSERT_TRUE(addInPeriod(data.src(), at(from), at(to)).has_value()) << from << "-" << to;
    }
    AutoInOut io{data};
};

TEST_F(Periods, StateFollowsTheBoundariesOfThePeriods) {
    add("13:00:00", "17:00:00");
    add("08:00:00", "12:00:00");
    const struct {
        const char* time;
        bool in;
    } cases[] = {{"07:59:59", false}, {"08:00:00", true}, {"11:59:59", true},
                 {"12:00:00", false}, {"13:00:00", true}, {"17:00:00", false}};
    for (const auto& c : cases) {
        io.Evaluate(at(c.time));
        EXPECT_EQ(io.isIn(), c.in) << c.time;
    }
    io.Evaluate(QTime(11, 59, 59, 999));
    EXPECT_TRUE(io.isIn());
}

TEST_F(Periods, NoPeriodsMeansOutAndAnOffModeLeavesTheStateAlone) {
    io.setState(true);
    io.Evaluate(at("10:00:00"));
    EXPECT_FALSE(io.isIn());
    add("08:00:00", "12:00:00");
    WriteSettingBool(setting::AutoInOut, false);
    io.Evaluate(at("10:00:00"));
    EXPECT_FALSE(io.isIn());
}

TEST_F(Periods, AddingChecksOrderAndOverlapIncludingTouchingPeriods) {
    add("08:00:00", "12:00:00");
    const struct {
        const char *from, *to;
        QString error;
    } cases[] = {{"12:00:00", "13:00:00", msg::TimeOverlapped},
                 {"07:00:00", "08:00:00", msg::TimeOverlapped},
                 {"07:00:00", "13:00:00", msg::TimeOverlapped},
                 {"09:00:00", "10:00:00", msg::TimeOverlapped},
                 {"17:00:00", "08:00:00", msg::WrongTimeEntry},
                 {"09:00:00", "09:00:00", msg::WrongTimeEntry}};
    for (const auto& c : cases) {
        auto r = addInPeriod(data.src(), at(c.from), at(c.to));
        ASSERT_FALSE(r.has_value()) << c.from << "-" << c.to;
        EXPECT_EQ(r.error().text, c.error) << c.from << "-" << c.to;
    }
    add("12:01:00", "13:00:00");
    const auto periods = loadInPeriods(data.src()).value();
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_EQ(periods[1].from, at("12:01:00"));
}

TEST_F(Periods, DeleteAsksFirstAndSaysWhenThereIsNothing) {
    EXPECT_FALSE(deleteInPeriod(op, data.src(), std::nullopt));
    EXPECT_EQ(op.shown(), QStringList{"error: " + msg::NoDataRecord});
    add("08:00:00", "12:00:00");
    const qint64 id = loadInPeriods(data.src()).value().at(0).rowId;
    op.clear();
    op.answerConfirm(false);
    EXPECT_FALSE(deleteInPeriod(op, data.src(), id));
    op.answerConfirm(true);
    EXPECT_TRUE(deleteInPeriod(op, data.src(), id));
    EXPECT_EQ(op.shown(), QStringList(2, "confirm: " + msg::ConfirmDelete));
    EXPECT_TRUE(loadInPeriods(data.src()).value().empty());
}

TEST_F(Periods, OverrideLastsFiveTicksAndSuspendsMinuteTicks) {
    add("08:00:00", "12:00:00");
    QDateTime now(QDate(2024, 3, 5), QTime(10, 0, 0));
    io.minuteTick(now);
    io.Evaluate(now.time());
    ASSERT_TRUE(io.isIn());
    ASSERT_TRUE(io.panelClick());
    EXPECT_FALSE(io.isIn());
    for (int tick = 1; tick <= 4; ++tick) {
        now = now.addSecs(15);  // minutes change, yet the flip holds
        io.minuteTick(now);
        EXPECT_FALSE(io.isIn()) << tick;
    }
    io.minuteTick(now.addSecs(1));
    EXPECT_TRUE(io.isIn());
    EXPECT_EQ(io.overrideCountdown(), 0);
    WriteSettingBool(setting::AutoOverride, false);
    EXPECT_FALSE(io.panelClick());
    EXPECT_TRUE(io.isIn());
}

TEST_F(Periods, MinuteTickEvaluatesWhenTheMinuteChanges) {
    add("08:00:00", "12:00:00");
    io.minuteTick(QDateTime(QDate(2024, 3, 5), QTime(7, 59, 30)));
    io.setState(true);
    io.minuteTick(QDateTime(QDate(2024, 3, 5), QTime(7, 59, 31)));  // same minute: nothing
    EXPECT_TRUE(io.isIn());
    io.minuteTick(QDateTime(QDate(2024, 3, 5), QTime(12, 0, 0)));
    EXPECT_FALSE(io.isIn());
}

class OverrideWithCards : public tallyport::test::LiveConsole {};

// A card within the override takes the flipped direction; the schedule returns right after.
TEST_F(OverrideWithCards, CardUsesTheFlipAndTheScheduleReturnsAfterIt) {
    WriteSettingBool(setting::AutoInOut, true);
    WriteSettingBool(setting::AutoOverride, true);
    ASSERT_TRUE(addInPeriod(src(), at("08:00:00"), at("12:00:00")).has_value());
    clock.set(QDateTime(QDate(2024, 3, 5), QTime(10, 0, 0)));
    pointReader(1, 0, QStringLiteral("Front door"));
    console.autoInOut().Evaluate(clock.now().time());
    ASSERT_TRUE(console.autoInOut().panelClick());
    ASSERT_FALSE(console.autoInOut().isIn());
    const LogRecord row = punch(QStringLiteral("card 6 12345"));
    EXPECT_EQ(row.mode, ModeOut);
    EXPECT_TRUE(console.autoInOut().isIn());
    EXPECT_EQ(punch(QStringLiteral("card 6 12345")).mode, ModeIn);
}

}  // namespace
