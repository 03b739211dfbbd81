// Envelope stage lengths for a normalised value, and the inverse for typed seconds.
#pragma once

#include <cstdint>

// The timed stages of the attack-hold-decay envelope, numbered as the text conversion takes them.
enum class EnvelopeTimeStage : int32_t { kAttack = 0, kHold = 1, kDecay = 2 };

// Attack and decay: v^2.5 * 9996 + 4 ms (4 ms to 10 s); hold: v^2.5 * 5000 ms (0 to 5 s). The
// 2.5 power gives the short times most of the knob's travel. The power is taken in single
// precision; v is clamped to 0..1 (NaN reads as 0). // any thread
float EnvelopeStageMilliseconds(float value, EnvelopeTimeStage stage);
// The same in seconds, for the "secs" display. // any thread
float EnvelopeStageSeconds(float value, EnvelopeTimeStage stage);

// Typed seconds back to a normalised value: ((ms - lo) / (hi - lo))^0.4, 0 at or below the
// stage's shortest time (4 ms, or 0 for hold), 1 at or above its longest. NaN gives 0.
// // any thread
float ConvertSecondsToNormalised(double seconds, EnvelopeTimeStage stage);
