// The visualisation panels: the tick's redraw decision, the histories and the plot.
#include "editor/VizPanel.h"

#include <algorithm>
#include <cmath>

#include "modulation/Transmod.h"
#include "plugin/Norv.h"
#include "plugin/ParameterTable.h"
#include "support/Log.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/SkinSet.h"

namespace {

// Drawn when the skins name no background: a dark screen with a faint graticule.
constexpr VGui::Colour kScreen{12, 14, 17, 255};
constexpr VGui::Colour kGraticule{255, 255, 255, 14};
constexpr VGui::Colour kBezel{255, 255, 255, 20};
constexpr float kDefaultRadius = 3.0f;

int32_t HistorySource(int32_t kind) {
  return static_cast<int32_t>(kind == VizCurves::kSampleAndHold ? TransmodSource::kSandH
                                                                : TransmodSource::kEnvFollow);
}

}  // namespace

VizPanel::VizPanel(int32_t kind, const VGui::SkinSet& skins)
    : kind_(kind >= 0 && kind < VizCurves::kNumKinds ? kind : VizCurves::kNoKind) {
  if (kind_ != kind) VFoundation::Log("VizPanel: no display of kind %d\n", int(kind));
  displayColour_ = skins.ColourOr(kDisplayColourName, displayColour_);
  if (auto style = skins.FindStyle(kStyleName)) SetStyle(std::move(style));
}

VizPanel::~VizPanel() {
  LeaveTimer();
}

void VizPanel::LeaveTimer() {
  if (timerRoot_ && Root() == timerRoot_) timerRoot_->RemoveTimerCallback(this);
  timerRoot_ = nullptr;
}

void VizPanel::SetEditorDelegate(Norv* plugin) {
  EditorDelegateUser::SetEditorDelegate(plugin);
  VGui::CtrlRoot* root = plugin ? Root() : nullptr;
  if (root == timerRoot_) return;
  LeaveTimer();
  if (!root) return;
  root->AddTimerCallback(this);
  timerRoot_ = root;
  RedrawOnce();
}

// --- Tick ------------------------------------------------------------------------------------

void VizPanel::ATC_Tick() {
  if (!plugin_) return;
  const NorvProcess& engine = plugin_->Engine();
  VizCurves::Snapshot live;
  for (int32_t i = 0; i < VizCurves::kNumLiveValues; ++i) live[i] = engine.ModulatedValue(i);
  const float history =
      VizCurves::IsHistory(kind_) ? engine.SourceValue(HistorySource(kind_)) : 0.0f;
  GetParameters(live, history);
}

bool VizPanel::GetParameters(const VizCurves::Snapshot& live, float historyValue) {
  previous_ = current_;
  bool bad = !std::isfinite(historyValue);
  for (int32_t i = 0; i < VizCurves::kNumLiveValues; ++i) {
    bad = bad || !std::isfinite(live[i]);
    current_[i] = VizCurves::SafeValue(live[i]);
  }
  if (bad && !reportedBadValue_) {
    VFoundation::Log("VizPanel %d: non-finite live value drawn as 0\n", int(kind_));
    reportedBadValue_ = true;
  }
  const bool once = redrawOnce_;
  redrawOnce_ = false;
  const bool due = once || VizCurves::NeedsRedraw(kind_, previous_, current_);
  if (!due) return false;
  if (VizCurves::IsHistory(kind_)) AppendHistory(VizCurves::SafeValue(historyValue));
  curveStale_ = true;
  Invalidate();
  return true;
}

void VizPanel::AppendHistory(float value) {
  // One value per pixel column; a new panel starts from a flat line so the trace scrolls in.
  const auto length = static_cast<size_t>(std::max(Columns(), 1));
  if (history_.size() < length) history_.insert(history_.begin(), length - history_.size(), 0.0f);
  if (history_.size() >= length) history_.erase(history_.begin(), history_.end() - (length - 1));
  history_.push_back(value);
}

