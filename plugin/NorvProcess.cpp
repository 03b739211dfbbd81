// The engine proper: parameter smoothing, Transmod modulation, sources and the signal chain.
#include "plugin/NorvProcess.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/Clamp.h"
#include "dsp/Distortion.h"
#include "dsp/GainLaws.h"
#include "modulation/RateConversions.h"
#include "plugin/ParameterTable.h"

namespace {

using namespace ParameterTable;

// A base this close to its target has arrived.
constexpr float kGlideTolerance = 1e-6f;
// The noise source is a faint 0..0.04 jitter, new every sub-block.
constexpr float kNoiseScale = 0.04f;
// Filter FM at depth 1 swings the cutoff by a quarter of the normalised range: +-3 octaves.
constexpr float kFMSwing = 0.25f;

bool IsValidSource(int32_t source) {
  return source >= 1 && source <= NorvProcess::kNumSources;
}

bool On(float value) {
  return value >= 0.5f;
}

struct SlotParameters {
  int32_t cutoff, res, active, gainPre, gainPost, mode, type, fm, fmSource, pan;
};
constexpr SlotParameters kSlotParameters[2] = {
    {kF1Cutoff, kF1Res, kF1Active, kF1GainPre, kF1GainPost, kF1Mode, kF1Type, kF1FM, kF1FMSource,
     kF1Pan},
    {kF2Cutoff, kF2Res, kF2Active, kF2GainPre, kF2GainPost, kF2Mode, kF2Type, kF2FM, kF2FMSource,
     kF2Pan},
};

}  // namespace

NorvProcess::NorvProcess() {
  noiseGenerator_.Seed(0x6E6F6973u);
  noteRandomGenerator_.Seed(0x72616E64u);
  for (auto& slot : slots_) slot.Prepare(kSubBlockSize);
  SetSampleRate(processingRateHz_, hostRateHz_, oversamplingFactor_);
  Reset();
}

void NorvProcess::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  if (!(processingRateHz >= 1.0f) || !std::isfinite(processingRateHz)) return;
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  for (auto& slot : slots_) slot.SetSampleRate(processingRateHz, hostRateHz, factor);
  drive_.SetSampleRate(processingRateHz, hostRateHz, factor);
  compressor_.SetSampleRate(processingRateHz);
  for (auto& lfo : lfos_) lfo.SetSampleRate(processingRateHz, hostRateHz, factor);
  envelope_.SetSampleRate(processingRateHz, hostRateHz, factor);
  follower_.SetSampleRate(processingRateHz, hostRateHz, factor);
  sampleAndHold_.SetSampleRate(processingRateHz, hostRateHz, factor);
  pathFade_.SetLength(
      VDSP::EqualPowerFade::LengthFor(VDSP::VoiceFilter::kFadeSeconds, processingRateHz));
  ResetRateDependentParts();
}

void NorvProcess::SetSlewTime(double samples) {
  if (!std::isfinite(samples) || samples < 1.0) samples = kDefaultSlewSamples;
  slewCoefficient_ = static_cast<float>(1.0 / samples);
}

void NorvProcess::SetParameter(int32_t index, int32_t source, float value, bool immediate) {
  MarkChanged();
  if (!IsValidIndex(index) || std::isnan(value)) return;
  if (source == 0) {
    glidesPending_ = true;
    targets_[index] = value;
    if (immediate || IsStepped(index)) rows_[index][0] = value;
    if (index == kF1Cutoff && On(rows_[kFilterLink][0])) {
      targets_[kF2Cutoff] = VDSP::ClampUnit(value + linkOffset_);
      if (immediate) rows_[kF2Cutoff][0] = targets_[kF2Cutoff];
    } else if (index == kF2Cutoff || index == kFilterLink) {
      UpdateLinkOffset();
    }
    return;
  }
  if (!IsValidSource(source)) return;
  rows_[index][source] = value;
  UpdateModulatedFlag(index);
}

void NorvProcess::SetImmediate(int32_t index, float value) {
  SetParameter(index, 0, value, true);
}

void NorvProcess::Snap() {
  MarkChanged();
  for (int32_t index = 0; index < kNumParameters; ++index) rows_[index][0] = targets_[index];
  glidesPending_ = false;
}

void NorvProcess::Reset() {
  MarkChanged();
  for (int32_t index = 0; index < kNumParameters; ++index) {
    const float value = GetParameterDefaultValue(index);
    targets_[index] = value;
    rows_[index].fill(0.0f);
    rows_[index][0] = value;
    modulated_[index] = 0;
    modulatedValues_[index] = value;
    slopes_[index] = 0.0f;
  }
  for (int32_t source = 0; source < kNumColumns; ++source) SetPolarMode(source, true);
  macroValues_.fill(0.0f);
  sourceValues_.fill(0.0f);
  rawSourceValues_.fill(0.0f);
  velocity_ = pitch_ = noteRandom_ = noise_ = 0.0f;
  linkOffset_ = 0.0f;
  ResetParts();
}

