#include "core/ActivityIndicator.h"

#include <cmath>
#include <numbers>

namespace zel {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTurn = 2 * kPi;
constexpr double kTop = -kPi / 2;

double Fraction(double x) {
  return x - std::floor(x);
}

// Slow start, fast middle, slow end: the dots gather and spread.
double EaseInOut(double x) {
  return x < 0.5 ? 4 * x * x * x : 1 - std::pow(-2 * x + 2, 3) / 2;
}

std::vector<TIndicatorShape> MomentumDots(double t, double size) {
  constexpr int kDots = 5;
  constexpr double kPeriod = 1.8, kLag = 0.09;
  std::vector<TIndicatorShape> shapes;
  const double c = size / 2, path = size * 0.40;
  for (int i = 0; i < kDots; ++i) {
    const double a = kTop + kTurn * EaseInOut(Fraction((t - i * kLag) / kPeriod));
    TIndicatorShape s;
    s.X = c + path * std::cos(a);
    s.Y = c + path * std::sin(a);
    s.Radius = size * 0.055;
    shapes.push_back(s);
  }
  return shapes;
}

std::vector<TIndicatorShape> RotatingSector(double t, double size) {
  constexpr int kSectors = 8;
  constexpr double kStepsPerSecond = 10;
  const double step = kTurn / kSectors, gap = step * 0.18;
  const int head = static_cast<int>(std::floor(t * kStepsPerSecond)) % kSectors;
  std::vector<TIndicatorShape> shapes;
  for (int i = 0; i < kSectors; ++i) {
    const int behind = (head - i + kSectors) % kSectors;
    TIndicatorShape s;
    s.Kind = TIndicatorShape::Sector;
    s.X = s.Y = size / 2;
    s.Radius = size * 0.46;
    s.InnerRadius = size * 0.22;
    s.StartAngle = kTop + i * step + gap / 2;
    s.EndAngle = s.StartAngle + step - gap;
    s.Opacity = behind < 4 ? 1.0 - behind * 0.2 : 0.2;
    shapes.push_back(s);
  }
  return shapes;
}

std::vector<TIndicatorShape> SectorRing(double t, double size) {
  constexpr double kTurnsPerSecond = 0.8;
  TIndicatorShape ring;
  ring.Kind = TIndicatorShape::Sector;
  ring.X = ring.Y = size / 2;
  ring.Radius = size * 0.46;
  ring.InnerRadius = size * 0.34;
  ring.StartAngle = 0;
  ring.EndAngle = kTurn;
  ring.Opacity = 0.25;
  TIndicatorShape arc = ring;
  arc.StartAngle = kTop + kTurn * Fraction(t * kTurnsPerSecond);
  // The arc breathes between a quarter and three quarters of the ring.
  arc.EndAngle = arc.StartAngle + kPi * (1.0 + 0.5 * std::sin(t * kPi));
  arc.Opacity = 1;
  return {ring, arc};
}

}  // namespace

std::vector<TIndicatorShape> ActivityIndicatorFrame(int Type, double Seconds, double Size) {
  switch (Type) {
    case 1:
      return RotatingSector(Seconds, Size);
    case 2:
      return SectorRing(Seconds, Size);
    default:
      return MomentumDots(Seconds, Size);
  }
}

}  // namespace zel
