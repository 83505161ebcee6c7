#include "peripherals/clock_face.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tallyport {
namespace {

// A hand's shape: radii of tail, sides and tip, and how far the sides spread from its angle.
struct HandShape {
    int tail;
    int side;
    int tip;
    int spread;
};

HandPolygon handAt(int cx, int cy, const HandShape& s, int a) {
    return {PointOnDial(cx, cy, s.tail, addAngle(a, 360)),
            PointOnDial(cx, cy, s.side, subAngle(a, s.spread)), PointOnDial(cx, cy, s.tip, a),
            PointOnDial(cx, cy, s.side, addAngle(a, s.spread))};
}

}  // namespace

int addAngle(int a, int k) {
    return (a + k) % kFullTurn;
}

int subAngle(int a, int k) {
    return a < k ? a - k + kFullTurn : a - k;
}

QPoint PointOnDial(int cx, int cy, int r, int a) {
    int e = a;
    if (a >= 540)
        e = 720 - a;
    else if (a >= 360)
        e = a - 360;
    else if (a >= 180)
        e = 360 - a;
    const double theta = e * std::numbers::pi / 360.0;
    const int dx = static_cast<int>(r * std::sin(theta));
    const int dy = static_cast<int>(r * std::cos(theta));
    if (a < 180) return {cx + dx, cy - dy};
    if (a < 360) return {cx + dx, cy + dy};
    if (a < 540) return {cx - dx, cy + dy};
    return {cx - dx, cy - dy};
}

HandAngles handAnglesAt(const QTime& t) {
    const int hours = t.hour() > 11 ? t.hour() - 12 : t.hour();
    return {hours * 60 + t.minute(), t.minute() * 12, t.second() * 12};
}

ClockFace computeClockFace(int width, int height, const QTime& t) {
    const int cx = width / 2;
    const int cy = height / 2;
    const int r = std::min(cx, cy);
    ClockFace face;
    face.radius = r;
    face.markWidth = r / 40;
    for (int i = 0; i < 60; i += 5)
        face.marks.push_back(
            {PointOnDial(cx, cy, r * 85 / 100, 12 * i), PointOnDial(cx, cy, r * 95 / 100, 12 * i)});
    const HandAngles a = handAnglesAt(t);
    face.hands[0] = handAt(cx, cy, {r / 8, r / 15, static_cast<int>(r * 0.6), 240}, a.hour);
    face.hands[1] = handAt(cx, cy, {r / 6, r / 20, static_cast<int>(r * 0.8), 120}, a.minute);
    face.hands[2] = handAt(cx, cy, {r / 5, r / 20, r, 30}, a.second);
    return face;
}

}  // namespace tallyport
