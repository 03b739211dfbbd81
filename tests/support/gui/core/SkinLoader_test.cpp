// Skin files: definitions, controls, includes, images and what happens to broken parts.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/XmlDocument.h"
#include "support/gui/ClassRegistry.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/SkinLoader.h"
#include "support/gui/SkinSet.h"
#include "tests/support/gui/core/TestPng.h"

namespace {

using VGui::Ctrl;

// A class with its own skin attribute and a hook that records the load order.
class SkinProbe : public Ctrl {
 public:
  static constexpr const char* kClassName = "SkinProbe";
  const char* ClassName() const override { return kClassName; }
  void ReadSkinAttributes(const VFoundation::XmlNode& element,
                          const VGui::SkinSet& skins) override {
    Ctrl::ReadSkinAttributes(element, skins);
    element.ReadString("caption", caption);
    childrenAtRead = Children().size();
  }
  void SkinLoaded(VGui::SkinSet&) override { childrenAtLoaded = Children().size(); }
  std::string caption;
  size_t childrenAtRead = 99;
  size_t childrenAtLoaded = 99;
};

bool HasProblem(const VGui::SkinLoadReport& report, const std::string& part) {
  return std::any_of(report.problems.begin(), report.problems.end(),
                     [&](const std::string& p) { return p.find(part) != std::string::npos; });
}

class SkinLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(VGui::RegisterClass<SkinProbe>("SkinProbe", "Ctrl"));
    folder =
        VGuiTest::ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    root.SetBounds({0, 0, 962, 438});
    root.Skins().SetResourceFolder(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::filesystem::path folder;
  VGui::CtrlRoot root;
};

constexpr const char* kGoodSkin = R"(<?xml version="1.0"?>
<skin>
  <colour name="Ink" value="#E0E0E0"/>
  <colour name="LearnOverlayColour" value="#FF000040"/>
  <font name="Small" size="9" bold="true"/>
  <style name="Base" background="#101010" text="Ink" radius="3" align="left" font="Small"/>
  <style name="Derived" base="Base" border="#FF0000" borderWidth="1.5" frames="4" knobSweep="270"/>
  <panel name="Main" rect="0 0 962 438" style="Base">
    <control class="SkinProbe" name="Probe" id="42" rect="10 20 30 40" style="Derived"
             tooltip="A probe" caption="Hello" visible="false">
      <control class="Ctrl" name="Grandchild" rect="1 2 3 4"/>
    </control>
  </panel>
</skin>
)";

TEST_F(SkinLoaderTest, LoadsDefinitionsAndControls) {
  VGuiTest::WriteText(folder / "Good.skin", kGoodSkin);
  VGui::SkinLoadReport report;
  ASSERT_TRUE(VGui::LoadSkin(root, "Good.skin", &report));
  EXPECT_TRUE(report.problems.empty()) << report.problems.front();
  EXPECT_EQ(report.controls, 3);

  const auto& skins = root.Skins();
  EXPECT_EQ(skins.FindColour("LearnOverlayColour"), (VGui::Colour{255, 0, 0, 64}));
  ASSERT_TRUE(skins.FindFont("Small"));
  EXPECT_EQ(*skins.FindFont("Small"), (VGui::Font{9.0f, true}));
  auto derived = skins.FindStyle("Derived");
  ASSERT_NE(derived, nullptr);
  EXPECT_EQ(derived->background, (VGui::Colour{16, 16, 16, 255}));  // from the base
  EXPECT_EQ(derived->text, (VGui::Colour{224, 224, 224, 255}));     // a named colour
  EXPECT_EQ(derived->border, (VGui::Colour{255, 0, 0, 255}));
  EXPECT_FLOAT_EQ(derived->borderWidth, 1.5f);
  EXPECT_FLOAT_EQ(derived->radius, 3.0f);
  EXPECT_EQ(derived->align, VGui::HAlign::kLeft);
  EXPECT_EQ(derived->font, (VGui::Font{9.0f, true}));
  EXPECT_EQ(derived->frames, 4);
  EXPECT_EQ(derived->Extra("knobSweep"), "270");
  EXPECT_FALSE(derived->Extra("base"));

  auto* probe = dynamic_cast<SkinProbe*>(root.FindDescendant("Probe"));
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->Parent()->Name(), "Main");
  EXPECT_EQ(probe->Id(), 42);
  EXPECT_EQ(probe->Bounds(), (VGui::Rect{10, 20, 30, 40}));
  EXPECT_EQ(probe->StylePointer(), derived);
  EXPECT_EQ(probe->Tooltip(), "A probe");
  EXPECT_FALSE(probe->Visible());
  EXPECT_EQ(probe->caption, "Hello");
  // Class attributes are read before the children load; the hook runs after them.
  EXPECT_EQ(probe->childrenAtRead, 0u);
  EXPECT_EQ(probe->childrenAtLoaded, 1u);
  EXPECT_EQ(root.FindDescendant("Grandchild")->Parent(), probe);
}

