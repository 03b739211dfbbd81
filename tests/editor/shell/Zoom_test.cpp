// Zoom: the utility menu's submenu, the preference read at open, the host asked for the new size
// (and a host that refuses), the window and its rectangles at the new scale, and the 2x images
// drawn above 100 % (decoded only then).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "ShellTestKit.h"
#include "editor/Editor.h"
#include "editor/UtilityControlsPanel.h"
#include "support/Options.h"
#include "support/gui/Canvas.h"
#include "support/gui/Style.h"
#include "support/gui/controls/CtrlButton.h"

namespace {

using shelltest::HostCalls;

constexpr const char* kProbeName = "ZoomProbe";
constexpr VGui::Rect kProbeRect{100, 405, 16, 16};

class FakeZoomHost : public IZoomHost {
 public:
  int32_t ZoomPercent() const override { return current; }
  void RequestZoom(int32_t percent) override { requested.push_back(percent); }
  int32_t current = 100;
  std::vector<int32_t> requested;
};

// --- The submenu ---------------------------------------------------------------------------------

class ZoomMenu : public ::testing::TestWithParam<int32_t> {};

TEST_P(ZoomMenu, ListsTheFourZoomsWithTheCurrentOneCheckedAndSendsTheChoice) {
  FakeZoomHost host;
  host.current = GetParam();
  UtilityControlsPanel panel;
  panel.SetZoomHost(&host);
  panel.FillNorvMenu();
  const auto& items = panel.Menu().Items();
  ASSERT_GE(items.size(), 2u);
  EXPECT_TRUE(items[items.size() - 2].separator) << "the zoom submenu stands apart";
  const VGui::PopupMenu::Item& zoom = items.back();
  EXPECT_EQ(zoom.text, "Zoom");
  ASSERT_NE(zoom.submenu, nullptr);
  const char* const texts[] = {"100%", "125%", "150%", "200%"};
  const auto& choices = zoom.submenu->Items();
  ASSERT_EQ(choices.size(), std::size(texts));
  for (size_t i = 0; i < choices.size(); ++i) {
    SCOPED_TRACE(texts[i]);
    EXPECT_EQ(choices[i].text, texts[i]);
    EXPECT_EQ(choices[i].checked, choices[i].argument == GetParam());
    EXPECT_TRUE(choices[i].enabled);
    const VGui::CommandEvent chosen{choices[i].command, choices[i].argument, nullptr};
    panel.CommandEvent(&chosen);
    ASSERT_EQ(host.requested.size(), i + 1);
    EXPECT_EQ(host.requested.back(), std::stoi(texts[i]));
  }
}

INSTANTIATE_TEST_SUITE_P(Current, ZoomMenu, ::testing::Values(100, 125, 150, 200));

// --- Sizes ---------------------------------------------------------------------------------------

struct SizeCase {
  int32_t percent;
  VGui::Size size;
};

TEST(ZoomSize, IsTheEditorTimesTheZoomRoundedAndAnythingElseIs100) {
  // 962 x 438 times 1.25 and 1.5 is 1202.5 x 547.5 and 1443 x 657.
  const SizeCase cases[] = {{100, {962, 438}},  {125, {1203, 548}}, {150, {1443, 657}},
                            {200, {1924, 876}}, {175, {962, 438}},  {0, {962, 438}},
                            {-200, {962, 438}}};
  for (const SizeCase& c : cases) {
    EXPECT_EQ(Editor::ZoomedSize(c.percent), c.size) << c.percent;
  }
}

// --- The editor ----------------------------------------------------------------------------------

// The test skins with one image-drawing control whose 2x twin is not an enlargement of its 1x
// image: a 1x image of two flat halves and a 2x image of one-pixel checks.
class ZoomEditorTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    shelltest::WriteTestSkins(resources_.Path());
    shelltest::WriteFile(resources_.Path() / "RootSkin.skin", R"(<skin>
  <style name="ProbeStyle" image="Images/Probe.png"/>
  <control class="SynthEditor" name="SynthEditor" rect="0 0 962 400"/>
  <panel name="PresetPanel" rect="300 405 300 28"/>
  <control class="UtilityControlsPanel" name="UtilityControls" rect="620 405 330 28"/>
  <control class="CtrlLabel" name="FrameRateLabel" rect="5 405 60 28"/>
  <control class="Ctrl" name="ZoomProbe" rect="100 405 16 16" style="ProbeStyle"/>
</skin>)");
    standard_ = MakeProbe(16, [](int x, int) { return x < 8 ? 0xFFC03020u : 0xFF2040C0u; });
    dense_ = MakeProbe(32, [](int x, int y) { return (x + y) % 2 ? 0xFF10E060u : 0xFFF0F0F0u; });
    WritePng(resources_.Path() / "Images" / "Probe.png", standard_);
    WritePng(resources_.Path() / "Images" / "Probe@2x.png", dense_);
  }
  void TearDown() override {
    editor_.reset();
    VApplication::Options::WriteInteger(Editor::kZoomPreference, 100);
    ShellTest::TearDown();
  }

  template <class Colour>
  static VGui::PixelImage MakeProbe(int side, Colour colour) {
    VGui::PixelImage image(side, side);
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) image.Row(y)[x] = colour(x, y);
    }
    return image;
  }
  static void WritePng(const std::filesystem::path& file, const VGui::PixelImage& image) {
    const std::vector<uint8_t> bytes = VGui::EncodePng(image);
    ASSERT_FALSE(bytes.empty());
    shelltest::WriteFile(file, std::string(bytes.begin(), bytes.end()));
  }

  Editor& OpenEditor() {
    EditorOptions options;
    options.resources = resources_.Path();
    options.openWindow = [](VGui::CtrlRoot& root, uintptr_t, VGui::Size logical, float scale,
                            std::string&) {
      return std::make_unique<VGui::RootWindow>(root, logical, scale);
    };
    editor_ = std::make_unique<Editor>(Plugin(), std::move(options));
    EXPECT_TRUE(editor_->open(nullptr));
    return *editor_;
  }

  static VGui::Size Rect(Editor& editor) {
    vst::ERect* rect = nullptr;
    EXPECT_TRUE(editor.getRect(&rect));
    if (!rect) return {};
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    return {rect->right - rect->left, rect->bottom - rect->top};
  }

  // The zoom as the user picks it: the utility menu's command.
  static void ChooseZoom(Editor& editor, int32_t percent) {
    ASSERT_NE(editor.GetUtilityControls(), nullptr);
    const VGui::CommandEvent chosen{UtilityControlsPanel::kSetZoom, percent, nullptr};
    editor.GetUtilityControls()->CommandEvent(&chosen);
    editor.Root().Tick();
  }

  static const VGui::PixelImage& Frame(Editor& editor, std::vector<VGui::Rect>& changed) {
    return editor.Window()->RenderFrame(changed);
  }

  static VGui::PixelImage Crop(const VGui::PixelImage& frame, const VGui::Rect& area) {
    VGui::PixelImage part(area.width, area.height);
    for (int y = 0; y < area.height; ++y) {
      for (int x = 0; x < area.width; ++x) part.Row(y)[x] = frame.At(area.x + x, area.y + y);
    }
    return part;
  }
  static bool SamePixels(const VGui::PixelImage& a, const VGui::PixelImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y) {
      for (int x = 0; x < a.Width(); ++x) {
        if (a.At(x, y) != b.At(x, y)) return false;
      }
    }
    return true;
  }

  const VGui::ImageSet& ProbeImage(Editor& editor) {
    VGui::Ctrl* probe = editor.MainPanel()->FindDescendant(kProbeName);
    EXPECT_NE(probe, nullptr);
    EXPECT_NE(probe->StylePointer(), nullptr);
    return probe->StylePointer()->image;
  }

  shelltest::TempFolder resources_;
  std::unique_ptr<Editor> editor_;
  VGui::PixelImage standard_;
  VGui::PixelImage dense_;
};

