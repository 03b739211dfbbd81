// The image program's pictures: sizes, film-strip order and knob angles, the fader cap's halves,
// and the written folder as the toolkit loads it.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <set>

#include "support/gui/Cursors.h"
#include "support/gui/SkinSet.h"
#include "tests/support/gui/drawing/BackEnd.h"
#include "tools/art/Cursors.h"
#include "tools/art/Fader.h"
#include "tools/art/Knob.h"
#include "tools/art/WriteAll.h"

namespace DrawingTest {
namespace {

using namespace TavoArt;

}  // namespace
}  // namespace DrawingTest

namespace TavoArt {
void PrintTo(const KnobStyle& style, std::ostream* out) {
  *out << style.folder << " " << style.size << " px";
}
}  // namespace TavoArt

namespace DrawingTest {
namespace {

using namespace TavoArt;

// The picture at a scale as a PixelImage (cairo's ARGB32 is the toolkit's pixel format).
PixelImage Rendered(const Picture& picture, int scale = 1) {
  cairo_surface_t* surface = Render(picture, scale);
  PixelImage image(cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface));
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  for (int y = 0; y < image.Height(); ++y) {
    std::memcpy(image.Row(y), data + size_t(y) * size_t(stride), size_t(image.Width()) * 4);
  }
  cairo_surface_destroy(surface);
  return image;
}

const Picture& Named(const std::vector<Picture>& pictures, const std::string& suffix) {
  for (const Picture& picture : pictures) {
    if (picture.name.ends_with(suffix)) return picture;
  }
  ADD_FAILURE() << "no picture " << suffix;
  return pictures.front();
}

TEST(Art, KnobTravelIs280DegreesCentredOnTheTop) {
  constexpr double kDegree = std::numbers::pi / 180.0;
  EXPECT_NEAR(KnobAngle(0.5), -90.0 * kDegree, 1e-12);
  EXPECT_NEAR(KnobAngle(0.0), -230.0 * kDegree, 1e-12);
  EXPECT_NEAR(KnobAngle(1.0), 50.0 * kDegree, 1e-12);
}

TEST(Art, EveryPictureHasAUniqueNameAndASize) {
  std::vector<Picture> pictures = ImagePictures("/nonexistent/font.ttf");
  for (CursorPicture& cursor : CursorPictures()) pictures.push_back(std::move(cursor.picture));
  std::set<std::string> names;
  for (const Picture& picture : pictures) {
    EXPECT_TRUE(names.insert(picture.name).second) << picture.name;
    EXPECT_GT(picture.width, 0) << picture.name;
    EXPECT_GT(picture.height, 0) << picture.name;
  }
  EXPECT_EQ(names.size(), KnobStyles().size() * 5 + 8 + 1 + 10);
}

class KnobArt : public testing::TestWithParam<KnobStyle> {};

// Frame i of the value strip stands for 1 - i / (frames - 1): its orange arc reaches just short
// of that value's angle on the groove and no further.
TEST_P(KnobArt, ValueStripFramesFollowTheAngleOfTheirValue) {
  const KnobStyle& style = GetParam();
  const std::vector<Picture> pictures = KnobPictures(style);
  const Picture& top = Named(pictures, "/DialTop");
  ASSERT_EQ(top.width, style.size);
  ASSERT_EQ(top.height, style.size * kKnobFrames);
  const PixelImage strip = Rendered(top);
  const KnobGeometry g = KnobGeometryFor(style.size);
  const auto pixelAt = [&](int frame, double value) {
    const double angle = KnobAngle(value);
    const int x = int(std::floor(g.centre + g.grooveRadius * std::cos(angle)));
    const int y = int(std::floor(g.centre + g.grooveRadius * std::sin(angle)));
    return strip.At(x, frame * style.size + y);
  };
  for (double value : {0.25, 0.5, 0.8}) {
    const int frame = int(std::lround((1.0 - value) * (kKnobFrames - 1)));
    const uint32_t before = pixelAt(frame, value - 0.06);
    const uint32_t after = pixelAt(frame, value + 0.06);
    EXPECT_GT(Alpha(before), 200u) << value;
    EXPECT_GT(Red(before), Blue(before) + 100) << value;  // the value colour is orange
    EXPECT_EQ(after, kTransparent) << value;
  }
}

TEST_P(KnobArt, BackgroundsAndGlowAreOneFrame) {
  const std::vector<Picture> pictures = KnobPictures(GetParam());
  for (const char* name : {"/DialNoModBack", "/DialModBack", "/DialModGlow"}) {
    const Picture& picture = Named(pictures, name);
    EXPECT_EQ(picture.width, GetParam().size) << name;
    EXPECT_EQ(picture.height, GetParam().size) << name;
    EXPECT_GT(InkOf(Rendered(picture)).count, GetParam().size) << name;
  }
  EXPECT_EQ(Named(pictures, "/DialMod").height, GetParam().size * kKnobFrames);
}

INSTANTIATE_TEST_SUITE_P(Styles, KnobArt, testing::ValuesIn(KnobStyles()),
                         [](const auto& info) { return info.param.folder; });

// The control draws the halves 4 and 9 pixels below a cap position: stacked, they are the cap.
TEST(Art, FaderCapHalvesMakeTheWholeCap) {
  const std::vector<Picture> pictures = FaderPictures();
  for (int scale : {1, 2}) {
    const PixelImage cap = Rendered(Named(pictures, "/FaderCap"), scale);
    const PixelImage up = Rendered(Named(pictures, "/FaderCapUp"), scale);
    const PixelImage down = Rendered(Named(pictures, "/FaderCapDown"), scale);
    ASSERT_EQ(up.Height() + down.Height(), cap.Height());
    ASSERT_EQ(up.Height(), 5 * scale);
    int differing = 0;
    for (int y = 0; y < cap.Height(); ++y) {
      for (int x = 0; x < cap.Width(); ++x) {
        const uint32_t half = y < up.Height() ? up.At(x, y) : down.At(x, y - up.Height());
        differing += half != cap.At(x, y);
      }
    }
    EXPECT_EQ(differing, 0) << "scale " << scale;
  }
  EXPECT_EQ(Named(pictures, "/FaderTrack").height, kFaderHeight);
  EXPECT_EQ(Named(pictures, "/FaderCap").width, kCapWidth);
}

TEST(Art, CursorHotSpotsLieOnTheirImage) {
  for (const CursorPicture& cursor : CursorPictures()) {
    EXPECT_GE(cursor.hotSpotX, 0) << cursor.picture.name;
    EXPECT_GE(cursor.hotSpotY, 0) << cursor.picture.name;
    EXPECT_LT(cursor.hotSpotX, cursor.picture.width) << cursor.picture.name;
    EXPECT_LT(cursor.hotSpotY, cursor.picture.height) << cursor.picture.name;
  }
  const PixelImage arrow = Rendered(CursorPictures().front().picture);
  EXPECT_GT(Alpha(arrow.At(2, 2)), 0u);  // the arrow's tip is its hot spot
}

// The whole output written once for the suite, into a folder of its own.
class WrittenArt : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::filesystem::temp_directory_path() /
              ("tavo-art-test-" + std::to_string(uintptr_t(&folder_)) + "-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    written_ = WriteAll(folder_, TAVO_ART_FONT);
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }
  void SetUp() override { ASSERT_TRUE(written_); }