void NorvProcess::ResetParts() {
  ResetRateDependentParts();
  drive_.Reset();
  compressor_.Reset();
  mixer_.Reset();
}

// The filters' states and the sources' phases mean nothing at another rate; the drive, the
// compressor's detector and the mixer's glides still describe the sound and carry on.
void NorvProcess::ResetRateDependentParts() {
  for (auto& slot : slots_) slot.Reset();
  pathSwitch_ = PathSwitch::kNone;
  pathFade_.Stop();
  pathPrimed_ = false;
  for (auto& lfo : lfos_) lfo.SetPhase(0.0);
  envelope_.Trigger();
  follower_.Reset();
  sampleAndHold_.Reset();
}

void NorvProcess::SetPolarMode(int32_t source, bool unipolar) {
  MarkChanged();
  if (source < 0 || source >= kNumColumns) return;
  unipolar_[source] = unipolar ? 1 : 0;
  polarity_.scale[source] = unipolar ? 1.0f : 2.0f;
  polarity_.offset[source] = unipolar ? 0.0f : 1.0f;
}

bool NorvProcess::IsUnipolar(int32_t source) const {
  return source >= 0 && source < kNumColumns && unipolar_[source] != 0;
}

void NorvProcess::RemoveModulation(int32_t index, int32_t source) {
  MarkChanged();
  if (!IsValidIndex(index)) return;
  if (source == -1) {
    std::fill(rows_[index].begin() + 1, rows_[index].end(), 0.0f);
  } else if (IsValidSource(source)) {
    rows_[index][source] = 0.0f;
  }
  UpdateModulatedFlag(index);
}

void NorvProcess::RemoveModDestinations(int32_t source) {
  MarkChanged();
  if (source != -1 && !IsValidSource(source)) return;
  for (auto& row : rows_) {
    if (source == -1) {
      std::fill(row.begin() + 1, row.end(), 0.0f);
    } else {
      row[source] = 0.0f;
    }
  }
  RecomputeModulatedFlags();
}

void NorvProcess::SetMacroValue(int32_t axis, float value) {
  MarkChanged();
  if (axis < 0 || axis > 1 || std::isnan(value)) return;
  macroValues_[axis] = value;
}

float NorvProcess::MacroValue(int32_t axis) const {
  return (axis >= 0 && axis <= 1) ? macroValues_[axis] : 0.0f;
}

void NorvProcess::SetLinkOffset(float offset) {
  MarkChanged();
  if (std::isfinite(offset)) linkOffset_ = offset;
}

void NorvProcess::RecomputeModulatedFlags() {
  for (int32_t index = 0; index < kNumParameters; ++index) UpdateModulatedFlag(index);
}

float NorvProcess::RowValue(int32_t index, int32_t column) const {
  return IsValidIndex(index) && column >= 0 && column < kNumColumns ? rows_[index][column] : 0.0f;
}

bool NorvProcess::IsSourceUsed(int32_t source) const {
  if (!IsValidSource(source)) return false;
  for (const auto& row : rows_) {
    if (std::fabs(row[source]) >= Transmod::kDepthThreshold) return true;
  }
  return false;
}

float NorvProcess::SourceValue(int32_t source) const {
  return IsValidSource(source) ? sourceValues_[source] : 0.0f;
}

float NorvProcess::Target(int32_t index) const {
  return IsValidIndex(index) ? targets_[index] : 0.0f;
}

float NorvProcess::Base(int32_t index) const {
  return IsValidIndex(index) ? rows_[index][0] : 0.0f;
}

float NorvProcess::Depth(int32_t index, int32_t source) const {
  return IsValidIndex(index) && IsValidSource(source) ? rows_[index][source] : 0.0f;
}

bool NorvProcess::IsModulated(int32_t index) const {
  return IsValidIndex(index) && modulated_[index] != 0;
}

float NorvProcess::ModulatedValue(int32_t index) const {
  return IsValidIndex(index) ? modulatedValues_[index] : 0.0f;
}

float NorvProcess::Slope(int32_t index) const {
  return IsValidIndex(index) ? slopes_[index] : 0.0f;
}

void NorvProcess::UpdateModulatedFlag(int32_t index) {
  // A parameter that loses its last depth goes back to its base value.
  basesChanged_ = true;
  modulated_[index] = Transmod::HasDepth(rows_[index].data()) ? 1 : 0;
}

