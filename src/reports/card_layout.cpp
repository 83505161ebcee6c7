#include "reports/card_layout.h"

#include <cmath>

namespace tallyport {

namespace {

constexpr double kLabelPoints = 7;
constexpr double kValuePoints = 10;

constexpr CardText label(double rightEdge, double top) {
    return {rightEdge, top, kLabelPoints, true};
}
constexpr CardText value(double left, double top) {
    return {left, top, kValuePoints, false};
}

const CardLayout kHorizontal{
    85.0,
    54.0,
    {3.2, 4.0, 14, false},
    {68.8, 1.3, 14.1, 14.1},
    {2.6, 18.5, 24.0, 32.0},
    {label(46.5, 15.4), label(46.5, 20.7), label(46.5, 26.0)},
    {value(47.4, 14.6), value(47.4, 19.8), value(47.4, 25.1)},
    {label(46.4, 31.3), label(46.4, 36.6), label(46.4, 41.9), label(46.4, 47.2)},
    {value(47.4, 30.4), value(47.4, 35.7), value(47.4, 41.0), value(47.4, 46.3)},
    47.4,
    35.3,
    {18.5, 23.8, 29.3, 34.4, 39.7, 45.0, 50.3},
};

const CardLayout kVertical{
    54.0,
    85.0,
    {51.4, 3.5, 12, true},  // the title ends at the right edge of 38.4..51.4
    {2.2, 2.2, 9.0, 9.0},
    {15.0, 12.9, 24.1, 32.0},
    {label(16.8, 47.1), label(16.6, 52.4), label(16.6, 57.7)},
    {value(17.0, 46.2), value(17.0, 51.5), value(17.0, 56.8)},
    {label(16.2, 63.0), label(16.2, 68.3), label(16.2, 73.6), label(16.2, 78.9)},
    {value(17.0, 62.1), value(17.0, 67.3), value(17.0, 72.6), value(17.0, 77.9)},
    17.0,
    35.3,
    {50.2, 55.4, 61.0, 66.0, 71.3, 76.6, 81.9},
};

}  // namespace

const CardLayout& cardLayout(CardStyle style) {
    return style == CardStyle::Horizontal ? kHorizontal : kVertical;
}

CardSheetLayout cardSheetLayout(CardStyle style) {
    const double areaHeight = kSheetHeight - 2 * kSheetMarginTop;
    CardSheetLayout s;
    s.columns = style == CardStyle::Horizontal ? 2 : 3;
    s.columnGap = style == CardStyle::Horizontal ? 10 : 5;
    s.rows = int(std::floor(areaHeight / cardLayout(style).height));
    return s;
}

CardPlace cardPlace(CardStyle style, int index) {
    const CardLayout& card = cardLayout(style);
    const CardSheetLayout sheet = cardSheetLayout(style);
    const int onPage = index % sheet.perPage();
    const int column = onPage / sheet.rows;
    const int row = onPage % sheet.rows;
    return {index / sheet.perPage(), column * (card.width + sheet.columnGap), row * card.height};
}

int cardSheetPages(CardStyle style, int cards) {
    const int perPage = cardSheetLayout(style).perPage();
    return cards <= 0 ? 1 : (cards + perPage - 1) / perPage;
}

}  // namespace tallyport
