#pragma once
#include <cstdint>
#include <vector>

// A turned (and possibly stretched) picture worked out the way SDL's
// software renderer does it, bit for bit, but without the three surfaces it
// allocates, fills and frees for every such draw: the particles of a crash
// and the swaying menu background were spending most of their frame there.
//
// SDL first stretches the source cut-out to the drawn size (nearest pixel,
// 16.16 steps starting half a step in), then turns that about the pivot into
// a box just large enough to hold it (integer 16.16 sine and cosine, each
// output pixel sampled at its centre, pixels that fall outside left fully
// transparent), then blends the box onto the frame. The first two steps are
// fused here: the turn samples the stretched picture through two index
// tables instead of a stretched copy.

struct TurnBox {
  // Where the turned box sits relative to the drawn rectangle's top-left.
  int x = 0, y = 0, width = 0, height = 0;
  // SDL's fixed-point sine (already negated: its turns run clockwise) and
  // cosine.
  int sine = 0, cosine = 0;
};

// The box for a `width` x `height` picture turned by `angle` degrees about
// (`centerX`, `centerY`), relative to its top-left. Only for angles that
// are not whole multiples of 90, which SDL handles by other means.
TurnBox PlaceTurn(int width, int height, double angle, float centerX, float centerY);

// Whether SDL would take its general turning path for this angle: not a
// multiple of 90 degrees (a multiple of 360 is no turn at all) and finite.
bool IsGeneralTurn(double angle);

// Fills `out` (box.width x box.height pixels, `outPitch` pixels per row)
// with the turned picture. The picture is the `sourceWidth` x `sourceHeight`
// cut-out at `source` (`sourcePitch` pixels per row), stretched to
// `drawnWidth` x `drawnHeight`.
void TurnPicture(const uint32_t* source, int sourcePitch, int sourceWidth, int sourceHeight,
                 int drawnWidth, int drawnHeight, const TurnBox& box, float centerX, float centerY,
                 uint32_t* out, int outPitch);

// SDL's nearest stretch as index tables: entry i is the source pixel that
// drawn pixel i shows, along one axis.
std::vector<int> StretchIndex(int sourceLength, int drawnLength);