void NorvProcess::UpdateLinkOffset() {
  // Targets rather than bases: a knob drag leaves the base a glide behind, and an offset taken
  // from there would put a later linked move off by that remainder.
  linkOffset_ = targets_[kF2Cutoff] - targets_[kF1Cutoff];
}

// --- Notes ------------------------------------------------------------------------------------

void NorvProcess::NoteOnSources(int32_t velocity) {
  velocity_ = std::min(static_cast<float>(velocity) / 128.0f, 1.0f);
  noteRandom_ = noteRandomGenerator_.Draw(0.0f, 1.0f);
}

void NorvProcess::SetPitchNote(int32_t note) {
  pitch_ = std::min(static_cast<float>(note) / 128.0f, 1.0f);
}

void NorvProcess::SetCutoffFromNote(int32_t slot, int32_t note) {
  const SlotParameters& p = kSlotParameters[slot & 1];
  // Key tracking per filter type: a touch of extra brightness for high notes, none for the comb,
  // whose pitch must follow the note exactly.
  static constexpr float kKeyTracking[kNumFilterTypes] = {0.005f, 0.008f, 0.0025f, 0.0f};
  const int32_t type = FilterTypeItem(rows_[p.type][0]);
  const float keyFraction = std::min(static_cast<float>(note) / 128.0f, 1.0f);
  const float w = keyFraction * keyFraction * kKeyTracking[type];
  const float cutoff = ((static_cast<float>(note) - 69.0f) / 12.0f + 6.0f) / 12.0f + w;
  SetParameter(p.cutoff, 0, VDSP::ClampUnit(cutoff), false);
}

void NorvProcess::RestartEnvelope() {
  envelope_.Trigger();
}

void NorvProcess::RestartLFO(int32_t lfo) {
  const int32_t phase = lfo == 0 ? kLFO1Phase : kLFO2Phase;
  lfos_[lfo & 1].SetPhase(rows_[phase][0]);
}

void NorvProcess::AlignLFOs(double songPosition, double tempo) {
  if (!(tempo > 0.0)) tempo = 120.0;
  // Values set at this block's start must count, not the last sub-block's.
  StoreModulationValues();
  ModulateParameters(0, kFirstAudioParameter);
  const auto bpm = static_cast<float>(tempo);
  lfos_[0].Update(Mod(kLFO1Rate), On(Mod(kLFO1Sync)), bpm, Mod(kLFO1Shape), Mod(kLFO1Swing));
  lfos_[1].Update(Mod(kLFO2Rate), On(Mod(kLFO2Sync)), bpm, Mod(kLFO2Shape), Mod(kLFO2Swing));
  lfos_[0].AlignToTransport(songPosition, bpm, Mod(kLFO1Phase));
  lfos_[1].AlignToTransport(songPosition, bpm, Mod(kLFO2Phase));
}

// --- Block ------------------------------------------------------------------------------------

void NorvProcess::Process(const float* const* inputs, float* const* outputs, float* const* scratch,
                          int32_t frames, double tempo, int32_t focusParameter) {
  tempo_ = tempo > 0.0 && std::isfinite(tempo) ? tempo : 120.0;
  ComputeSlopes(focusParameter);
  for (int32_t start = 0; start < frames; start += kSubBlockSize) {
    const Block block{inputs, outputs, scratch, start, std::min(kSubBlockSize, frames - start)};
    GlideBases(block.count);
    StoreModulationValues();
    ModulateParameters(0, kFirstAudioParameter);
    RunSources(block);
    StoreModulationValues();
    ModulateParameters(kFirstAudioParameter, kNumParameters);
    basesChanged_ = false;
    RunChain(block);
    if (interpolator_) interpolator_->InterpolateProcess();
    ComputeSlopes(focusParameter);
  }
}

void NorvProcess::ComputeSlopes(int32_t focusParameter) {
  // Every arrived base has a slope of (almost) 0 already, and no target moved since.
  if (!glidesPending_) return;
  for (int32_t index = 0; index < kNumParameters; ++index) {
    slopes_[index] = (targets_[index] - rows_[index][0]) * slewCoefficient_;
  }
  if (IsValidIndex(focusParameter)) slopes_[focusParameter] *= kFocusSlowdown;
}

void NorvProcess::GlideBases(int32_t count) {
  if (!glidesPending_) return;
  bool moving = false;
  for (int32_t index = 0; index < kNumParameters; ++index) {
    float& base = rows_[index][0];
    const float remaining = targets_[index] - base;
    if (std::fabs(remaining) < kGlideTolerance) continue;
    moving = true;
    const float step = static_cast<float>(count) * slopes_[index];
    // A short slew time must not step past the target and ring around it.
    base = std::fabs(step) >= std::fabs(remaining) ? targets_[index] : base + step;
  }
  // Stays set for one more sub-block after the last step, so the slopes settle to 0 too.
  glidesPending_ = moving;
  if (moving) MarkChanged();
}

