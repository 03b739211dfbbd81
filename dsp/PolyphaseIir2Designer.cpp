// Coefficient design of the polyphase half-band IIR filters inside the 2x resampling stages.
#include "dsp/PolyphaseIir2Designer.h"

#include <cassert>
#include <cmath>

#include "dsp/MathConstants.h"

namespace VDSP {

namespace {

// Terms of the theta-function series below this size no longer change a double.
constexpr double kSeriesEnd = 1e-100;

double IntegerPower(double base, int exponent) {
  double result = 1.0;
  double square = base;
  while (exponent > 0) {
    if ((exponent & 1) != 0) result *= square;
    square *= square;
    exponent >>= 1;
  }
  return result;
}

// Numerator series of the elliptic pole positions (a Jacobi theta function in the nome q).
double PoleNumerator(double q, int order, int c) {
  double sum = 0.0;
  double term;
  int j = 0;
  do {
    const double sign = (j % 2 == 0) ? 1.0 : -1.0;
    term = sign * IntegerPower(q, j * (j + 1)) *
           std::sin(static_cast<double>((2 * j + 1) * c) * kPiDouble / order);
    sum += term;
    ++j;
  } while (std::fabs(term) > kSeriesEnd);
  return std::pow(q, 0.25) * sum;
}

double PoleDenominator(double q, int order, int c) {
  double sum = 0.0;
  double term;
  int j = 1;
  do {
    const double sign = (j % 2 == 0) ? 1.0 : -1.0;
    term = sign * IntegerPower(q, j * j) *
           std::cos(static_cast<double>(2 * j * c) * kPiDouble / order);
    sum += term;
    ++j;
  } while (std::fabs(term) > kSeriesEnd);
  return 0.5 + sum;
}

}  // namespace

bool PolyphaseIir2Designer::ComputeCoefficients(double* coefficients, int count,
                                                double transitionBandwidth) {
  if (coefficients == nullptr || count < 1) return false;
  for (int i = 0; i < count; ++i) coefficients[i] = 0.0;
  if (!(transitionBandwidth > 0.0 && transitionBandwidth < 0.5)) return false;

  // Selectivity of the elliptic prototype, then its nome through a truncated series that is exact
  // to double precision for every k in (0, 1).
  const double tangent = std::tan((1.0 - 2.0 * transitionBandwidth) * kPiDouble / 4.0);
  const double k = tangent * tangent;
  assert(k > 0.0 && k < 1.0);
  const double s = std::pow(1.0 - k * k, 0.25);
  const double e = 0.5 * (1.0 - s) / (1.0 + s);
  const double e4 = IntegerPower(e, 4);
  const double q = e * (1.0 + e4 * (2.0 + e4 * (15.0 + 150.0 * e4)));
  assert(q > 0.0);
  if (!(k > 0.0 && k < 1.0 && q > 0.0)) return false;

  const int order = 2 * count + 1;
  for (int i = 0; i < count; ++i) {
    const int c = i + 1;
    const double w = PoleNumerator(q, order, c) / PoleDenominator(q, order, c);
    const double w2 = w * w;
    const double x = std::sqrt((1.0 - w2 * k) * (1.0 - w2 / k)) / (1.0 + w2);
    coefficients[i] = (1.0 - x) / (1.0 + x);
  }
  return true;
}

}  // namespace VDSP
