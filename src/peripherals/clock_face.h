#pragma once

#include <QPoint>
#include <QTime>
#include <array>
#include <vector>

namespace tallyport {

// Angles on the dial count half-degrees: 720 make a full turn, 0 points at twelve and angles
// grow clockwise. Sums and differences wrap into 0..719.
inline constexpr int kFullTurn = 720;
int addAngle(int a, int k);
int subAngle(int a, int k);

// The point at radius r and angle a (0..719) around the centre; each offset is truncated
// toward zero, so the quadrants meet without a seam.
QPoint PointOnDial(int cx, int cy, int r, int a);

// The angles of the three hands for a time of day: hours fold to 0..11, the hour hand moves
// with the minutes, the minute and second hands jump whole steps.
struct HandAngles {
    int hour;
    int minute;
    int second;
};
HandAngles handAnglesAt(const QTime& t);

// One hand as a filled polygon: tail, left side, tip, right side.
using HandPolygon = std::array<QPoint, 4>;
struct DialMark {
    QPoint from;
    QPoint to;
};

// Everything the clock draws for a client area and a time: twelve marks and the hands in
// drawing order (hour, minute, second, so the second hand lies on top).
struct ClockFace {
    int radius = 0;
    int markWidth = 0;
    std::vector<DialMark> marks;
    std::array<HandPolygon, 3> hands;
};
ClockFace computeClockFace(int width, int height, const QTime& t);

}  // namespace tallyport