void NorvProcess::StoreModulationValues() {
  rawSourceValues_[0] = 0.0f;
  for (int32_t source = 1; source < kNumColumns; ++source) {
    sourceValues_[source] = rawSourceValues_[source];
  }
  sourceValues_[static_cast<int32_t>(TransmodSource::kVelocity)] = velocity_;
  sourceValues_[static_cast<int32_t>(TransmodSource::kPitch)] = pitch_;
  sourceValues_[static_cast<int32_t>(TransmodSource::kNoise)] = noise_;
  sourceValues_[static_cast<int32_t>(TransmodSource::kRandom)] = noteRandom_;
  sourceValues_[static_cast<int32_t>(TransmodSource::kC1)] = macroValues_[0];
  sourceValues_[static_cast<int32_t>(TransmodSource::kC2)] = macroValues_[1];
}

float NorvProcess::RoutingSum(int32_t index) const {
  return Transmod::RoutingSum(rows_[index].data(), sourceValues_.data(), polarity_);
}

// An unmodulated value only moves with its base: while no base changed it is still current.
void NorvProcess::ModulateParameters(int32_t from, int32_t to) {
  for (int32_t index = from; index < to; ++index) {
    if (modulated_[index] != 0) {
      modulatedValues_[index] = VDSP::ClampUnit(RoutingSum(index));
    } else if (basesChanged_) {
      modulatedValues_[index] = VDSP::ClampUnit(rows_[index][0]);
    }
  }
}

// Whether a filter slot may run FM in this sub-block. The chain reads the FM depths after the
// sources ran, so this looks at what they can reach: an unmodulated depth stays between its base
// (already glided for this sub-block) and its target.
bool NorvProcess::FilterFMPossible() const {
  for (const SlotParameters& p : kSlotParameters) {
    if (modulated_[p.fm] != 0 || rows_[p.fm][0] > kFMDepthThreshold ||
        targets_[p.fm] > kFMDepthThreshold) {
      return true;
    }
  }
  return false;
}

bool NorvProcess::ReadsSidechain() const {
  const auto mayReach = [this](int32_t index, float threshold) {
    return modulated_[index] != 0 || rows_[index][0] >= threshold || targets_[index] >= threshold;
  };
  if (mayReach(kEnvFollowSource, 0.5f) || mayReach(kSandHSource, 0.5f)) return true;
  // FM source item 3 ("In 3+4") begins at 5/6; 0.8 leaves room for rounding.
  return FilterFMPossible() && (mayReach(kF1FMSource, 0.8f) || mayReach(kF2FMSource, 0.8f));
}

void NorvProcess::RunSources(const Block& block) {
  const int32_t o = block.offset;
  const int32_t k = block.count;
  const float* const* in = block.inputs;
  // The follower hears input 3 as it is, or the mean of inputs 1 and 2.
  const float* followerInput = in[2] + o;
  if (!On(Mod(kEnvFollowSource))) {
    float* mean = block.scratch[kFollowerInput] + o;
    for (int32_t i = 0; i < k; ++i) mean[i] = (in[0][o + i] + in[1][o + i]) * 0.5f;
    followerInput = mean;
  }
  const float* sampledInput = On(Mod(kSandHSource)) ? in[2] + o : nullptr;
  const auto bpm = static_cast<float>(tempo_);
  lfos_[0].Update(Mod(kLFO1Rate), On(Mod(kLFO1Sync)), bpm, Mod(kLFO1Shape), Mod(kLFO1Swing));
  lfos_[1].Update(Mod(kLFO2Rate), On(Mod(kLFO2Sync)), bpm, Mod(kLFO2Shape), Mod(kLFO2Swing));
  // Only filter FM reads the waves sample by sample (from their scratch buffers); otherwise the
  // last value is all that counts, for the LFOs as for the other sources.
  float lfoValues[2];
  const bool waves = FilterFMPossible();
  for (int32_t n = 0; n < 2; ++n) {
    if (waves) {
      float* wave = block.scratch[n == 0 ? kLFO1Buffer : kLFO2Buffer] + o;
      lfos_[n].Render(wave, k);
      lfoValues[n] = wave[k - 1];
    } else {
      lfoValues[n] = lfos_[n].RenderLast(k);
    }
  }
  sampleAndHold_.Update(LFO::ComputeRate(Mod(kSandHRate), On(Mod(kSandHSync)), bpm),
                        Mod(kSandHSlew));
  const float held = sampleAndHold_.RenderLast(sampledInput, k);
  envelope_.Update(Mod(kEnvAttack), Mod(kEnvHold), Mod(kEnvDecay), Mod(kEnvCurve));
  const float envelope = envelope_.RenderLast(k);
  follower_.Update(Mod(kEnvFollowAttack), Mod(kEnvFollowDecay), Mod(kEnvFollowThresh));
  const float followed = follower_.RenderLast(followerInput, k);
  const auto squared = [this](int32_t index) { return Mod(index) * Mod(index); };
  float envelopeValue = envelope * squared(kEnvGain);
  if (Mod(kEnvVelRespond) != 0.0f) envelopeValue *= velocity_;
  rawSourceValues_[static_cast<int32_t>(TransmodSource::kEnv)] = envelopeValue;
  rawSourceValues_[static_cast<int32_t>(TransmodSource::kLFO1)] = lfoValues[0] * squared(kLFO1Gain);
  rawSourceValues_[static_cast<int32_t>(TransmodSource::kLFO2)] = lfoValues[1] * squared(kLFO2Gain);
  rawSourceValues_[static_cast<int32_t>(TransmodSource::kSandH)] = held * squared(kSandHGain);
  rawSourceValues_[static_cast<int32_t>(TransmodSource::kEnvFollow)] =
      followed * squared(kEnvFollowGain);
  noise_ = noiseGenerator_.Draw(0.0f, 1.0f) * kNoiseScale;
}

