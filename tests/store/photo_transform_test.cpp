#include "store/photo_transform.h"
#include "photo_test_pictures.h"
#include "support/scripted_operator.h"

#include <gtest/gtest.h>

namespace tallyport {
namespace {

using test::patterned;
using test::Rgb;
using test::rgbAt;
using test::setRgb;

// Grey pictures (blue the given value, green 0, red 255) keep the expected values short and
// still show a channel that leaks into another: green must stay 0 and red 255.
Picture greys(int width, int height, std::initializer_list<int> values) {
    Picture picture(width, height);
    int i = 0;
    for (int v : values) setRgb(picture, i % width, i / width, {255, 0, v}), ++i;
    return picture;
}

void expectGreys(const Picture& picture, int width, int height, std::initializer_list<int> values) {
    ASSERT_EQ(picture.width(), width);
    ASSERT_EQ(picture.height(), height);
    int i = 0;
    for (int v : values) {
        EXPECT_EQ(rgbAt(picture, i % width, i / width), (Rgb{255, 0, v})) << "pixel " << i;
        ++i;
    }
}

TEST(PhotoMulDiv, RoundsHalvesAwayFromZeroIn64Bits) {
    struct Case {
        std::int64_t a, b, c, expected;
    };
    const Case cases[] = {
        {1, 1, 2, 1},         {3, 1, 2, 2},   {-1, 1, 2, -1},
        {5, 1, 4, 1},         {7, 1, 4, 2},   {1, 65536, 3, 21845},
        {2, 65536, 3, 43691}, {1, -7, -2, 4}, {32766, 65536, 1, 2147352576},  // beyond 32 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

// Worked through the weights by hand, one pixel at a time:
// 3 x 1 to 4 x 1: xstep = MulDiv(2, 65536, 4) = 32768; the only row has fy = 0, so wy0 = 65536
// and wy1 = 1. At x = 1 (sx = 32768): wTR = 32768, wTL = 32768, wBR = MulDiv(32768, 1, 65536)
// = 1 (a half rounds up), wBL = 0: (32768 * 0 + 32768 * 100 + 1 * 100) >> 16 = 50. The last
// column (200) is never reached: x = 3 lands half-way between 100 and 200.
TEST(PhotoResample, MatchesHandComputedWeights) {
    Picture row(4, 1);
    Resample(greys(3, 1, {0, 100, 200}), row);
    expectGreys(row, 4, 1, {0, 50, 100, 150});

    // 2 x 2 to 3 x 3: xstep = ystep = MulDiv(1, 65536, 3) = 21845. Centre pixel: fx = fy = 21845,
    // wy0 = 43691, wy1 = 21846, wTR = 14563, wTL = 29128, wBR = 7282, wBL = 14564:
    // (29128 * 0 + 14563 * 60 + 14564 * 120 + 7282 * 240) >> 16 = 4369140 >> 16 = 66.
    Picture square(3, 3);
    Resample(greys(2, 2, {0, 60, 120, 240}), square);
    expectGreys(square, 3, 3, {0, 20, 40, 40, 66, 93, 80, 113, 146});
}

TEST(PhotoResample, SameSizeCopiesUnchanged) {
    const Picture source = patterned(31, 17);
    Picture destination(31, 17);
    Resample(source, destination);
    EXPECT_EQ(destination, source);
}

TEST(PhotoResample, TwoByTwoToOneGivesTopLeft) {
    Picture one(1, 1);
    Resample(greys(2, 2, {10, 90, 170, 250}), one);
    expectGreys(one, 1, 1, {10});
}

TEST(PhotoResample, UniformStaysUniformAtAnySize) {
    const std::array<std::array<int, 4>, 5> sizes{
        {{1, 1, 7, 5}, {10, 10, 3, 3}, {5, 7, 240, 320}, {320, 240, 240, 320}, {2, 3, 1, 9}}};
    for (const Rgb colour : {Rgb{255, 255, 255}, Rgb{7, 128, 255}}) {
        for (const auto& s : sizes) {
            Picture source(s[0], s[1], colour[2], colour[1], colour[0]);
            Picture destination(s[2], s[3]);
            Resample(source, destination);
            EXPECT_EQ(destination, Picture(s[2], s[3], colour[2], colour[1], colour[0]))
                << s[0] << "x" << s[1] << " to " << s[2] << "x" << s[3];
        }
    }
}

TEST(PhotoResample, OnePixelWideUpscaleStaysInItsColumn) {
    // Each destination row takes the source column only: a read past it would pick up a
    // pixel of the next row.
    Picture tall(5, 4);
    Resample(greys(1, 2, {0, 200}), tall);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(rgbAt(tall, x, 0), (Rgb{255, 0, 0}));
        // ystep = MulDiv(1, 65536, 4) = 16384: fy = 16384 gives (16385 * 200) >> 16 = 50.
        EXPECT_EQ(rgbAt(tall, x, 1), (Rgb{255, 0, 50}));
        EXPECT_EQ(rgbAt(tall, x, 3), (Rgb{255, 0, 150}));
    }
    Picture big(6, 6);
    Resample(greys(1, 1, {77}), big);
    EXPECT_EQ(big, Picture(6, 6, 77, 0, 255));
}

TEST(PhotoResample, EmptyPicturesChangeNothing) {
    Picture empty;
    Resample(patterned(4, 4), empty);
    EXPECT_TRUE(empty.isEmpty());
    Picture kept = patterned(3, 3);
    Resample(Picture(), kept);
    EXPECT_EQ(kept, patterned(3, 3));
}

TEST(PhotoResize, SetsTheRequestedSizeAndRefusesAbsurdOnes) {
    Picture picture(100, 100, 255, 255, 255);
    ASSERT_TRUE(ResizePicture(picture, 240, 320));
    EXPECT_EQ(picture, Picture(240, 320, 255, 255, 255));

    const Picture before = picture;
    for (auto [w, h] : {std::pair{-1, 10}, std::pair{100000, 10}, std::pair{20000, 20000}}) {
        const auto refused = ResizePicture(picture, w, h);
        ASSERT_FALSE(refused) << w << "x" << h;
        EXPECT_FALSE(refused.error().text.isEmpty());
        EXPECT_EQ(picture, before);
    }
}

TEST(PhotoRotate, QuarterTurnAnticlockwiseWithProgress) {
    test::ScriptedOperator op;
    const Picture source = patterned(320, 240);
    Picture picture = source;
    RotatePicture(op, picture);
    ASSERT_EQ(picture.width(), 240);
    ASSERT_EQ(picture.height(), 320);
    EXPECT_EQ(op.shown(), QStringList{QStringLiteral("progress: Rotating /239")});
    EXPECT_EQ(op.progressSteps(), 240);
    EXPECT_EQ(op.openProgressWindows(), 0);
    // The source's top-right corner lands at the top-left, its top edge becomes the left edge.
    EXPECT_EQ(rgbAt(picture, 0, 0), rgbAt(source, 319, 0));
    EXPECT_EQ(rgbAt(picture, 0, 319), rgbAt(source, 0, 0));
    EXPECT_EQ(rgbAt(picture, 239, 319), rgbAt(source, 0, 239));
    EXPECT_EQ(rgbAt(picture, 17, 319 - 45), rgbAt(source, 45, 17));

    for (int turn = 1; turn < 4; ++turn) RotatePicture(op, picture);
    EXPECT_EQ(picture, source);
}

TEST(PhotoRotate, OddSizesMapEveryPixel) {
    test::ScriptedOperator op;
    for (auto [w, h] : {std::pair{37, 21}, std::pair{1, 5}, std::pair{5, 1}, std::pair{17, 33}}) {
        const Picture source = patterned(w, h);
        Picture picture = source;
        RotatePicture(op, picture);
        ASSERT_EQ(picture.width(), h);
        ASSERT_EQ(picture.height(), w);
        for (int ys = 0; ys < h; ++ys)
            for (int xs = 0; xs < w; ++xs)
                ASSERT_EQ(rgbAt(picture, ys, w - 1 - xs), rgbAt(source, xs, ys))
                    << w << "x" << h << " at " << xs << "," << ys;
    }
}

TEST(PhotoRotate, EmptyPictureShowsNoWindow) {
    test::ScriptedOperator op;
    Picture empty;
    RotatePicture(op, empty);
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(op.shown().isEmpty());
}

TEST(PhotoClear, BlankIsHundredSquareWhite) {
    Picture picture = patterned(5, 5);
    ClearPhoto(picture);
    EXPECT_EQ(picture, Picture(100, 100, 255, 255, 255));
}

}  // namespace
}  // namespace tallyport