TEST_F(SkinLoaderTest, MissingOrMalformedFilesAddNothing) {
  struct Case {
    const char* file;
    const char* content;  // null: no file at all
  };
  const Case cases[] = {
      {"Missing.skin", nullptr},
      {"Broken.skin", "<skin><panel name=\"A\"></skin>"},
      {"Wrong.skin", "<notaskin><panel name=\"A\"/></notaskin>"},
      {"Empty.skin", ""},
  };
  for (const auto& c : cases) {
    if (c.content) VGuiTest::WriteText(folder / c.file, c.content);
    VGui::SkinLoadReport report;
    EXPECT_FALSE(VGui::LoadSkin(root, c.file, &report)) << c.file;
    EXPECT_TRUE(HasProblem(report, c.file)) << c.file;
    EXPECT_TRUE(root.Children().empty()) << c.file;
  }
}

TEST_F(SkinLoaderTest, UnknownClassBecomesAPanelThatKeepsItsChildren) {
  VGuiTest::WriteText(folder / "Unknown.skin", R"(<skin>
    <control class="NoSuchWidget" name="Odd" rect="0 0 50 50">
      <control class="SkinProbe" name="Kept" rect="1 1 5 5"/>
    </control>
  </skin>)");
  VGui::SkinLoadReport report;
  ASSERT_TRUE(VGui::LoadSkin(root, "Unknown.skin", &report));
  EXPECT_TRUE(HasProblem(report, "unknown control class NoSuchWidget"));
  Ctrl* odd = root.FindDescendant("Odd");
  ASSERT_NE(odd, nullptr);
  const std::string cls = odd->ClassName();
  EXPECT_TRUE(cls == "CtrlPanel" || cls == "Ctrl") << cls;
  ASSERT_NE(root.FindDescendant("Kept"), nullptr);
  EXPECT_EQ(root.FindDescendant("Kept")->Parent(), odd);
}