// --- Signal chain -----------------------------------------------------------------------------

void NorvProcess::RunChain(const Block& block) {
  const int32_t o = block.offset;
  const int32_t k = block.count;
  float* left = block.scratch[kWorkLeft] + o;
  float* right = block.scratch[kWorkRight] + o;
  std::memcpy(left, block.inputs[0] + o, sizeof(float) * k);
  std::memcpy(right, block.inputs[1] + o, sizeof(float) * k);
  const bool driveOn = On(Mod(kDriveActive));
  if (driveOn) {
    drive_.SetMode(VDSP::Distortion::ModeIndexOf(Mod(kDriveMode)));
    drive_.SetTargetGain(VDSP::DriveGain(Mod(kDriveAmount)));
  }
  UpdatePath(driveOn);
  if (pathSwitch_ != PathSwitch::kNone) {
    RunPathSwitch(block, driveOn);
  } else {
    if (driveOn && drivePre_) drive_.Process(left, right, k);
    RunFilters(block);
    if (driveOn && !drivePre_) drive_.Process(left, right, k);
  }
  RunDynamics(block);
}

void NorvProcess::SetSlotControls(int32_t slot, float cutoff) {
  const SlotParameters& p = kSlotParameters[slot];
  slots_[slot].SetControls(cutoff, Mod(p.res), Mod(p.mode), Mod(p.type), Mod(p.gainPre),
                           Mod(p.gainPost), Mod(p.pan));
}

void NorvProcess::RunFilters(const Block& block) {
  if (Mod(kF1FM) > kFMDepthThreshold || Mod(kF2FM) > kFMDepthThreshold) {
    RunFiltersPerSample(block);
    return;
  }
  const int32_t o = block.offset;
  const int32_t k = block.count;
  const float inverseK = 1.0f / static_cast<float>(k);
  float* left = block.scratch[kWorkLeft] + o;
  float* right = block.scratch[kWorkRight] + o;
  const bool active1 = On(Mod(kF1Active));
  const bool active2 = On(Mod(kF2Active));
  SetSlotControls(0, Mod(kF1Cutoff));
  SetSlotControls(1, Mod(kF2Cutoff));
  if (!parallel_) {
    if (active1 && active2 &&
        VDSP::VoiceFilter::ProcessSeries(slots_[0], slots_[1], left, right, k, inverseK)) {
      return;
    }
    if (active1) slots_[0].ProcessStereo(left, right, k, inverseK);
    if (active2) slots_[1].ProcessStereo(left, right, k, inverseK);
    return;
  }
  float* copyLeft = block.scratch[kParallelLeft] + o;
  float* copyRight = block.scratch[kParallelRight] + o;
  // Without filter 2 its copy would only be dropped.
  if (active2) {
    std::memcpy(copyLeft, left, sizeof(float) * k);
    std::memcpy(copyRight, right, sizeof(float) * k);
  }
  const bool paired = active1 && active2 &&
                      VDSP::VoiceFilter::ProcessParallel(slots_[0], slots_[1], left, right,
                                                         copyLeft, copyRight, k, inverseK);
  if (!paired && active1) slots_[0].ProcessStereo(left, right, k, inverseK);
  if (!active2) return;
  if (!paired) slots_[1].ProcessStereo(copyLeft, copyRight, k, inverseK);
  for (int32_t i = 0; i < k; ++i) {
    left[i] += copyLeft[i];
    right[i] += copyRight[i];
  }
}

