// The frames of the installer's activity indicator, as shapes that each
// platform paints with its own drawing calls.
#pragma once

#include <vector>

namespace zel {

struct TIndicatorShape {
  enum TKind { Dot, Sector };
  TKind Kind = Dot;
  // Centre; Dot: Radius; Sector: the ring between InnerRadius and Radius from
  // StartAngle to EndAngle (radians, clockwise from three o'clock).
  double X = 0, Y = 0, Radius = 0, InnerRadius = 0, StartAngle = 0, EndAngle = 0;
  // 0 (background) to 1 (indicator colour).
  double Opacity = 1;
};

// 0 momentum dots, 1 rotating sector, 2 sector ring (other values: 0).
// Coordinates within a Size x Size square; Seconds since the start.
std::vector<TIndicatorShape> ActivityIndicatorFrame(int Type, double Seconds, double Size);

// Milliseconds between frames.
constexpr int kActivityIndicatorFrameMs = 40;

}  // namespace zel
