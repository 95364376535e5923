// The letterbox fit of the preview picture and the centring of the error text.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>

#include "preview/fit.h"

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << '(' << box.left << ", " << box.top << ", " << box.right << ", " << box.bottom << ')';
}

namespace {

TEST(FitBox, KnownFrames) {
    struct Case {
        const char* name;
        Box frame;
        std::int32_t width, height;
        Box fitted;
    };
    const Case cases[] = {
        {"square in 162x163: margin trunc(0.5)", {530, 24, 692, 187}, 1, 1, {530, 24, 692, 187}},
        {"square in 162x100: full height", {530, 24, 692, 124}, 1, 1, {561, 24, 661, 124}},
        {"square in 101x50: margin trunc(25.5)", {0, 0, 101, 50}, 1, 1, {25, 0, 76, 50}},
        {"200x100 in 162x163: full width", {530, 24, 692, 187}, 200, 100, {530, 65, 692, 146}},
        {"124x163: H times 1/r, not H / r", {0, 0, 162, 163}, 124, 163, {18, 0, 144, 163}},
        {"exact tie takes full width", {0, 0, 200, 100}, 400, 200, {0, 0, 200, 100}},
        {"small square enlarged", {530, 24, 692, 124}, 50, 50, {561, 24, 661, 124}},
        {"large square reduced", {530, 24, 692, 124}, 500, 500, {561, 24, 661, 124}},
        {"empty frame: not a number, full height", {10, 20, 10, 20}, 3, 7, {10, 20, 10, 20}},
        {"zero-width frame: full width", {10, 20, 10, 30}, 1, 1, {10, 25, 10, 25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FitBox(c.frame, c.width, c.height), c.fitted);
    }
}

TEST(FitBox, RandomFramesKeepProportionsWithinTwoPixels) {
    std::mt19937 random(4242);
    std::uniform_int_distribution<std::int32_t> origin(-2000, 2000);
    std::uniform_int_distribution<std::int32_t> frameSide(1, 2000);
    std::uniform_int_distribution<std::int32_t> pictureSide(1, 3000);
    std::uniform_int_distribution<std::int32_t> scale(2, 9);
    for (int n = 0; n < 20000; ++n) {
        const std::int32_t L = origin(random), T = origin(random);
        const std::int64_t W = frameSide(random), H = frameSide(random);
        const std::int32_t w = pictureSide(random), h = pictureSide(random);
        const Box frame{L, T, L + static_cast<std::int32_t>(W), T + static_cast<std::int32_t>(H)};
        const Box fit = FitBox(frame, w, h);
        SCOPED_TRACE(testing::Message() << "case " << n << ": frame " << frame << ", picture "
                                        << w << 'x' << h << ", fitted " << fit);

        ASSERT_TRUE(fit.left >= frame.left && fit.right <= frame.right && fit.left <= fit.right);
        ASSERT_TRUE(fit.top >= frame.top && fit.bottom <= frame.bottom && fit.top <= fit.bottom);

        // Exact comparison of H/W with h/w by cross-multiplication.
        if (H * w >= h * W) {
            ASSERT_EQ(fit.left, frame.left);
            ASSERT_EQ(fit.right, frame.right);
            ASSERT_EQ(fit.top - frame.top, frame.bottom - fit.bottom);
            // Exact height is W*h/w: fitted*w lies in [W*h, W*h + 2w].
            const std::int64_t fitted = fit.bottom - fit.top;
            ASSERT_GE(fitted * w, W * h);
            ASSERT_LE(fitted * w, W * h + 2 * static_cast<std::int64_t>(w));
        } else {
            ASSERT_EQ(fit.top, frame.top);
            ASSERT_EQ(fit.bottom, frame.bottom);
            ASSERT_EQ(fit.left - frame.left, frame.right - fit.right);
            const std::int64_t fitted = fit.right - fit.left;
            ASSERT_GE(fitted * h, H * w);
            ASSERT_LE(fitted * h, H * w + 2 * static_cast<std::int64_t>(h));
        }

        // Only the proportions count, not the size in pixels.
        const std::int32_t k = scale(random);
        ASSERT_EQ(FitBox(frame, w * k, h * k), fit);
    }
}

TEST(CentreBox, CentresTheMeasuredTextAndClampsAtTheFrame) {
    struct Case {
        const char* name;
        std::int32_t width, height;
        Box drawn;
    };
    const Box frame{530, 24, 692, 187};  // 162 x 163
    const Case cases[] = {
        {"150x26", 150, 26, {536, 92, 686, 119}},
        {"149x26: odd difference truncated", 149, 26, {536, 92, 686, 119}},
        {"170x39: wider than the frame", 170, 39, {530, 86, 692, 125}},
        {"taller than the frame", 100, 200, {561, 24, 661, 187}},
        {"larger both ways", 300, 300, {530, 24, 692, 187}},
        {"one pixel too tall", 162, 164, {530, 24, 692, 187}},
        {"same size as the frame", 162, 163, {530, 24, 692, 187}},
        {"nothing measured", 0, 0, {611, 105, 611, 106}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CentreBox(frame, c.width, c.height), c.drawn);
    }
}

}  // namespace
