#pragma once

// Where the frame goes in a window of the given size (in the window's own
// pixels, HiDPI included): as large as fits with its proportions kept,
// centred, the rest left as bars. With `wholeNumbers` the scale is the
// largest whole number that fits, unless not even 1 fits (a window smaller
// than the frame still shows all of it, shrunk).
struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
};

ScreenRect Letterbox(int outputWidth, int outputHeight, int frameWidth, int frameHeight,
                     bool wholeNumbers);
