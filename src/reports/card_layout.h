#pragma once

#include <array>

// Where everything sits on a printed identity card and where the cards sit on an A4 sheet, in
// millimetres from the top left corner; text sizes in points.
namespace tallyport {

enum class CardStyle { Horizontal, Vertical };

inline constexpr int kCardRemarkLines = 4;

struct MmRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// A line of text: the box's top edge, and its left edge (left-aligned) or right edge
// (right-aligned).
struct CardText {
    double x = 0;
    double top = 0;
    double points = 0;
    bool rightAligned = false;
};

struct CardLayout {
    double width = 0;
    double height = 0;
    CardText title;
    MmRect logo;
    MmRect photo;
    // Card number, name, group.
    std::array<CardText, 3> fieldLabels;
    std::array<CardText, 3> fieldValues;
    std::array<CardText, kCardRemarkLines> remarkLabels;
    std::array<CardText, kCardRemarkLines> remarkValues;
    double ruleLeft = 0;
    double ruleLength = 0;
    std::array<double, 7> ruleTops{};
};

const CardLayout& cardLayout(CardStyle style);

// The sheet: A4 portrait with margins of 10 mm top and bottom and 15 mm left and right;
// horizontal cards in two columns 10 mm apart, vertical ones in three columns 5 mm apart.
inline constexpr double kSheetWidth = 210;
inline constexpr double kSheetHeight = 297;
inline constexpr double kSheetMarginTop = 10;
inline constexpr double kSheetMarginSide = 15;

struct CardSheetLayout {
    int columns = 0;
    double columnGap = 0;
    int rows = 0;  // cards down one column of a page
    int perPage() const { return columns * rows; }
};
CardSheetLayout cardSheetLayout(CardStyle style);

// Card `index` of the selection (from 0): its page and its top left corner on that page, from
// the top left corner of the area inside the margins. Cards flow down the first column, then
// down the next.
struct CardPlace {
    int page = 0;
    double left = 0;
    double top = 0;
};
CardPlace cardPlace(CardStyle style, int index);
// At least one page: an empty selection prints an empty sheet.
int cardSheetPages(CardStyle style, int cards);

}  // namespace tallyport
