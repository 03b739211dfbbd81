// Monotonic high-resolution clock readings and a stop-watch.
#pragma once

#include <cstdint>

namespace VFoundation {

// Seconds from an arbitrary origin (the performance counter on Windows). Any thread, no allocation.
double NowSeconds();
// Raw high-resolution counter reading; its low 32 bits seed the random generators.
uint64_t HighResolutionCounter();

class StopWatch {
 public:
  StopWatch() : start_(NowSeconds()) {}
  void Restart() { start_ = NowSeconds(); }
  double ElapsedSeconds() const { return NowSeconds() - start_; }

 private:
  double start_;
};

}  // namespace VFoundation