struct PreferenceCase {
  const char* stored;  // null: no preference
  int32_t zoom;
};

class ZoomPreference : public ZoomEditorTest,
                       public ::testing::WithParamInterface<PreferenceCase> {};

TEST_P(ZoomPreference, IsReadAtOpenAndSizesTheWindowAndTheRectangle) {
  if (GetParam().stored) {
    ASSERT_TRUE(VApplication::Options::WriteString(Editor::kZoomPreference, GetParam().stored));
  }
  const VGui::Size expected = Editor::ZoomedSize(GetParam().zoom);
  Editor& editor = OpenEditor();
  EXPECT_EQ(editor.ZoomPercent(), GetParam().zoom);
  EXPECT_FLOAT_EQ(editor.Window()->Scale(), float(GetParam().zoom) / 100.0f);
  EXPECT_EQ(Rect(editor), expected);
  std::vector<VGui::Rect> changed;
  const VGui::PixelImage& frame = Frame(editor, changed);
  EXPECT_EQ((VGui::Size{frame.Width(), frame.Height()}), expected);
  editor.close();
  EXPECT_EQ(Rect(editor), expected) << "a closed editor answers the size it will open at";
}

INSTANTIATE_TEST_SUITE_P(Stored, ZoomPreference,
                         ::testing::Values(PreferenceCase{nullptr, 100}, PreferenceCase{"100", 100},
                                           PreferenceCase{"125", 125}, PreferenceCase{"150", 150},
                                           PreferenceCase{"200", 200}, PreferenceCase{"175", 100},
                                           PreferenceCase{"-200", 100},
                                           PreferenceCase{"huge", 100}));

struct ChangeCase {
  const char* name;
  vst::VstIntPtr hostAnswer;
  int32_t from;
  int32_t to;
};