  static inline std::filesystem::path folder_;
  static inline bool written_ = false;
};

std::vector<uint8_t> FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// PNG chunk types in the file, in order.
std::vector<std::string> Chunks(const std::vector<uint8_t>& bytes) {
  std::vector<std::string> types;
  size_t at = 8;
  while (at + 8 <= bytes.size()) {
    const uint32_t length = uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 |
                            uint32_t(bytes[at + 2]) << 8 | uint32_t(bytes[at + 3]);
    types.emplace_back(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
    at += 12 + size_t(length);
  }
  return types;
}

TEST_F(WrittenArt, EveryImageHasATwiceAsDenseTwinAndNoColourChunks) {
  int checked = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_)) {
    const std::filesystem::path& path = entry.path();
    if (path.extension() != ".png" || path.stem().string().ends_with("@2x")) continue;
    const std::filesystem::path dense = path.parent_path() / (path.stem().string() + "@2x.png");
    const PixelImage one = BackEnd::DecodePng(FileBytes(path), path.string());
    const PixelImage two = BackEnd::DecodePng(FileBytes(dense), dense.string());
    ASSERT_FALSE(one.Empty()) << path;
    ASSERT_FALSE(two.Empty()) << dense;
    EXPECT_EQ(two.Width(), 2 * one.Width()) << path;
    EXPECT_EQ(two.Height(), 2 * one.Height()) << path;
    for (const std::string& chunk : Chunks(FileBytes(path))) {
      EXPECT_TRUE(chunk != "gAMA" && chunk != "cHRM" && chunk != "iCCP" && chunk != "sRGB")
          << path << " " << chunk;
    }
    ++checked;
  }
  EXPECT_EQ(checked, int(KnobStyles().size()) * 5 + 8 + 1 + 10);
  EXPECT_TRUE(std::filesystem::exists(folder_ / "Images/Smart/Knob/Medium/DialTop@2x.png"));
  EXPECT_TRUE(std::filesystem::exists(folder_ / "Images/Smart/Fader/Common/FaderCap.png"));
}

TEST_F(WrittenArt, ToolkitLoadsEveryCursorWithItsHotSpot) {
  VGui::CursorSet cursors;
  std::vector<std::string> problems;
  EXPECT_EQ(cursors.LoadFolder(folder_ / "Cursors", &problems), 10);
  EXPECT_TRUE(problems.empty()) << problems.front();
  for (const CursorPicture& expected : CursorPictures()) {
    const std::string name = expected.picture.name.substr(expected.picture.name.rfind('/') + 1);
    const VGui::Cursor* cursor = cursors.Find(name);
    ASSERT_NE(cursor, nullptr) << name;
    EXPECT_EQ(cursor->hotSpot, (VGui::Point{expected.hotSpotX, expected.hotSpotY})) << name;
    ASSERT_TRUE(cursor->image.dense) << name;
    EXPECT_EQ(cursor->image.LogicalSize(), (VGui::Size{kCursorSize, kCursorSize})) << name;
  }
}

}  // namespace
}  // namespace DrawingTest
