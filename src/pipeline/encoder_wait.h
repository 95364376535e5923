// Waiting for the encoder in slices under an overall limit. Portable: the
// platform wait is passed in.
#pragma once

struct SlicedWait {
    unsigned slices;    // how many waits were made
    bool limitReached;  // the process still ran when the limit was used up
};

// Calls `waitSlice(ms)`, which returns true while the process still runs after
// that wait, again and again until it returns false (the process ended or the
// wait failed) or `limitMs` have been waited; the last slice is cut to what is
// left of the limit.
template <typename WaitSlice>
SlicedWait WaitInSlices(WaitSlice&& waitSlice, unsigned long sliceMs, unsigned long limitMs) {
    if (sliceMs == 0) {
        sliceMs = 1;  // a zero slice would never use up the limit
    }
    SlicedWait result{0, false};
    unsigned long waited = 0;
    while (waited < limitMs) {
        const unsigned long left = limitMs - waited;
        const unsigned long slice = sliceMs < left ? sliceMs : left;
        ++result.slices;
        if (!waitSlice(slice)) {
            return result;
        }
        waited += slice;
    }
    result.limitReached = true;
    return result;
}