void VizPanel::OnBoundsChanged() {
  curveStale_ = true;
  const VGui::Rect area = LocalBounds();
  if ((area.width <= 0 || area.height <= 0) && !reportedEmpty_) {
    VFoundation::Log("VizPanel %d: empty placeholder, nothing drawn\n", int(kind_));
    reportedEmpty_ = true;
  }
}

int32_t VizPanel::Columns() const {
  return std::max(LocalBounds().width, 0);
}

// --- Curves ----------------------------------------------------------------------------------

void VizPanel::ComputeCurve() {
  curveStale_ = false;
  switch (kind_) {
    case VizCurves::kDrive:
      PlotDistortion();
      break;
    case VizCurves::kFilter1:
    case VizCurves::kFilter2:
      PlotFilter();
      break;
    case VizCurves::kSampleAndHold:
      PlotSampleAndHold();
      break;
    case VizCurves::kLFO1:
      PlotLFO1();
      break;
    case VizCurves::kLFO2:
      PlotLFO2();
      break;
    case VizCurves::kEnvelope:
      PlotEnvelope();
      break;
    case VizCurves::kFollower:
      PlotEnvelopeFollower();
      break;
    case VizCurves::kCompressor:
      PlotCompressor();
      break;
    default:
      curve_.clear();
      break;
  }
}

void VizPanel::PlotDistortion() {
  VizCurves::DriveCurve(current_[ParameterTable::kDriveAmount],
                        current_[ParameterTable::kDriveMode], curve_);
}

void VizPanel::PlotFilter() {
  VizCurves::FilterCurve(kind_ - VizCurves::kFilter1, current_, Columns(), curve_);
}

void VizPanel::PlotSampleAndHold() {
  PlotHistory();
}

void VizPanel::PlotLFO1() {
  VizCurves::LFOCurve(0, current_, Columns(), curve_);
}

void VizPanel::PlotLFO2() {
  VizCurves::LFOCurve(1, current_, Columns(), curve_);
}

void VizPanel::PlotEnvelope() {
  VizCurves::EnvelopeCurve(current_, Columns(), curve_);
}

void VizPanel::PlotEnvelopeFollower() {
  PlotHistory();
}

void VizPanel::PlotCompressor() {
  VizCurves::CompressorCurve(current_[ParameterTable::kComp], current_[ParameterTable::kCompMode],
                             Columns(), curve_);
}

void VizPanel::PlotHistory() {
  curve_ = history_;
}

// --- Drawing ---------------------------------------------------------------------------------

void VizPanel::Draw(VGui::Canvas& canvas) {
  const VGui::Rect bounds = LocalBounds();
  if (bounds.width <= 0 || bounds.height <= 0) return;
  const VGui::RectF area = bounds;
  const VGui::Style& style = CurrentStyle();
  const float radius = style.radius > 0.0f ? style.radius : kDefaultRadius;
  canvas.FillRoundedRect(area, radius, style.background.Transparent() ? kScreen : style.background);
  canvas.Save();
  canvas.ClipRect(area);
  for (int i = 1; i < 4; ++i) {
    const float y = area.height * float(i) / 4.0f;
    canvas.StrokeLine({2.0f, y}, {area.width - 2.0f, y}, 1.0f, kGraticule);
  }
  if (curveStale_) ComputeCurve();
  VizCurves::ColumnPoints(curve_, bounds.width, area.height, VizCurves::IsFilter(kind_), points_);
  lineColour_ = VizCurves::IsDimmed(kind_, current_) ? displayColour_.WithAlpha(kBypassedAlpha)
                                                     : displayColour_;
  VizCurves::DropStraightRunPoints(points_, stroke_);
  if (stroke_.size() >= 2) canvas.StrokePolyline(stroke_, kLineWidth, lineColour_);
  canvas.Restore();
  canvas.StrokeRoundedRect({0.5f, 0.5f, area.width - 1.0f, area.height - 1.0f}, radius, 1.0f,
                           style.border.Transparent() ? kBezel : style.border);
}
