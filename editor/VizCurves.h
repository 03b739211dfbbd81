// The curves the nine visualisation panels plot, computed from a snapshot of the live (modulated)
// parameter values with the engine's own functions: the filter types' magnitude responses, a
// private drive stage, the LFO's preview routine and the envelope's decay law. Pure functions on
// plain arrays, no drawing, so each plot can be checked against the engine it shows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "support/gui/Geometry.h"

namespace VizCurves {

inline constexpr int32_t kNumLiveValues = 60;
using Snapshot = std::array<float, kNumLiveValues>;

// Display kinds, numbered as the synth skin's placeholders are mapped to them.
enum Kind : int32_t {
  kDrive = 0,
  kFilter1 = 1,
  kFilter2 = 2,
  kSampleAndHold = 3,
  kLFO1 = 4,
  kLFO2 = 5,
  kEnvelope = 6,
  kFollower = 7,
  kCompressor = 8,
};
inline constexpr int32_t kNumKinds = 9;
inline constexpr int32_t kNoKind = -1;
// The placeholder of each kind, in kind order.
inline constexpr std::array<const char*, kNumKinds> kPlaceholders = {
    "DViz", "F1Viz", "F2Viz", "SViz", "L1Viz", "L2Viz", "EViz", "FViz", "CViz"};

// The kind of a placeholder name; kNoKind for any other name. // any thread
int32_t KindForPlaceholder(std::string_view name);

// A live value as the plots use it: NaN and infinities read as 0, the rest limited to 0..1.
// // any thread
float SafeValue(float value);

// The parameters (first..last, inclusive) whose change redraws a kind; nothing for the two
// history kinds (they redraw on every tick) and for an unknown kind (it never redraws).
// // any thread
struct ParameterRange {
  int32_t first;
  int32_t last;
};
std::optional<ParameterRange> RangeOf(int32_t kind);
bool IsHistory(int32_t kind);
bool IsFilter(int32_t kind);
// Whether a kind must redraw for the step from `previous` to `current`: history kinds always,
// the others when a value in their range differs. // any thread
bool NeedsRedraw(int32_t kind, const Snapshot& previous, const Snapshot& current);
// A filter display is dimmed while its slot's active switch (36 or 46) is below 0.5. // any thread
bool IsDimmed(int32_t kind, const Snapshot& live);

// --- Curves: values in 0..1, replacing `out` (UI thread) -------------------------------------

// Filter slot 0 or 1: one point per column, the slot type's response from its cutoff,
// resonance, mode and type.
void FilterCurve(int32_t slot, const Snapshot& live, int32_t columns, std::vector<float>& out);

// The sample rate the drive and envelope plots are computed at.
inline constexpr float kPlotRateHz = 44100.0f;

// The drive plot: two cycles of a sine of this peak, 256 samples at kPlotRateHz, through a private
// drive stage in the selected mode at the engine's drive gain, stored as 0.5 + 0.5 * output; an
// output beyond full scale (the folding "Tannin" reaches 3.3) is scaled down to fit, so its shape
// stays visible.
inline constexpr int32_t kDrivePoints = 256;
inline constexpr float kDriveInputPeak = 0.5f;
// The test sine: sample i of the 256.
float DriveInput(int32_t sample);
void DriveCurve(float amount, float mode, std::vector<float>& out);

// LFO 0 or 1: two cycles by the LFO's preview routine from its shape, phase, gain and morph.
void LFOCurve(int32_t lfo, const Snapshot& live, int32_t points, std::vector<float>& out);

// The envelope over its whole length (attack, hold, decay on one time axis), times its gain
// squared as the engine scales the source.
void EnvelopeCurve(const Snapshot& live, int32_t points, std::vector<float>& out);

// The compressor for a panel `width` columns wide, h = width / 2: h points 1:1 up to the centre,
// then h + 1 points at slope (1 - Compress) * 0.4 + 0.1 (soft) or (1 - Compress) * 0.5 (hard,
// CompMode 0.5 or more). Empty below 2 columns.
void CompressorCurve(float compress, float compMode, int32_t width, std::vector<float>& out);

// --- Plot geometry ---------------------------------------------------------------------------

// y of a value in a panel `height` high: filters (1 - v)(h - 4) + 2, the others (1 - v)(h - 8) + 4.
// The value is made safe first. // any thread
float FilterY(float value, float height);
float CurveY(float value, float height);

// One point per pixel column (x at the column's centre) from n values: column i shows value
// i * n / columns, so when n > columns every (n / columns)-th value is taken and when n < columns
// each value repeats columns / n times. Empty without values or columns. // UI thread
void ColumnPoints(const std::vector<float>& values, int32_t columns, float height, bool filter,
                  std::vector<VGui::PointF>& points);

// The polyline to stroke for those points: a point that lies on the straight line between its
// neighbours (within a hundredth of a pixel) adds nothing to the picture and is left out, so flat
// and straight stretches (an idle history, the compressor's two legs) cost two points, not one per
// column. // UI thread
void DropStraightRunPoints(const std::vector<VGui::PointF>& points, std::vector<VGui::PointF>& out);

}  // namespace VizCurves