TEST_F(SkinLoaderTest, BadPartsAreReportedAndTheRestLoads) {
  struct Case {
    const char* element;
    const char* problem;
  };
  const Case cases[] = {
      {R"(<control class="Ctrl" name="A" style="NoStyle"/>)", "unknown style NoStyle"},
      {R"(<control class="Ctrl" name="A" rect="1 2 three 4"/>)", "bad rect"},
      {R"(<control class="Ctrl" name="A" id="x"/>)", "bad id"},
      {R"(<style name="S" background="#12"/>)", "bad colour"},
      {R"(<style name="S" base="Nope"/>)", "unknown base style Nope"},
      {R"(<style name="S" radius="-2"/>)", "bad radius"},
      {R"(<style name="S" align="middle"/>)", "bad align"},
      {R"(<style name="S" font="huge"/>)", "bad font"},
      {R"(<style name="S" image="Images/none.png"/>)", "cannot load image"},
      {R"(<colour name="C" value="red"/>)", "bad colour"},
      {R"(<font name="F" size="-1"/>)", "bad size"},
      {R"(<image name="I" file="Images/none.png"/>)", "cannot load"},
      {R"(<include file="NoSuch.skin"/>)", "cannot read included skin"},
      {R"(<widget/>)", "unknown element <widget>"},
      {R"(<control name="NoClass"/>)", "without a class"},
  };
  for (const auto& c : cases) {
    VGui::CtrlRoot fresh;
    fresh.Skins().SetResourceFolder(folder);
    const std::string text =
        std::string("<skin>") + c.element + R"(<control class="Ctrl" name="Survivor"/></skin>)";
    VGui::SkinLoadReport report;
    ASSERT_TRUE(VGui::LoadSkinText(fresh, text, fresh.Skins(), &report)) << c.element;
    EXPECT_TRUE(HasProblem(report, c.problem)) << c.element;
    EXPECT_NE(fresh.FindDescendant("Survivor"), nullptr) << c.element;
  }
}

TEST_F(SkinLoaderTest, IncludesShareStylesAndStopWhenTheyLoop) {
  VGuiTest::WriteText(folder / "Shared" / "Styles.skin", R"(<skin>
    <colour name="Accent" value="#00FF00"/>
    <style name="SharedStyle" accent="Accent"/>
    <control class="Ctrl" name="IgnoredInInclude"/>
  </skin>)");
  VGuiTest::WriteText(folder / "Loop.skin", R"(<skin><include file="Loop.skin"/></skin>)");
  VGuiTest::WriteText(folder / "Main.skin", R"(<skin>
    <include file="Shared/Styles.skin"/>
    <include file="Loop.skin"/>
    <control class="Ctrl" name="User" style="SharedStyle"/>
  </skin>)");
  VGui::SkinLoadReport report;
  ASSERT_TRUE(VGui::LoadSkin(root, "Main.skin", &report));
  auto style = root.Skins().FindStyle("SharedStyle");
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->accent, (VGui::Colour{0, 255, 0, 255}));
  EXPECT_EQ(root.FindDescendant("User")->StylePointer(), style);
  EXPECT_EQ(root.FindDescendant("IgnoredInInclude"), nullptr);
  EXPECT_TRUE(HasProblem(report, "nested too deep"));
}

TEST_F(SkinLoaderTest, ImagesLoadWithTheirDenseTwin) {
  VGuiTest::WriteFile(folder / "Images" / "Knob.png", VGuiTest::MakePng(8, 32));
  VGuiTest::WriteFile(folder / "Images" / "Knob@2x.png", VGuiTest::MakePng(16, 64));
  VGuiTest::WriteFile(folder / "Images" / "Flat.png", VGuiTest::MakePng(4, 4));
  VGuiTest::WriteText(folder / "Images.skin", R"(<skin>
    <image name="Knob" file="Images/Knob.png"/>
    <style name="KnobStyle" image="Knob" frames="4"/>
    <style name="FlatStyle" image="Images/Flat.png"/>
  </skin>)");
  VGui::SkinLoadReport report;
  ASSERT_TRUE(VGui::LoadSkin(root, "Images.skin", &report));
  EXPECT_TRUE(report.problems.empty());
  const VGui::ImageSet knob = root.Skins().FindImage("Knob");
  ASSERT_TRUE(knob.standard && knob.dense);
  EXPECT_EQ(knob.standard->Width(), 8);
  EXPECT_EQ(knob.dense->Height(), 64);
  EXPECT_EQ(root.Skins().FindStyle("KnobStyle")->image.standard, knob.standard);
  const VGui::ImageSet flat = root.Skins().FindStyle("FlatStyle")->image;
  ASSERT_TRUE(flat.standard);
  EXPECT_FALSE(flat.dense);
  EXPECT_EQ(flat.standard->Width(), 4);
}

TEST_F(SkinLoaderTest, LoadOnADetachedPanelNeedsASkinSet) {
  Ctrl detached;
  VGuiTest::WriteText(folder / "Good.skin", kGoodSkin);
  EXPECT_FALSE(VGui::LoadSkin(detached, "Good.skin"));
  VGui::SkinSet own;
  own.SetResourceFolder(folder);
  EXPECT_TRUE(VGui::LoadSkin(detached, "Good.skin", own));
  EXPECT_NE(detached.FindDescendant("Probe"), nullptr);
  EXPECT_NE(own.FindStyle("Derived"), nullptr);
}

TEST_F(SkinLoaderTest, StylesOnlyLoadIgnoresControls) {
  VGuiTest::WriteText(folder / "Good.skin", kGoodSkin);
  ASSERT_TRUE(VGui::LoadStyles("Good.skin", root.Skins()));
  EXPECT_NE(root.Skins().FindStyle("Derived"), nullptr);
  EXPECT_TRUE(root.Children().empty());
}

}  // namespace
