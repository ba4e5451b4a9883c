#include "sdl_draw_geometry.h"

#include <algorithm>
#include <cmath>

DrawPlacement PlaceDraw(const DrawRequest& r) {
  DrawPlacement p;
  // The game always asks for whole texture pixels; snapping here keeps the
  // destination arithmetic below in step with what SDL will sample.
  const float sx = std::round(r.sourceX);
  const float sy = std::round(r.sourceY);
  const float sw = std::round(r.sourceWidth);
  const float sh = std::round(r.sourceHeight);
  if (sw <= 0 || sh <= 0 || r.drawnWidth < 0 || r.drawnHeight < 0) return p;

  const float dw = r.drawnWidth == 0 ? sw : r.drawnWidth;
  const float dh = r.drawnHeight == 0 ? sh : r.drawnHeight;
  const float scaleX = dw / sw;
  const float scaleY = dh / sh;

  // The pivot belongs to the whole picture, so it is fixed before clipping:
  // a clipped draw must still turn about the same point of the screen.
  const bool centred = r.pivotX == -1 && r.pivotY == -1;
  const float pivotScreenX = r.x + (centred ? dw / 2 : r.pivotX * scaleX);
  const float pivotScreenY = r.y + (centred ? dh / 2 : r.pivotY * scaleY);

  // A source reaching past the texture shows only what is there, scaled as
  // the whole would have been.
  const float left = std::max(sx, 0.0f);
  const float top = std::max(sy, 0.0f);
  const float right = std::min(sx + sw, static_cast<float>(r.textureWidth));
  const float bottom = std::min(sy + sh, static_cast<float>(r.textureHeight));
  if (right <= left || bottom <= top) return p;

  p.visible = true;
  p.sourceX = static_cast<int>(left);
  p.sourceY = static_cast<int>(top);
  p.sourceWidth = static_cast<int>(right - left);
  p.sourceHeight = static_cast<int>(bottom - top);
  p.destX = r.x + (left - sx) * scaleX;
  p.destY = r.y + (top - sy) * scaleY;
  p.destWidth = (right - left) * scaleX;
  p.destHeight = (bottom - top) * scaleY;
  p.pivotX = pivotScreenX - p.destX;
  p.pivotY = pivotScreenY - p.destY;
  return p;
}

bool MissesFrame(const DrawPlacement& p, float angle, int frameWidth, int frameHeight) {
  if (!p.visible) return true;
  float left = p.destX, top = p.destY;
  float right = p.destX + p.destWidth, bottom = p.destY + p.destHeight;
  if (angle != 0) {
    // The bounding box of the turned rectangle: its corners about the pivot.
    const double radians = static_cast<double>(angle) * 3.14159265358979323846 / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    const double cx = p.destX + p.pivotX, cy = p.destY + p.pivotY;
    const double xs[2] = {p.destX - cx, p.destX + p.destWidth - cx};
    const double ys[2] = {p.destY - cy, p.destY + p.destHeight - cy};
    double minX = 1e30, maxX = -1e30, minY = 1e30, maxY = -1e30;
    for (double x : xs) {
      for (double y : ys) {
        const double rx = cx + x * c - y * s;
        const double ry = cy + x * s + y * c;
        minX = std::min(minX, rx);
        maxX = std::max(maxX, rx);
        minY = std::min(minY, ry);
        maxY = std::max(maxY, ry);
      }
    }
    left = static_cast<float>(minX);
    right = static_cast<float>(maxX);
    top = static_cast<float>(minY);
    bottom = static_cast<float>(maxY);
  }
  // Two pixels of slack cover the renderers' own rounding of edges.
  constexpr float kSlack = 2;
  if (!(right > -kSlack && bottom > -kSlack)) return true;  // NaN counts as a miss too
  if (!(left < frameWidth + kSlack && top < frameHeight + kSlack)) return true;
  return false;
}