class ZoomChange : public ZoomEditorTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ZoomChange, AsksTheHostAndChangesOnlyWhenItAgrees) {
  const ChangeCase& c = GetParam();
  ASSERT_TRUE(VApplication::Options::WriteInteger(Editor::kZoomPreference, c.from));
  Editor& editor = OpenEditor();
  ASSERT_EQ(editor.ZoomPercent(), c.from);
  shelltest::SizeWindowAnswer() = c.hostAnswer;
  HostCalls().clear();

  ChooseZoom(editor, c.to);

  std::vector<shelltest::HostCallRecord> asked;
  for (const auto& call : HostCalls()) {
    if (call.opcode == vst::audioMasterSizeWindow) asked.push_back(call);
  }
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].index, Editor::ZoomedSize(c.to).width);
  EXPECT_EQ(asked[0].integer, Editor::ZoomedSize(c.to).height);

  const int32_t shown = c.hostAnswer != 0 ? c.to : c.from;
  EXPECT_EQ(editor.ZoomPercent(), shown);
  EXPECT_FLOAT_EQ(editor.Window()->Scale(), float(shown) / 100.0f);
  EXPECT_FLOAT_EQ(editor.Root().Scale(), float(shown) / 100.0f);
  EXPECT_EQ(Rect(editor), Editor::ZoomedSize(shown));
  EXPECT_EQ(VApplication::Options::ReadInteger(Editor::kZoomPreference, 0), shown);
  std::vector<VGui::Rect> changed;
  const VGui::PixelImage& frame = Frame(editor, changed);
  EXPECT_EQ((VGui::Size{frame.Width(), frame.Height()}), Editor::ZoomedSize(shown));
}

INSTANTIATE_TEST_SUITE_P(Hosts, ZoomChange,
                         ::testing::Values(ChangeCase{"Agrees100To200", 1, 100, 200},
                                           ChangeCase{"Agrees100To150", 1, 100, 150},
                                           ChangeCase{"Agrees200To125", 1, 200, 125},
                                           ChangeCase{"Refuses100To200", 0, 100, 200},
                                           ChangeCase{"Refuses150To100", 0, 150, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

class ZoomRectangles : public ZoomEditorTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(ZoomRectangles, AControlRepaintsItsLogicalRectangleTimesTheScale) {
  Editor& editor = OpenEditor();
  shelltest::SizeWindowAnswer() = 1;
  ChooseZoom(editor, GetParam());
  ASSERT_EQ(editor.ZoomPercent(), GetParam());
  const float scale = float(GetParam()) / 100.0f;
  std::vector<VGui::Rect> changed;
  Frame(editor, changed);
  for (const char* name : {"NorvButton", "FrameRateLabel", kProbeName}) {
    SCOPED_TRACE(name);
    VGui::Ctrl* control = editor.MainPanel()->FindDescendant(name);
    ASSERT_NE(control, nullptr);
    const VGui::Rect logical = control->RootBounds();
    control->Invalidate();
    Frame(editor, changed);
    const int left = int(std::floor(float(logical.x) * scale));
    const int top = int(std::floor(float(logical.y) * scale));
    const VGui::Rect device{left, top, int(std::ceil(float(logical.Right()) * scale)) - left,
                            int(std::ceil(float(logical.Bottom()) * scale)) - top};
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0], device);
  }
}

INSTANTIATE_TEST_SUITE_P(Zooms, ZoomRectangles, ::testing::Values(100, 125, 150, 200));

TEST_F(ZoomEditorTest, The2xImageIsDecodedOnlyAbove100AndDrawnPixelForPixel) {
  Editor& editor = OpenEditor();
  std::vector<VGui::Rect> changed;
  const VGui::PixelImage& standardFrame = Frame(editor, changed);
  EXPECT_TRUE(SamePixels(Crop(standardFrame, kProbeRect), standard_)) << "1x image at 100 %";
  const VGui::ImageSet& image = ProbeImage(editor);
  ASSERT_FALSE(image.dense.Decoded()) << "the 2x image was decoded at 100 %";

  shelltest::SizeWindowAnswer() = 1;
  ChooseZoom(editor, 200);
  ASSERT_EQ(editor.ZoomPercent(), 200);
  const VGui::PixelImage& denseFrame = Frame(editor, changed);
  const VGui::Rect device{kProbeRect.x * 2, kProbeRect.y * 2, 32, 32};
  const VGui::PixelImage shown = Crop(denseFrame, device);
  EXPECT_TRUE(image.dense.Decoded());
  EXPECT_TRUE(SamePixels(shown, dense_)) << "the 200 % editor does not show the 2x image";
  const VGui::PixelImage enlarged =
      MakeProbe(32, [this](int x, int y) { return standard_.At(x / 2, y / 2); });
  EXPECT_FALSE(SamePixels(shown, enlarged)) << "the 200 % editor shows the 1x image enlarged";
}

}  // namespace
