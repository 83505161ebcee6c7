#include "peripherals/clock_face.h"

#include <gtest/gtest.h>

using namespace tallyport;

namespace {

struct DialCase {
    int angle;
    QPoint expected;
};

// Centre (100, 100), radius 50: the four quarter points lie exactly on the axes, and the
// points next to them have not crossed into the neighbouring quadrant.
TEST(ClockFace, PointOnDialAtTheQuadrantBoundaries) {
    const DialCase cases[] = {
        {0, {100, 50}},    {180, {150, 100}}, {360, {100, 150}}, {540, {50, 100}},
        {1, {100, 51}},    {179, {149, 100}}, {181, {149, 100}}, {359, {100, 149}},
        {361, {100, 149}}, {539, {51, 100}},  {541, {51, 100}},  {719, {100, 51}},
        {90, {135, 65}},   {270, {135, 135}}, {450, {65, 135}},  {630, {65, 65}},
    };
    for (const DialCase& c : cases)
        EXPECT_EQ(PointOnDial(100, 100, 50, c.angle), c.expected) << "angle " << c.angle;
}

TEST(ClockFace, AnglesWrapIntoOneTurn) {
    EXPECT_EQ(addAngle(700, 30), 10);
    EXPECT_EQ(addAngle(390, 360), 30);
    EXPECT_EQ(subAngle(10, 30), 700);
    EXPECT_EQ(subAngle(30, 30), 0);
    EXPECT_EQ(subAngle(0, 240), 480);
}

struct HandCase {
    QTime time;
    HandAngles expected;
};

TEST(ClockFace, HandAnglesFollowTheTimeOfDay) {
    const HandCase cases[] = {
        {QTime(6, 30, 0), {390, 360, 0}},  // hour hand halfway between 6 (360) and 7 (420)
        {QTime(0, 0, 0), {0, 0, 0}},
        {QTime(12, 0, 0), {0, 0, 0}},  // noon folds onto midnight
        {QTime(23, 59, 59), {719, 708, 708}},
        {QTime(15, 15, 30), {195, 180, 360}},
    };
    for (const HandCase& c : cases) {
        const HandAngles a = handAnglesAt(c.time);
        EXPECT_EQ(a.hour, c.expected.hour) << c.time.toString().toStdString();
        EXPECT_EQ(a.minute, c.expected.minute) << c.time.toString().toStdString();
        EXPECT_EQ(a.second, c.expected.second) << c.time.toString().toStdString();
    }
}

TEST(ClockFace, AtMidnightEveryTipPointsStraightUp) {
    const ClockFace face = computeClockFace(200, 200, QTime(0, 0, 0));
    EXPECT_EQ(face.radius, 100);
    EXPECT_EQ(face.hands[0][2], QPoint(100, 40));   // hour tip at R * 0.6
    EXPECT_EQ(face.hands[1][2], QPoint(100, 20));   // minute tip at R * 0.8
    EXPECT_EQ(face.hands[2][2], QPoint(100, 0));    // second tip at R
    EXPECT_EQ(face.hands[2][0], QPoint(100, 120));  // its tail opposite, at R div 5
}

TEST(ClockFace, HalfPastSixHandsAndTwelveMarks) {
    const ClockFace face = computeClockFace(200, 200, QTime(6, 30, 0));
    EXPECT_EQ(face.hands[0][2], PointOnDial(100, 100, 60, 390));
    EXPECT_EQ(face.hands[0][1], PointOnDial(100, 100, 100 / 15, 150));  // 390 - 240
    EXPECT_EQ(face.hands[0][3], PointOnDial(100, 100, 100 / 15, 630));  // 390 + 240
    EXPECT_EQ(face.hands[1][2], QPoint(100, 180));                      // minute hand down
    ASSERT_EQ(face.marks.size(), 12u);
    EXPECT_EQ(face.marks[0].from, QPoint(100, 15));
    EXPECT_EQ(face.marks[0].to, QPoint(100, 5));
    EXPECT_EQ(face.markWidth, 2);
}

// A box narrower than tall takes half its width as radius and stays centred.
TEST(ClockFace, NarrowBoxUsesHalfItsWidth) {
    const ClockFace face = computeClockFace(120, 300, QTime(0, 0, 0));
    EXPECT_EQ(face.radius, 60);
    EXPECT_EQ(face.hands[2][2], QPoint(60, 90));
    EXPECT_EQ(face.marks[3].to, PointOnDial(60, 150, 57, 180));
}

}  // namespace
