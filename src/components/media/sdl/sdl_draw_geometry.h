#pragma once

// Where one DrawImage call lands on the 640 x 480 frame, worked out without
// touching SDL so the rules can be checked on their own.
struct DrawRequest {
  float x = 0, y = 0;              // top-left of the drawn picture
  float sourceX = 0, sourceY = 0;  // source rectangle in texture pixels
  float sourceWidth = 0, sourceHeight = 0;
  float drawnWidth = 0, drawnHeight = 0;  // 0 = the source size
  float pivotX = -1, pivotY = -1;         // (-1, -1) = centre of the drawn picture
  int textureWidth = 0, textureHeight = 0;
};

struct DrawPlacement {
  bool visible = false;
  int sourceX = 0, sourceY = 0, sourceWidth = 0, sourceHeight = 0;  // clipped to the texture
  float destX = 0, destY = 0, destWidth = 0, destHeight = 0;
  // The rotation centre relative to (destX, destY), as SDL wants it.
  float pivotX = 0, pivotY = 0;
};

DrawPlacement PlaceDraw(const DrawRequest& request);

// Whether a placed draw, turned by `angle` degrees about its pivot, leaves
// every pixel of a frame of this size untouched. Conservative: a draw that
// might reach the frame by a pixel counts as on it. The software renderer
// turns a whole sprite before it clips, so skipping these saves real time.
bool MissesFrame(const DrawPlacement& placement, float angle, int frameWidth, int frameHeight);
