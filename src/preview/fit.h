// The letterbox fit of the picture and the centring of the error text. Portable:
// plain integers in, a rectangle out.
#pragma once
#include <cstdint>

struct Box {
    std::int32_t left, top, right, bottom;  // right and bottom exclusive
};

inline bool operator==(const Box& a, const Box& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The picture (width x height, both >= 1) stretched over the frame's full width
// or full height, whichever keeps its proportions, centred with equal margins.
Box FitBox(Box frame, std::int32_t pictureWidth, std::int32_t pictureHeight);

// The rectangle to draw a measured text box in so that it stands centred in the
// frame; a text larger than the frame starts at the frame's edge.
Box CentreBox(Box frame, std::int32_t textWidth, std::int32_t textHeight);
