// The editor's host calls: made at once where the window ticks on the host's thread, otherwise
// held for the host's idle call, and made from the tick when the idle calls have stopped.
#include "editor/HostCallQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct QueueRig {
  double now = 100.0;
  std::vector<HostCall> delivered;
  HostCallQueue queue{[this](const HostCall& call) { delivered.push_back(call); },
                      [this] { return now; }};
};

const HostCall kBegin{HostCallKind::kBeginEdit, 7, 0.0f};
const HostCall kAutomate{HostCallKind::kAutomate, 7, 0.25f};
const HostCall kEnd{HostCallKind::kEndEdit, 7, 0.0f};

struct Case {
  const char* name;
  bool direct;
  // Seconds since the last idle call when the tick makes the calls; negative: no idle call yet.
  double sinceIdle;
  bool deliveredByTick;
};

class HostCallQueueRules : public ::testing::TestWithParam<Case> {};

TEST_P(HostCallQueueRules, TickDeliversOnlyWhenDirectOrIdleStopped) {
  const Case& c = GetParam();
  QueueRig rig;
  rig.queue.Start(c.direct);
  if (c.sinceIdle >= 0.0) {
    rig.queue.OnHostIdle();
    rig.now += c.sinceIdle;
  }
  rig.queue.Call(kBegin);
  rig.queue.Call(kAutomate);
  rig.queue.OnTick();
  rig.queue.Call(kEnd);
  rig.queue.OnTick();
  if (c.deliveredByTick) {
    EXPECT_EQ(rig.delivered, (std::vector<HostCall>{kBegin, kAutomate, kEnd}));
    EXPECT_EQ(rig.queue.Pending(), 0u);
  } else {
    EXPECT_TRUE(rig.delivered.empty());
    EXPECT_EQ(rig.queue.Pending(), 3u);
    rig.queue.OnHostIdle();
    EXPECT_EQ(rig.delivered, (std::vector<HostCall>{kBegin, kAutomate, kEnd}));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostCallQueueRules,
                         ::testing::Values(Case{"DirectWindow", true, 0.0, true},
                                           Case{"DirectWindowWithoutIdle", true, -1.0, true},
                                           Case{"IdleJustCame", false, 0.0, false},
                                           Case{"IdleAt240ms", false, 0.24, false},
                                           Case{"IdleStoppedFor260ms", false, 0.26, true},
                                           Case{"IdleStoppedLongAgo", false, 5.0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostCallQueue, OpeningGivesTheHostAQuarterSecondToSendIdleCalls) {
  QueueRig rig;
  rig.queue.Start(false);
  rig.queue.Call(kBegin);
  rig.now += 0.2;
  rig.queue.OnTick();
  EXPECT_TRUE(rig.delivered.empty());
  rig.now += 0.1;
  rig.queue.OnTick();
  EXPECT_EQ(rig.delivered, (std::vector<HostCall>{kBegin}));
}

TEST(HostCallQueue, HeldCallsWaitWhileIdleCallsKeepComing) {
  QueueRig rig;
  rig.queue.Start(false);
  for (int tick = 0; tick < 20; ++tick) {
    rig.queue.Call({HostCallKind::kAutomate, tick, 0.5f});
    rig.queue.OnTick();
    rig.now += 0.04;
    EXPECT_EQ(rig.delivered.size(), size_t(tick));
    rig.queue.OnHostIdle();
    ASSERT_EQ(rig.delivered.size(), size_t(tick + 1));
    EXPECT_EQ(rig.delivered.back().index, tick);
  }
}

TEST(HostCallQueue, ClearForgetsHeldCalls) {
  QueueRig rig;
  rig.queue.Start(false);
  rig.queue.Call(kBegin);
  rig.queue.Clear();
  rig.queue.OnHostIdle();
  EXPECT_TRUE(rig.delivered.empty());
}

}  // namespace
