// Builds the detector amplifier's transfer tables from a circuit model of the amplifier, warped
// so that the curve passes exactly through the operating points measured on the amplifier.
//
// The model, for an input y <= 0 (the curve is mirrored for y > 0), in volts:
// 1. The ideal amplifier: v = rail + gain * (y - railCrossing), a straight line of gain 17
//    ("Soft", ratio 4) or 50 ("Hard", ratio 10) that meets the -16.017091 V rail at railCrossing.
// 2. The soft bend at the top is a clamp diode fed through a series resistance Rs: the current J/Rs
//    solves 0.05 * ln(1 + J / k) + J = v - clampVolts (k = Rs * Is, 0.05 V being twice the 25 mV
//    thermal voltage, the diode law of the shaper tables) and the output is w = v - J. It bends
//    sharply at clampVolts and then rises only logarithmically, to the small positive value at 0 V.
// 3. The output stage approaches the negative rail along a two-scale knee: a sharp one of width
//    kneeSharp and a slow residual of weight tailWeight and width kneeWide,
//    out = rail + (1 - tailWeight) * kneeSharp * softplus((w - rail) / kneeSharp)
//               + tailWeight * kneeWide * softplus((w - rail) / kneeWide).
//    The slow residual also makes the gain a little lower near the rail than near 0 V, as measured.
// The model constants were fitted by least squares to the measured points below. A monotone warp
// of the input axis, y -> y + d(y), then makes the curve pass through each measured point exactly:
// d is found at every point by bisection and interpolated between the points by a monotone cubic
// (Fritsch-Carlson), held constant beyond the outermost point. |d| stays below 0.01 V and its
// slope below 0.01, so the warped curve keeps the model's shape and stays monotone.
#include "dsp/CompressorRatioTables.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace VDSP {
namespace {

// Twice the thermal voltage, per e-fold of diode current.
constexpr double kDiodeVolts = 0.05;

struct AmplifierModel {
  double gain;          // volts per input volt in the linear section
  double railCrossing;  // input volts where the ideal line meets the negative rail
  double clampVolts;    // clamp diode's knee
  double clampScale;    // Rs * Is of the clamp, volts
  double kneeSharp;     // volts
  double tailWeight;
  double kneeWide;  // volts
};

struct MeasuredPoint {
  double input;
  double output;
};

struct RatioDefinition {
  AmplifierModel model;
  std::vector<MeasuredPoint> points;
  float slope;  // continuation below -6 V
  float offset;
};

double Softplus(double x) {
  return std::max(x, 0.0) + std::log1p(std::exp(-std::fabs(x)));
}

// Clamp-diode current times Rs for a drive of `excess` volts above the clamp voltage.
double ClampDrop(double excess, double scale) {
  if (excess <= 0.0) return 0.0;
  double j = std::min(excess, 1e-3);
  for (int step = 0; step < 100; ++step) {
    const double f = kDiodeVolts * std::log1p(j / scale) + j - excess;
    const double slope = kDiodeVolts / (scale + j) + 1.0;
    const double next = std::max(j - f / slope, 0.0);
    const bool done = std::fabs(next - j) <= 1e-15 * std::max(1.0, j);
    j = next;
    if (done) break;
  }
  return j;
}

double ModelOutput(const AmplifierModel& m, double y) {
  const double rail = kRatioTableRailVolts;
  const double ideal = rail + m.gain * (y - m.railCrossing);
  const double clamped = ideal - ClampDrop(ideal - m.clampVolts, m.clampScale);
  const double d = clamped - rail;
  return rail + (1.0 - m.tailWeight) * m.kneeSharp * Softplus(d / m.kneeSharp) +
         m.tailWeight * m.kneeWide * Softplus(d / m.kneeWide);
}

// Input shift that makes the model pass through one measured point (the model is increasing).
double WarpAt(const AmplifierModel& m, const MeasuredPoint& p) {
  double lo = p.input - 0.05;
  double hi = p.input + 0.05;
  for (int step = 0; step < 80; ++step) {
    const double mid = 0.5 * (lo + hi);
    (ModelOutput(m, mid) < p.output ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi) - p.input;
}

// Monotone cubic Hermite interpolation (Fritsch-Carlson) through (x[i], v[i]), x increasing;
// constant outside the knots.
class MonotoneCubic {
 public:
  MonotoneCubic(std::vector<double> x, std::vector<double> v)
      : x_(std::move(x)), v_(std::move(v)), slope_(x_.size(), 0.0) {
    const size_t n = x_.size();
    if (n < 2) return;
    std::vector<double> secant(n - 1);
    for (size_t i = 0; i + 1 < n; ++i) secant[i] = (v_[i + 1] - v_[i]) / (x_[i + 1] - x_[i]);
    slope_[0] = secant[0];
    slope_[n - 1] = secant[n - 2];
    for (size_t i = 1; i + 1 < n; ++i) {
      if (secant[i - 1] * secant[i] <= 0.0) continue;  // local extremum: flat
      const double h0 = x_[i] - x_[i - 1];
      const double h1 = x_[i + 1] - x_[i];
      const double w0 = 2.0 * h1 + h0;
      const double w1 = h1 + 2.0 * h0;
      slope_[i] = (w0 + w1) / (w0 / secant[i - 1] + w1 / secant[i]);
    }
  }

  double operator()(double x) const {
    if (x_.empty()) return 0.0;
    if (x <= x_.front()) return v_.front();
    if (x >= x_.back()) return v_.back();
    const size_t i =
        static_cast<size_t>(std::upper_bound(x_.begin(), x_.end(), x) - x_.begin()) - 1;
    const double h = x_[i + 1] - x_[i];
    const double t = (x - x_[i]) / h;
    const double t2 = t * t;
    const double t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * v_[i] + (t3 - 2 * t2 + t) * h * slope_[i] +
           (-2 * t3 + 3 * t2) * v_[i + 1] + (t3 - t2) * h * slope_[i + 1];
  }

 private:
  std::vector<double> x_;
  std::vector<double> v_;
  std::vector<double> slope_;
};

// Measured points: input volts and output volts, as read off the amplifier. The slope and offset
// continue each curve below -6 V.
RatioDefinition Definition(int32_t ratio) {
  if (ratio == 10) {
    return {{50.74384, -0.5041023, -0.5857703, 2.134176e-7, 0.005607768, 0.03161615, 11.51716},
            {{-1.0, -15.9783},
             {-0.5, -15.5606},
             {-0.4, -10.5536},
             {-0.3, -5.5386},
             {-0.2, -0.5001},
             {-0.1, 0.3337},
             {0.0, 0.3727}},
            1.9007018e-10f,
            -16.017092f};
  }
  return {{17.08468, -1.043416, 0.06551661, 0.01112266, 0.02798844, 0.02420523, 8.206453},
          {{-3.0, -16.0138},
           {-1.0, -15.1465},
           {-0.5, -6.6764},
           {-0.4, -4.9790},
           {-0.3, -3.2790},
           {-0.2, -1.5750},
           {-0.1, 0.1189},
           {0.0, 0.3365}},
          2.2986058e-10f,
          -16.017092f};
}

}  // namespace

CompressorRatioTable BuildRatioTable(int32_t ratio) {
  const RatioDefinition def = Definition(ratio >= 10 ? 10 : 4);
  std::vector<double> knots;
  std::vector<double> warps;
  for (const MeasuredPoint& p : def.points) {
    knots.push_back(p.input);
    warps.push_back(WarpAt(def.model, p));
  }
  const MonotoneCubic warp(knots, warps);

  CompressorRatioTable table;
  constexpr int32_t kCentre = CompressorRatioTable::kCentre;
  for (int32_t i = 0; i <= kCentre; ++i) {
    const double y = static_cast<double>(i - kCentre) / CompressorRatioTable::kStepsPerVolt;
    const float value = static_cast<float>(ModelOutput(def.model, y + warp(y)));
    table.entries[static_cast<size_t>(i)] = value;
    table.entries[static_cast<size_t>(2 * kCentre - i)] = value;
  }
  table.slope = def.slope;
  table.offset = def.offset;
  return table;
}

const CompressorRatioTable& RatioTableFor(int32_t ratio) {
  static const CompressorRatioTable kRatio4 = BuildRatioTable(4);
  static const CompressorRatioTable kRatio10 = BuildRatioTable(10);
  return ratio >= 10 ? kRatio10 : kRatio4;
}

}  // namespace VDSP
