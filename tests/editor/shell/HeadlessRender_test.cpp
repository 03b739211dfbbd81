// The editor painted without a window: the picture has the editor's size at each scale and shows
// what the skins draw; the Transmod source a picture shows and how the demo chooses it.
#include "editor/HeadlessRender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "ShellTestKit.h"
#include "plugin/ParameterTable.h"

namespace {

class HeadlessRenderTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    shelltest::WriteTestSkins(resources_.Path());
    // One opaque square in a known colour where nothing else draws.
    shelltest::WriteFile(resources_.Path() / "RootSkin.skin", R"(<skin>
  <style name="Swatch" background="#336699"/>
  <panel name="Swatch" style="Swatch" rect="10 410 20 20"/>
  <panel name="PresetPanel" rect="300 405 300 28"/>
</skin>)");
  }
  shelltest::TempFolder resources_;
};

TEST_F(HeadlessRenderTest, PictureHasTheEditorsSizeAndTheSkinsColours) {
  struct Case {
    float scale;
    int width;
    int height;
  };
  for (const Case& c : {Case{1.0f, 962, 438}, Case{2.0f, 1924, 876}}) {
    const VGui::PixelImage image = RenderEditorHeadless(Plugin(), c.scale, resources_.Path());
    ASSERT_EQ(image.Width(), c.width) << c.scale;
    ASSERT_EQ(image.Height(), c.height) << c.scale;
    const auto at = [&](int x, int y) { return image.At(int(x * c.scale), int(y * c.scale)); };
    EXPECT_EQ(at(20, 420), 0xFF336699u) << c.scale;
    EXPECT_NE(at(5, 5), 0xFF336699u) << c.scale;
  }
}

// The shipped skins and images at every zoom the menu offers: the whole editor is painted (a
// picture of many colours) at the zoomed size, the same scene at each scale.
TEST(ShippedEditorRender, EveryZoomPaintsTheWholeEditor) {
  RegisterEditorControlClasses();
  auto plugin = std::make_unique<Norv>(shelltest::RecordingHost);
  plugin->setSampleRate(44100.0f);
  for (const float scale : {1.0f, 1.25f, 1.5f, 2.0f}) {
    const VGui::PixelImage image = RenderEditorHeadless(*plugin, scale, TAVO_RESOURCES_DIR);
    ASSERT_EQ(image.Width(), int(std::lround(962 * scale))) << scale;
    ASSERT_EQ(image.Height(), int(std::lround(438 * scale))) << scale;
    std::set<uint32_t> colours;
    for (int y = 0; y < image.Height(); y += 3) {
      for (int x = 0; x < image.Width(); x += 3) colours.insert(image.At(x, y));
    }
    EXPECT_GT(colours.size(), 200u) << scale;
    const auto at = [&](int x, int y) { return image.At(int(x * scale), int(y * scale)); };
    EXPECT_EQ(at(481, 246) >> 24, 0xFFu) << "opaque everywhere, " << scale;
  }
}

struct Routing {
  int32_t index;
  int32_t source;
  float depth;
};

struct BusiestCase {
  const char* name;
  std::vector<Routing> routings;
  int32_t busiest;
};

class BusiestSource : public shelltest::ShellTest,
                      public ::testing::WithParamInterface<BusiestCase> {};

TEST_P(BusiestSource, IsTheSourceWithTheMostDestinations) {
  for (const Routing& r : GetParam().routings) {
    Plugin().Engine().SetParameter(r.index, r.source, r.depth, true);
  }
  EXPECT_EQ(BusiestTransmodSource(Plugin()), GetParam().busiest);
}

INSTANTIATE_TEST_SUITE_P(
    Routings, BusiestSource,
    ::testing::Values(
        BusiestCase{"NothingModulated", {}, 0},
        BusiestCase{"OneDestination", {{ParameterTable::kF1Cutoff, 3, 0.5f}}, 3},
        BusiestCase{"MoreDestinationsWin",
                    {{0, 2, 0.5f}, {1, 2, 0.5f}, {2, 5, 0.1f}, {3, 5, 0.1f}, {4, 5, 0.1f}},
                    5},
        BusiestCase{
            "TheLowestOfEquals", {{0, 7, 0.5f}, {1, 7, 0.5f}, {2, 4, 0.5f}, {3, 4, 0.5f}}, 4},
        BusiestCase{"NegativeDepthsCount",
                    {{0, 1, 0.5f}, {5, 11, -0.25f}, {6, 11, -1.0f}, {7, 11, -0.5f}},
                    11},
        BusiestCase{"DepthSetBackToZeroDoesNotCount",
                    {{0, 6, 0.5f}, {1, 6, 0.5f}, {0, 6, 0.0f}, {1, 6, 0.0f}, {2, 9, 0.5f}},
                    9}),
    [](const auto& info) { return std::string(info.param.name); });

// With the shipped skins: the selected source's modulation shows on the controls it modulates.
TEST_F(HeadlessRenderTest, ThePictureShowsTheSelectedTransmodSource) {
  Plugin().Engine().SetParameter(ParameterTable::kF1Cutoff, 3, 0.6f, true);
  HeadlessRenderOptions options;
  options.resources = TAVO_RESOURCES_DIR;
  options.transmodSource = 0;
  const VGui::PixelImage none = RenderEditorHeadless(Plugin(), 1.0f, options);
  options.transmodSource = 3;
  const VGui::PixelImage selected = RenderEditorHeadless(Plugin(), 1.0f, options);
  options.transmodSource = -1;
  const VGui::PixelImage editorsOwn = RenderEditorHeadless(Plugin(), 1.0f, options);
  ASSERT_EQ(none.Width(), selected.Width());
  ASSERT_EQ(none.Height(), selected.Height());
  int differing = 0;
  int differingFromOwn = 0;
  for (int y = 0; y < none.Height(); ++y) {
    for (int x = 0; x < none.Width(); ++x) {
      differing += none.At(x, y) != selected.At(x, y) ? 1 : 0;
      differingFromOwn += none.At(x, y) != editorsOwn.At(x, y) ? 1 : 0;
    }
  }
  EXPECT_GT(differing, 0) << "selecting source 3 changed nothing in the picture";
  EXPECT_EQ(differingFromOwn, 0) << "an editor left to itself starts with a source selected";
}

}  // namespace
