#include "preview/fit.h"

#include <cmath>

Box FitBox(Box frame, std::int32_t pictureWidth, std::int32_t pictureHeight) {
    // The order of the operations is part of the rule: it decides how the
    // margin rounds (dividing by r directly would give another pixel).
    const std::int32_t W = frame.right - frame.left;
    const std::int32_t H = frame.bottom - frame.top;
    const double r = static_cast<double>(pictureHeight) / static_cast<double>(pictureWidth);
    const double absW = std::fabs(static_cast<double>(W));
    const double absH = std::fabs(static_cast<double>(H));
    if (static_cast<double>(H) / static_cast<double>(W) >= r) {
        // Full width; an exact tie lands here.
        const auto m = static_cast<std::int32_t>((absH - r * absW) * 0.5);
        return Box{frame.left, frame.top + m, frame.right, frame.bottom - m};
    }
    // Full height, also when the frame's proportion is not a number.
    const double q = 1.0 / r;
    const auto m = static_cast<std::int32_t>((absW - absH * q) * 0.5);
    return Box{frame.left + m, frame.top, frame.right - m, frame.bottom};
}

Box CentreBox(Box frame, std::int32_t textWidth, std::int32_t textHeight) {
    std::int32_t dy = ((frame.bottom - frame.top) - textHeight) / 2;
    std::int32_t dx = ((frame.right - frame.left) - textWidth) / 2;
    // A text larger than the frame starts at its edge instead of before it.
    if (dy < 0) {
        dy = 0;
    }
    if (dx < 0) {
        dx = 0;
    }
    return Box{frame.left + dx, frame.top + dy, frame.right - dx, frame.bottom - dy};
}
