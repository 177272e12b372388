// A rectangle of screen pixels, as button types report where they draw.
#pragma once

// Screen pixels from left to right and top to bottom, the right and bottom edges excluded.
struct Area {
    int left;
    int top;
    int right;
    int bottom;
    bool isEmpty() const { return left >= right || top >= bottom; }
};