void NorvProcess::FillFMSource(const Block& block, int32_t slot, float* destination) {
  const int32_t o = block.offset;
  const int32_t k = block.count;
  const float* const* in = block.inputs;
  const int32_t item = ItemFromValue(Mod(kSlotParameters[slot].fmSource), kNumFMSources);
  if (item <= 1) {
    const float* lfo = block.scratch[item == 0 ? kLFO1Buffer : kLFO2Buffer] + o;
    const float gain = Mod(item == 0 ? kLFO1Gain : kLFO2Gain);
    for (int32_t i = 0; i < k; ++i) destination[i] = lfo[i] * gain * gain;
    return;
  }
  const float* a = in[item == 2 ? 0 : 2] + o;
  const float* b = in[item == 2 ? 1 : 3] + o;
  for (int32_t i = 0; i < k; ++i) destination[i] = (a[i] + b[i]) * 0.5f + 0.5f;
}

void NorvProcess::FillSlotCutoffs(const Block& block, float (&cutoffs)[2][kSubBlockSize]) {
  const int32_t o = block.offset;
  const int32_t k = block.count;
  float* fm[2] = {block.scratch[kFM1Buffer] + o, block.scratch[kFM2Buffer] + o};
  FillFMSource(block, 0, fm[0]);
  FillFMSource(block, 1, fm[1]);
  for (int32_t slot = 0; slot < 2; ++slot) {
    const float d = Mod(kSlotParameters[slot].fm);
    const float depth = d * d * kFMSwing;
    // Taken whether or not the cutoff carries a depth: the FM swing adds to the routing sum.
    const float sum = RoutingSum(kSlotParameters[slot].cutoff);
    for (int32_t i = 0; i < k; ++i) {
      cutoffs[slot][i] = VDSP::ClampUnit(sum + depth * (2.0f * fm[slot][i] - 1.0f));
    }
  }
}

void NorvProcess::RunSlotWithCutoffs(int32_t slot, float* left, float* right, const float* cutoffs,
                                     int32_t count, bool active) {
  SetSlotControls(slot, cutoffs[active ? 0 : count - 1]);
  if (!active) return;
  // "Japan" takes the cutoffs sample by sample inside one pass; the other types are set and run
  // one sample at a time.
  if (slots_[slot].ProcessStereoWithCutoffs(left, right, cutoffs, count,
                                            1.0f / static_cast<float>(count))) {
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    SetSlotControls(slot, cutoffs[i]);
    slots_[slot].ProcessStereo(left + i, right + i, 1, 1.0f);
  }
}

// Slot 1 never hears slot 2, so each slot can run its whole sub-block in turn.
void NorvProcess::RunFiltersPerSample(const Block& block) {
  const int32_t o = block.offset;
  const int32_t k = block.count;
  float* left = block.scratch[kWorkLeft] + o;
  float* right = block.scratch[kWorkRight] + o;
  float* copyLeft = block.scratch[kParallelLeft] + o;
  float* copyRight = block.scratch[kParallelRight] + o;
  float cutoffs[2][kSubBlockSize];
  FillSlotCutoffs(block, cutoffs);
  const bool active[2] = {On(Mod(kF1Active)), On(Mod(kF2Active))};
  if (parallel_ && active[1]) {
    std::memcpy(copyLeft, left, sizeof(float) * k);
    std::memcpy(copyRight, right, sizeof(float) * k);
  }
  RunSlotWithCutoffs(0, left, right, cutoffs[0], k, active[0]);
  RunSlotWithCutoffs(1, parallel_ ? copyLeft : left, parallel_ ? copyRight : right, cutoffs[1], k,
                     active[1]);
  if (!parallel_ || !active[1]) return;
  for (int32_t i = 0; i < k; ++i) {
    left[i] += copyLeft[i];
    right[i] += copyRight[i];
  }
}

// --- Path switches ----------------------------------------------------------------------------

