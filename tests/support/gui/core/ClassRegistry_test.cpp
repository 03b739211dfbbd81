// The class registry: registration rules, creation by name and is-a through the bases.
#include <gtest/gtest.h>

#include "support/gui/ClassRegistry.h"
#include "support/gui/CtrlRoot.h"

namespace {

using VGui::ClassRegistry;
using VGui::Ctrl;

class RegSlider : public Ctrl {
 public:
  static constexpr const char* kClassName = "RegSlider";
  const char* ClassName() const override { return kClassName; }
};
class RegSmartFader : public RegSlider {
 public:
  static constexpr const char* kClassName = "RegSmartFader";
  const char* ClassName() const override { return kClassName; }
};
class RegButton : public Ctrl {
 public:
  static constexpr const char* kClassName = "RegButton";
  const char* ClassName() const override { return kClassName; }
};

class ClassRegistryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(VGui::RegisterClass<RegSlider>("RegSlider", "Ctrl"));
    ASSERT_TRUE(VGui::RegisterClass<RegSmartFader>("RegSmartFader", "RegSlider"));
    ASSERT_TRUE(VGui::RegisterClass<RegButton>("RegButton", "Ctrl"));
  }
};

TEST_F(ClassRegistryTest, CoreClassesAreKnownFromTheStart) {
  auto& registry = ClassRegistry::Instance();
  EXPECT_TRUE(registry.Knows("Ctrl"));
  EXPECT_TRUE(registry.Knows("CtrlRoot"));
  EXPECT_EQ(registry.BaseOf("CtrlRoot"), "Ctrl");
  EXPECT_EQ(registry.BaseOf("Ctrl"), "");
  EXPECT_FALSE(registry.Knows("NoSuchClass"));
}

TEST_F(ClassRegistryTest, IsAFollowsTheBaseChain) {
  struct Case {
    const char* className;
    const char* base;
    bool expected;
  };
  const Case cases[] = {
      {"RegSmartFader", "RegSmartFader", true},
      {"RegSmartFader", "RegSlider", true},
      {"RegSmartFader", "Ctrl", true},
      {"RegSlider", "RegSmartFader", false},
      {"RegButton", "RegSlider", false},
      {"RegSlider", "CtrlRoot", false},
      {"CtrlRoot", "Ctrl", true},
      {"Unknown", "Ctrl", false},
      {"RegSlider", "Unknown", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassRegistry::Instance().IsA(c.className, c.base), c.expected)
        << c.className << " is-a " << c.base;
  }
}

TEST_F(ClassRegistryTest, IsAOnAControlUsesItsClassName) {
  RegSmartFader fader;
  RegButton button;
  EXPECT_TRUE(VGui::IsA(fader, "RegSlider"));
  EXPECT_FALSE(VGui::IsA(button, "RegSlider"));
  EXPECT_TRUE(VGui::IsA(button, "Ctrl"));
}

TEST_F(ClassRegistryTest, CreatesTheRegisteredClass) {
  auto control = ClassRegistry::Instance().Create("RegSmartFader");
  ASSERT_NE(control, nullptr);
  EXPECT_STREQ(control->ClassName(), "RegSmartFader");
  EXPECT_NE(dynamic_cast<RegSmartFader*>(control.get()), nullptr);
  auto root = ClassRegistry::Instance().Create("CtrlRoot");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Root(), root.get());
  EXPECT_EQ(ClassRegistry::Instance().Create("NoSuchClass"), nullptr);
}

TEST_F(ClassRegistryTest, RefusesBadRegistrations) {
  auto factory = [] { return std::make_unique<Ctrl>(); };
  struct Case {
    const char* name;
    const char* base;
    bool withFactory;
    const char* why;
  };
  const Case cases[] = {
      {"", "Ctrl", true, "empty name"},
      {"Orphan", "NoSuchBase", true, "unknown base"},
      {"SelfBased", "SelfBased", true, "own base"},
      {"NoFactory", "Ctrl", false, "no factory"},
      {"RegSmartFader", "RegButton", true, "same name, other base"},
      {"Ctrl", "CtrlRoot", true, "the root class"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(ClassRegistry::Instance().Register(
        c.name, c.base, c.withFactory ? VGui::CtrlFactory(factory) : VGui::CtrlFactory()))
        << c.why;
  }
  EXPECT_FALSE(ClassRegistry::Instance().Knows("Orphan"));
  EXPECT_EQ(ClassRegistry::Instance().BaseOf("RegSmartFader"), "RegSlider");
}

TEST_F(ClassRegistryTest, RegisteringAgainWithTheSameBaseSucceeds) {
  // A second plug-in instance in the same process starts up the same way.
  EXPECT_TRUE(VGui::RegisterClass<RegSlider>("RegSlider", "Ctrl"));
  const auto names = ClassRegistry::Instance().Names();
  EXPECT_EQ(std::count(names.begin(), names.end(), "RegSlider"), 1);
}

}  // namespace
