// The editor painted without a window: the picture has the editor's size at each scale and shows
// what the skins draw.
#include "editor/HeadlessRender.h"

#include <gtest/gtest.h>

#include "ShellTestKit.h"

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

}  // namespace