void NorvProcess::UpdatePath(bool driveOn) {
  const bool wantParallel = On(Mod(kFilterLayout));
  const bool wantPre = On(Mod(kDrivePre));
  const bool active2 = On(Mod(kF2Active));
  if (!pathPrimed_) {
    parallel_ = wantParallel;
    drivePre_ = wantPre;
    pathPrimed_ = true;
    return;
  }
  // With filter 2 off both layouts give filter 1's output: there is nothing left to fade.
  if (pathSwitch_ == PathSwitch::kLayout && !active2) FinishPathSwitch();
  if (pathSwitch_ != PathSwitch::kNone) return;
  // A switch that waits for a twin (a type or mode fade in flight) is taken once it is free.
  if (wantPre != drivePre_) {
    if (!driveOn) {
      drivePre_ = wantPre;
    } else if (slots_[0].TwinIsFree() && slots_[1].TwinIsFree()) {
      StartPathSwitch(PathSwitch::kDrivePosition);
      return;
    }
  }
  if (wantParallel != parallel_) {
    if (!active2) {
      parallel_ = wantParallel;
    } else if (slots_[1].TwinIsFree()) {
      StartPathSwitch(PathSwitch::kLayout);
    }
  }
}

// Filter 1 hears the same signal in either layout, so a layout switch borrows only filter 2's
// twin; moving the drive changes what both filters hear.
void NorvProcess::StartPathSwitch(PathSwitch kind) {
  if (kind == PathSwitch::kDrivePosition) {
    slots_[0].LendTwin();
    newPathDrive_ = drive_;
  }
  slots_[1].LendTwin();
  pathSwitch_ = kind;
  pathFade_.Start();
}

void NorvProcess::FinishPathSwitch() {
  if (pathSwitch_ == PathSwitch::kDrivePosition) {
    slots_[0].AdoptTwin();
    drive_ = newPathDrive_;
    drivePre_ = !drivePre_;
  } else if (pathSwitch_ == PathSwitch::kLayout) {
    parallel_ = !parallel_;
  }
  slots_[1].AdoptTwin();
  pathSwitch_ = PathSwitch::kNone;
  pathFade_.Stop();
}

void NorvProcess::RunPathSwitch(const Block& block, bool driveOn) {
  const int32_t o = block.offset;
  const int32_t k = block.count;
  float* left = block.scratch[kWorkLeft] + o;
  float* right = block.scratch[kWorkRight] + o;
  float newLeft[kSubBlockSize];
  float newRight[kSubBlockSize];
  if (pathSwitch_ == PathSwitch::kDrivePosition) {
    RunDrivePositionSwitch(block, driveOn, newLeft, newRight);
    pathFade_.Mix(left, right, newLeft, newRight, left, right, k);
  } else {
    if (driveOn && drivePre_) drive_.Process(left, right, k);
    RunLayoutSwitch(block, newLeft, newRight);
    pathFade_.Mix(left, right, newLeft, newRight, left, right, k);
    if (driveOn && !drivePre_) drive_.Process(left, right, k);
  }
  if (!pathFade_.Active()) FinishPathSwitch();
}

// The old path runs on the drive and the live filters, the new one on the drive's copy and the
// twins, each with the drive on its own side of the filters.
void NorvProcess::RunDrivePositionSwitch(const Block& block, bool driveOn, float* newLeft,
                                         float* newRight) {
  const int32_t k = block.count;
  float* left = block.scratch[kWorkLeft] + block.offset;
  float* right = block.scratch[kWorkRight] + block.offset;
  std::memcpy(newLeft, left, sizeof(float) * k);
  std::memcpy(newRight, right, sizeof(float) * k);
  newPathDrive_.SetMode(drive_.Mode());
  newPathDrive_.SetTargetGain(drive_.TargetGain());
  const bool oldPre = drivePre_;
  if (driveOn && oldPre) drive_.Process(left, right, k);
  if (driveOn && !oldPre) newPathDrive_.Process(newLeft, newRight, k);
  RunFiltersOnBothPaths(block, {left, right, newLeft, newRight});
  if (driveOn && !oldPre) drive_.Process(left, right, k);
  if (driveOn && oldPre) newPathDrive_.Process(newLeft, newRight, k);
}

bool NorvProcess::PrepareSlots(const Block& block, float (&cutoffs)[2][kSubBlockSize]) {
  const bool fm = Mod(kF1FM) > kFMDepthThreshold || Mod(kF2FM) > kFMDepthThreshold;
  if (fm) {
    FillSlotCutoffs(block, cutoffs);
  } else {
    SetSlotControls(0, Mod(kF1Cutoff));
    SetSlotControls(1, Mod(kF2Cutoff));
  }
  return fm;
}

void NorvProcess::RunSlotPair(int32_t slot, const PairBuffers& io, const float* cutoffs,
                              int32_t count) {
  if (cutoffs == nullptr) {
    slots_[slot].ProcessStereoPair(io.left, io.right, io.twinLeft, io.twinRight, count,
                                   1.0f / static_cast<float>(count));
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    SetSlotControls(slot, cutoffs[i]);
    slots_[slot].ProcessStereoPair(io.left + i, io.right + i, io.twinLeft + i, io.twinRight + i, 1,
                                   1.0f);
  }
}

