// BindControl and ReplaceControl: lookups, class checks, failure texts, placement.
#include <gtest/gtest.h>

#include "support/gui/Binding.h"
#include "support/gui/CtrlRoot.h"

namespace {

using VGui::Ctrl;

class BindKnob : public Ctrl {
 public:
  static constexpr const char* kClassName = "BindKnob";
  const char* ClassName() const override { return kClassName; }
};
class BindSmartKnob : public BindKnob {
 public:
  static constexpr const char* kClassName = "BindSmartKnob";
  const char* ClassName() const override { return kClassName; }
};
// Known to C++ but never registered.
class BindUnregistered : public Ctrl {
 public:
  static constexpr const char* kClassName = "BindUnregistered";
  const char* ClassName() const override { return kClassName; }
};

class Listener : public VGui::ICtrlListener {
 public:
  void ControlEvent(Ctrl&, VGui::ControlEventKind) override {}
};

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(VGui::RegisterClass<BindKnob>("BindKnob", "Ctrl"));
    ASSERT_TRUE(VGui::RegisterClass<BindSmartKnob>("BindSmartKnob", "BindKnob"));
    root.SetBounds({0, 0, 400, 300});
    Ctrl* panel = root.AddChild(Named<Ctrl>("Panel", {10, 10, 200, 200}));
    Ctrl* inner = panel->AddChild(Named<Ctrl>("Inner", {5, 5, 100, 100}));
    inner->AddChild(Named<BindSmartKnob>("Cutoff", {1, 2, 30, 30}));
    panel->AddChild(Named<Ctrl>("Plain", {50, 50, 20, 20}));
    Ctrl* holder = panel->AddChild(Named<Ctrl>("Holder", {0, 120, 100, 60}));
    holder->AddChild(Named<Ctrl>("Before", {0, 0, 10, 10}));
    Ctrl* placeholder = holder->AddChild(Named<Ctrl>("XYPad", {7, 8, 40, 30}));
    placeholder->SetTooltip("pad");
    placeholder->AddChild(Named<Ctrl>("PadChild", {1, 1, 5, 5}));
    holder->AddChild(Named<Ctrl>("After", {0, 0, 10, 10}));
  }

  template <class T>
  static std::unique_ptr<Ctrl> Named(const char* name, VGui::Rect r) {
    auto control = std::make_unique<T>();
    control->SetName(name);
    control->SetBounds(r);
    return control;
  }

  VGui::CtrlRoot root;
  Listener listener;
};

TEST_F(BindingTest, BindsAControlOfTheClassOrADerivedOne) {
  BindKnob* knob = nullptr;
  std::string error = "stale";
  ASSERT_TRUE(VGui::BindControl(knob, root, "Cutoff", 34, &listener, &error));
  ASSERT_NE(knob, nullptr);
  EXPECT_EQ(knob->Name(), "Cutoff");
  EXPECT_EQ(knob->Id(), 34);
  EXPECT_EQ(knob->Listener(), &listener);
  EXPECT_TRUE(error.empty());
}

TEST_F(BindingTest, FailuresLeaveTheResultEmptyAndSayWhy) {
  struct Case {
    const char* name;
    const char* className;
    const char* expected;
  };
  const Case cases[] = {
      {"Missing", "BindKnob", "Failed to find control named Missing"},
      {"Plain", "BindKnob", "Control named Plain is not of the expected type BindKnob"},
      {"Cutoff", "Probe404",
       "Control named Cutoff is not of the expected type Probe404 (requested class not found in "
       "registry)"},
      {"Cutoff", "CtrlRoot", "Control named Cutoff is not of the expected type CtrlRoot"},
  };
  for (const auto& c : cases) {
    Ctrl* result = root.FindDescendant("Plain");
    std::string error;
    EXPECT_FALSE(VGui::BindControlByClass(result, root, c.name, 1, c.className, &listener, &error));
    EXPECT_EQ(result, nullptr) << c.name;
    EXPECT_EQ(error, c.expected);
  }
  // A failed bind must not have taken the control over.
  EXPECT_EQ(root.FindDescendant("Plain")->Listener(), nullptr);
}

TEST_F(BindingTest, TypedBindReportsAClassUnknownToTheRegistry) {
  BindUnregistered* result = nullptr;
  std::string error;
  EXPECT_FALSE(VGui::BindControl(result, root, "Cutoff", 5, &listener, &error));
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(error,
            "Control named Cutoff is not of the expected type BindUnregistered (requested class "
            "not found in registry)");
}

TEST_F(BindingTest, ReplaceTakesThePlaceholdersPlace) {
  Ctrl* holder = root.FindDescendant("Holder");
  BindKnob* pad = nullptr;
  std::string error;
  ASSERT_TRUE(VGui::ReplaceControl(pad, root, "XYPad", 5678, &listener, false, &error));
  ASSERT_NE(pad, nullptr);
  EXPECT_STREQ(pad->ClassName(), "BindKnob");
  EXPECT_EQ(pad->Parent(), holder);
  EXPECT_EQ(holder->IndexOf(pad), 1u);  // same place in the drawing order
  EXPECT_EQ(holder->Children().size(), 3u);
  EXPECT_EQ(pad->Bounds(), (VGui::Rect{7, 8, 40, 30}));
  EXPECT_EQ(pad->Id(), 5678);
  EXPECT_EQ(pad->Listener(), &listener);
  EXPECT_EQ(pad->Name(), "XYPad");
  EXPECT_EQ(pad->Tooltip(), "pad");
  EXPECT_EQ(root.FindDescendant("PadChild"), nullptr);
  EXPECT_EQ(root.FindDescendant("XYPad"), pad);
}

TEST_F(BindingTest, ReplaceCanKeepThePlaceholdersChildren) {
  Ctrl* pad = nullptr;
  ASSERT_TRUE(VGui::ReplaceControlByClass(pad, root, "XYPad", 1, "BindSmartKnob", &listener, true));
  ASSERT_NE(pad, nullptr);
  Ctrl* child = root.FindDescendant("PadChild");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->Parent(), pad);
}

TEST_F(BindingTest, ReplaceFailuresSayWhy) {
  struct Case {
    const char* placeholder;
    const char* className;
    const char* expected;
  };
  const Case cases[] = {
      {"NoPad", "BindKnob", "Failed to find control named NoPad"},
      {"XYPad", "NoSuchClass", "Control class NoSuchClass not found in registry"},
  };
  for (const auto& c : cases) {
    Ctrl* result = &root;
    std::string error;
    EXPECT_FALSE(VGui::ReplaceControlByClass(result, root, c.placeholder, 1, c.className, &listener,
                                             false, &error));
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(error, c.expected);
  }
  EXPECT_NE(root.FindDescendant("XYPad"), nullptr);  // nothing was removed
}

}  // namespace