// Both filters on both paths, in the live layout: the old path on the live filters, the new one
// on the twins.
void NorvProcess::RunFiltersOnBothPaths(const Block& block, const PairBuffers& io) {
  const int32_t k = block.count;
  float cutoffs[2][kSubBlockSize];
  const bool fm = PrepareSlots(block, cutoffs);
  const bool active[2] = {On(Mod(kF1Active)), On(Mod(kF2Active))};
  float* const channels[4] = {io.left, io.right, io.twinLeft, io.twinRight};
  float copy[4][kSubBlockSize];
  const PairBuffers second{copy[0], copy[1], copy[2], copy[3]};
  if (parallel_ && active[1]) {
    for (int32_t c = 0; c < 4; ++c) std::memcpy(copy[c], channels[c], sizeof(float) * k);
  }
  if (active[0]) RunSlotPair(0, io, fm ? cutoffs[0] : nullptr, k);
  if (!active[1]) return;
  if (!parallel_) {
    RunSlotPair(1, io, fm ? cutoffs[1] : nullptr, k);
    return;
  }
  RunSlotPair(1, second, fm ? cutoffs[1] : nullptr, k);
  for (int32_t c = 0; c < 4; ++c) {
    for (int32_t i = 0; i < k; ++i) channels[c][i] += copy[c][i];
  }
}

// Filter 2 is active (a layout switch without it needs no fade). Filter 1 runs once for both
// paths; filter 2 hears filter 1 on the serial path and the chain's input on the parallel one.
void NorvProcess::RunLayoutSwitch(const Block& block, float* newLeft, float* newRight) {
  const int32_t k = block.count;
  float* left = block.scratch[kWorkLeft] + block.offset;
  float* right = block.scratch[kWorkRight] + block.offset;
  float cutoffs[2][kSubBlockSize];
  const bool fm = PrepareSlots(block, cutoffs);
  float inputLeft[kSubBlockSize];
  float inputRight[kSubBlockSize];
  std::memcpy(inputLeft, left, sizeof(float) * k);
  std::memcpy(inputRight, right, sizeof(float) * k);
  const bool active1 = On(Mod(kF1Active));
  if (fm) {
    RunSlotWithCutoffs(0, left, right, cutoffs[0], k, active1);
  } else if (active1) {
    slots_[0].ProcessStereo(left, right, k, 1.0f / static_cast<float>(k));
  }
  // Filter 2's input on the old path, then on the new one.
  const float* serialLeft = left;
  const float* serialRight = right;
  float second[4][kSubBlockSize];
  std::memcpy(second[0], parallel_ ? inputLeft : serialLeft, sizeof(float) * k);
  std::memcpy(second[1], parallel_ ? inputRight : serialRight, sizeof(float) * k);
  std::memcpy(second[2], parallel_ ? serialLeft : inputLeft, sizeof(float) * k);
  std::memcpy(second[3], parallel_ ? serialRight : inputRight, sizeof(float) * k);
  RunSlotPair(1, {second[0], second[1], second[2], second[3]}, fm ? cutoffs[1] : nullptr, k);
  for (int32_t i = 0; i < k; ++i) {
    const float firstLeft = left[i];
    const float firstRight = right[i];
    newLeft[i] = parallel_ ? second[2][i] : firstLeft + second[2][i];
    newRight[i] = parallel_ ? second[3][i] : firstRight + second[3][i];
    left[i] = parallel_ ? firstLeft + second[0][i] : second[0][i];
    right[i] = parallel_ ? firstRight + second[1][i] : second[1][i];
  }
}

void NorvProcess::RunDynamics(const Block& block) {
  const int32_t o = block.offset;
  const int32_t k = block.count;
  float* left = block.scratch[kWorkLeft] + o;
  float* right = block.scratch[kWorkRight] + o;
  compressor_.SetCircuit(On(Mod(kCompMode)) ? VDSP::CompressorMode::kHard
                                            : VDSP::CompressorMode::kSoft);
  compressor_.SetAmount(Mod(kComp));
  compressor_.Process(left, right, left, right, left, right, k);
  // The Bypass switch reads its base: a modulation source must not be able to bypass the chain.
  const float wet = On(rows_[kBypass][0]) ? Mod(kMix) : 0.0f;
  mixer_.Set(wet, Mod(kGain));
  mixer_.Process(block.inputs[0] + o, block.inputs[1] + o, left, right, block.outputs[0] + o,
                 block.outputs[1] + o, k, 1.0f / static_cast<float>(k));
}
